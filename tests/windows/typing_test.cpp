// Typing into a hotkey box: every key is captured and named, never acted on.

#include "tests/windows/tarnelle_test.h"

namespace tarnelle::driver {
namespace {

constexpr Key kX{'X', 0x2D};

TEST_F(Tarnelle, TypedKeysShowModifierWordsInFixedOrderAndTheKeysNameAndActOnNothing) {
  Start();
  const std::pair<std::vector<Key>, Key> typed[] = {
      {{kCtrl, kAlt}, {'3', 0x04}},
      {{kShift, kAlt, kCtrl}, kX},           // pressed in another order
      {{}, kF(5)},                           //
      {{}, {VK_LEFT, 0x4B, true}},           // named like its keypad twin
      {{}, {VK_SPACE, 0x39}},                // never typed as characters
      {{}, {VK_BACK, 0x0E}},                 //
      {{}, {VK_RETURN, 0x1C}},               //
      {{}, {VK_ESCAPE, 0x01}},               //
      {{kShift}, {VK_INSERT, 0x52, true}},   // no paste
      {{kAlt}, kF(4)},                       // the window stays
      {{}, kF(10)},                          // no menu mode: the next one still types
      {{kWin, kCtrl, kAlt, kShift}, kF(5)},  //
  };
  for (const auto& [held, key] : typed) {
    ASSERT_DONE(app.Type(3, held, key, Shows(held, key)));
    EXPECT_TRUE(app.Visible() && app.Focus() == app.Box(3) && app.Menus().empty());
  }
  KeyDown(kShift);  // a lone modifier, until it is let go
  EXPECT_TRUE(WaitFor([&] { return TextOf(app.Box(3)) == L"Shift + "; }));
  KeyUp(kShift);
  EXPECT_TRUE(WaitFor([&] { return TextOf(app.Box(3)) == kPressHotkey; }));
  Press({}, {VK_TAB, 0x0F});  // the one key a box leaves alone: on to the next box
  EXPECT_TRUE(WaitFor([&] { return app.Focus() == app.Box(4); }));
  for (int n = 1; n <= 10; ++n) {
    EXPECT_EQ(TextOf(app.Box(n)), kPressHotkey);
  }
  EXPECT_TRUE(HotkeyFree(MOD_CONTROL | MOD_ALT, '3')) << "typing a combination does not switch it on";
  KeyDown(kWin);  // left Win let go in another box is forgotten by the first
  ASSERT_TRUE(WaitFor([&] { return TextOf(app.Box(4)) == L"Win + "; }));
  ASSERT_TRUE(app.ClickBox(5));
  KeyUp(kWin);
  ASSERT_DONE(app.Type(4, {}, kX, Shows({}, kX)));
}

TEST_F(Tarnelle, NoContextMenuFromRightClickShiftF10OrTheMenuKey) {
  Start();
  ASSERT_DONE(app.Type(2, {kCtrl}, kX, Shows({kCtrl}, kX)));
  // Each poke is followed by a click on an option button: once that shows, the poke was handled.
  ASSERT_TRUE(Click(app.Box(2), Button::kRight) && app.ChooseMode(true));
  EXPECT_TRUE(app.Menus().empty());
  ASSERT_DONE(app.Type(2, {kShift}, kF(10), Shows({kShift}, kF(10))));
  ASSERT_TRUE(app.ChooseMode(false));
  EXPECT_TRUE(app.Menus().empty());
  ASSERT_TRUE(app.ClickBox(2));
  Press({}, {VK_APPS, 0x5D, true});
  ASSERT_TRUE(app.ChooseMode(true));
  EXPECT_TRUE(app.Menus().empty());
  EXPECT_EQ(TextOf(app.Box(2)), Shows({kShift}, kF(10))) << "the menu key changes nothing";
}

TEST_F(Tarnelle, InputMethodTextAndItsProcessKeyNeitherChangeNorReplaceTheTypedHotkey) {
  Start();
  const Key w{'W', 0x11};
  ASSERT_DONE(app.Type(2, {kCtrl, kAlt}, w, Shows({kCtrl, kAlt}, w)));
  // What an input method gives the window with the focus: composed characters, and the keys it
  // takes for itself as VK_PROCESSKEY; sent, and posted as the platform does.
  const std::pair<UINT, WPARAM> messages[] = {
      {WM_IME_CHAR, 'A'}, {WM_IME_CHAR, 0x6587}, {WM_KEYDOWN, VK_PROCESSKEY}, {WM_KEYUP, VK_PROCESSKEY}};
  for (const bool posted : {false, true}) {
    for (const auto& [msg, code] : messages) {
      const LPARAM lp = msg == WM_KEYUP ? 0xC0110001 : 0x00110001;  // once, W's scan code
      DWORD_PTR ignored = 0;
      ASSERT_TRUE(posted
                      ? ::PostMessageW(app.Box(2), msg, code, lp)
                      : ::SendMessageTimeoutW(app.Box(2), msg, code, lp, SMTO_NORMAL, kPatienceMs, &ignored));
    }
  }
  ASSERT_TRUE(app.Settled());  // what was posted is handled
  EXPECT_EQ(TextOf(app.Box(2)), Shows({kCtrl, kAlt}, w));
  Close();
  ExpectSaved(2, Shows({kCtrl, kAlt}, w), 'W', MOD_CONTROL | MOD_ALT);
}

}  // namespace
}  // namespace tarnelle::driver

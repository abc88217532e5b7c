// A whole working day, compressed: set up, switch windows by hotkey, quit, come back.

#include <gtest/gtest.h>

#include "tests/e2e/harness.h"

namespace tarnelle::e2e {
namespace {

TEST(Day, AFullDayInAMinute) {
  const std::vector<WORD> ctrl_alt = {VK_CONTROL, VK_MENU};
  const std::vector<WORD> ctrl_shift = {VK_CONTROL, VK_SHIFT};
  Program app;
  ASSERT_TRUE(app.Start());

  // Morning: hotkeys for three windows, switched on; one more typed for later.
  ASSERT_TRUE(TypeHotkey(app, 1, ctrl_alt, '1'));
  ASSERT_TRUE(TypeHotkey(app, 2, ctrl_alt, '2'));
  ASSERT_TRUE(TypeHotkey(app, 7, ctrl_shift, VK_F7));
  ASSERT_TRUE(TypeHotkey(app, 10, {VK_SHIFT}, VK_F12));
  ASSERT_TRUE(ClickSlotCheckbox(app, 1, true));
  ASSERT_TRUE(ClickSlotCheckbox(app, 2, true));
  ASSERT_TRUE(ClickSlotCheckbox(app, 7, true));

  TestWindow mail(L"Mail", POINT{20, 20});
  TestWindow editor(L"Editor", POINT{20, 200});
  TestWindow terminal(L"Terminal", POINT{20, 380});
  const std::pair<TestWindow*, int> remembered[] = {{&mail, 1}, {&editor, 2}, {&terminal, 7}};
  for (const auto& [window, slot] : remembered) {
    ASSERT_TRUE(window->ClickToFront());
    SendCombo(slot == 7 ? ctrl_shift : ctrl_alt, slot == 7 ? VK_F7 : static_cast<WORD>('0' + slot));
    ASSERT_TRUE(WaitUntil([&] { return app.SlotHandleText(slot) == HandleText(window->hwnd()); }))
        << "slot " << slot << " did not remember its window";
  }

  // Then to work: the window goes away and the hotkeys switch.
  ASSERT_TRUE(ClickTrayIcon(app.exe(), Button::kLeft));  // already shown: nothing changes
  ASSERT_TRUE(ClickWindow(app.Control(kChangeFormId)));
  ASSERT_TRUE(WaitUntil([&] { return app.Checked(kChangeFormId); }));
  ASSERT_TRUE(ClickWindow(app.HideImage()));
  ASSERT_TRUE(WaitUntil([&] { return !app.Visible(); }));
  ::ShowWindow(editor.hwnd(), SW_MINIMIZE);
  const std::pair<TestWindow*, std::pair<std::vector<WORD>, WORD>> presses[] = {
      {&mail, {ctrl_alt, '1'}},   {&editor, {ctrl_alt, '2'}}, {&terminal, {ctrl_shift, VK_F7}},
      {&editor, {ctrl_alt, '2'}}, {&mail, {ctrl_alt, '1'}},
  };
  for (const auto& [window, combo] : presses) {
    SendCombo(combo.first, combo.second);
    ASSERT_TRUE(WaitUntil([&] {
      return ::GetForegroundWindow() == window->hwnd() && !::IsIconic(window->hwnd());
    })) << "the hotkey did not bring its window to the front";
  }
  EXPECT_FALSE(app.Visible());

  // Evening: quit through the tray.
  ASSERT_TRUE(ChooseFromTrayMenu(app, kMenuExit));
  ASSERT_TRUE(app.WaitForExit());
  ASSERT_TRUE(WaitForTrayIconCount(app.exe(), 0));
  EXPECT_TRUE(HotkeyIsFree(MOD_CONTROL | MOD_ALT, '1'));

  // Next morning: the same hotkeys, every slot off, nothing remembered.
  ASSERT_TRUE(app.Start());
  EXPECT_EQ(app.BoxText(1), HotkeyText(ctrl_alt, '1'));
  EXPECT_EQ(app.BoxText(2), HotkeyText(ctrl_alt, '2'));
  EXPECT_EQ(app.BoxText(7), HotkeyText(ctrl_shift, VK_F7));
  EXPECT_EQ(app.BoxText(10), HotkeyText({VK_SHIFT}, VK_F12));
  for (int slot : {3, 4, 5, 6, 8, 9}) {
    EXPECT_EQ(app.BoxText(slot), kPressHotkey) << "slot " << slot;
  }
  for (int slot = 1; slot <= 10; ++slot) {
    EXPECT_FALSE(app.Checked(CheckId(slot))) << "slot " << slot;
    EXPECT_EQ(app.SlotHandleText(slot), L"") << "slot " << slot;
  }
  EXPECT_TRUE(app.Checked(kGetFormId));
  EXPECT_TRUE(HotkeyIsFree(MOD_CONTROL | MOD_ALT, '1'));
  EXPECT_TRUE(WaitForTrayIconCount(app.exe(), 1));

  // A tick brings a saved hotkey back to life.
  ASSERT_TRUE(ClickSlotCheckbox(app, 1, true));
  ASSERT_TRUE(mail.ClickToFront());
  SendCombo(ctrl_alt, '1');
  EXPECT_TRUE(WaitUntil([&] { return app.SlotHandleText(1) == HandleText(mail.hwnd()); }));
}

}  // namespace
}  // namespace tarnelle::e2e

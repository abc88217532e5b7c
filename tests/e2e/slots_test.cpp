// Setting a slot's hotkey, switching it on, and what its presses do in either mode.

#include <gtest/gtest.h>

#include "tests/e2e/harness.h"

namespace tarnelle::e2e {
namespace {

const std::vector<WORD> kCtrlAlt = {VK_CONTROL, VK_MENU};

TEST(HotkeyBox, CtrlAlt3TypedIntoBox3ShowsTheCombinationAndNothingElseChanges) {
  Program app;
  ASSERT_TRUE(app.Start());
  ASSERT_TRUE(TypeHotkey(app, 3, kCtrlAlt, '3'));
  EXPECT_EQ(app.BoxText(3), L"Ctrl + Alt + " + KeyName('3'));
  for (int slot = 1; slot <= 10; ++slot) {
    if (slot != 3) {
      EXPECT_EQ(app.BoxText(slot), kPressHotkey) << "slot " << slot;
    }
    EXPECT_FALSE(app.Checked(CheckId(slot))) << "slot " << slot;
  }
  // Typing a hotkey does not switch it on.
  EXPECT_TRUE(HotkeyIsFree(MOD_CONTROL | MOD_ALT, '3'));
}

TEST(Slots, GetFormRemembersTheWindowInFrontWhenTheHotkeyIsPressed) {
  Program app;
  ASSERT_TRUE(app.Start());
  ASSERT_TRUE(TypeHotkey(app, 3, kCtrlAlt, '3'));
  ASSERT_TRUE(ClickSlotCheckbox(app, 3, true));
  EXPECT_FALSE(HotkeyIsFree(MOD_CONTROL | MOD_ALT, '3')) << "ticking the slot registers its hotkey";

  TestWindow editor(L"Some editor", POINT{20, 20});
  ASSERT_TRUE(editor.ClickToFront());
  SendCombo(kCtrlAlt, '3');
  EXPECT_TRUE(WaitUntil([&] { return app.SlotHandleText(3) == HandleText(editor.hwnd()); }))
      << "Text3 holds \"" << Utf8(app.SlotHandleText(3)) << "\"";
  for (int slot = 1; slot <= 10; ++slot) {
    if (slot != 3) {
      EXPECT_EQ(app.SlotHandleText(slot), L"") << "slot " << slot;
    }
  }
  EXPECT_EQ(::GetForegroundWindow(), editor.hwnd()) << "remembering a window does not switch to another";
}

TEST(Slots, StartChangeFormBringsBackTheRememberedWindowFromTheTaskbar) {
  Program app;
  ASSERT_TRUE(app.Start());
  ASSERT_TRUE(TypeHotkey(app, 3, kCtrlAlt, '3'));
  ASSERT_TRUE(ClickSlotCheckbox(app, 3, true));
  TestWindow editor(L"Some editor", POINT{20, 20});
  ASSERT_TRUE(editor.ClickToFront());
  SendCombo(kCtrlAlt, '3');
  ASSERT_TRUE(WaitUntil([&] { return app.SlotHandleText(3) == HandleText(editor.hwnd()); }));

  // The user minimises the editor and switches the mode in the main window.
  ::ShowWindow(editor.hwnd(), SW_MINIMIZE);
  ASSERT_TRUE(WaitUntil([&] { return ::IsIconic(editor.hwnd()) != FALSE; }));
  ASSERT_TRUE(ClickWindow(app.Control(kChangeFormId)));
  ASSERT_TRUE(WaitUntil([&] { return app.Checked(kChangeFormId); }));
  EXPECT_FALSE(app.Checked(kGetFormId));
  ASSERT_NE(::GetForegroundWindow(), editor.hwnd());

  SendCombo(kCtrlAlt, '3');
  EXPECT_TRUE(WaitUntil([&] {
    return !::IsIconic(editor.hwnd()) && ::GetForegroundWindow() == editor.hwnd();
  })) << "the editor is "
      << (::IsIconic(editor.hwnd()) ? "still minimised" : "restored but not in front");
  EXPECT_EQ(app.SlotHandleText(3), HandleText(editor.hwnd())) << "bringing a window back does not forget it";
}

TEST(Slots, KeyTypedIntoASwitchedOnBoxLeavesItTickedButFreesTheHotkey) {
  Program app;
  ASSERT_TRUE(app.Start());
  ASSERT_TRUE(TypeHotkey(app, 3, kCtrlAlt, '3'));
  ASSERT_TRUE(ClickSlotCheckbox(app, 3, true));
  ASSERT_FALSE(HotkeyIsFree(MOD_CONTROL | MOD_ALT, '3'));

  ASSERT_TRUE(TypeHotkey(app, 3, {VK_CONTROL}, 'K'));
  EXPECT_TRUE(app.Checked(CheckId(3))) << "the checkbox is not told";
  EXPECT_TRUE(HotkeyIsFree(MOD_CONTROL | MOD_ALT, '3')) << "the old hotkey is still registered";
  EXPECT_TRUE(HotkeyIsFree(MOD_CONTROL, 'K')) << "the new hotkey was registered without a tick";

  // Unticking and ticking again switches the new hotkey on.
  ASSERT_TRUE(ClickSlotCheckbox(app, 3, false));
  ASSERT_TRUE(ClickSlotCheckbox(app, 3, true));
  EXPECT_FALSE(HotkeyIsFree(MOD_CONTROL, 'K'));
}

TEST(Slots, UntickingASlotFreesItsHotkeyAndKeepsItsWindow) {
  Program app;
  ASSERT_TRUE(app.Start());
  // Slot 8 is one of those applied on the click itself.
  ASSERT_TRUE(TypeHotkey(app, 8, kCtrlAlt, '8'));
  ASSERT_TRUE(ClickSlotCheckbox(app, 8, true));
  TestWindow editor(L"Some editor", POINT{20, 20});
  ASSERT_TRUE(editor.ClickToFront());
  SendCombo(kCtrlAlt, '8');
  ASSERT_TRUE(WaitUntil([&] { return app.SlotHandleText(8) == HandleText(editor.hwnd()); }));

  ASSERT_TRUE(ClickSlotCheckbox(app, 8, false));
  EXPECT_TRUE(HotkeyIsFree(MOD_CONTROL | MOD_ALT, '8'));
  EXPECT_EQ(app.SlotHandleText(8), HandleText(editor.hwnd()));
}

// The checkbox keeps the focus after a click, and Space toggles it from the keyboard.
::testing::AssertionResult ToggleWithSpace(const Program& app, int slot) {
  const HWND check = app.Control(CheckId(slot));
  if (!WaitUntil([&] { return app.FocusedControl() == check; })) {
    return ::testing::AssertionFailure()
           << "\"Start Hotkey " << slot << "\" does not have the focus " << app.DescribeInput();
  }
  const bool before = app.Checked(CheckId(slot));
  TapKey(VK_SPACE);
  if (!WaitUntil([&] { return app.Checked(CheckId(slot)) != before; })) {
    return ::testing::AssertionFailure() << "Space did not toggle \"Start Hotkey " << slot << "\"";
  }
  return ::testing::AssertionSuccess();
}

TEST(Slots, SpaceSwitchesSlotsSixToTenAtOnceButSlotsOneToFiveAtTheNextMouseRelease) {
  Program app;
  ASSERT_TRUE(app.Start());
  ASSERT_TRUE(TypeHotkey(app, 7, kCtrlAlt, '7'));
  ASSERT_TRUE(TypeHotkey(app, 2, kCtrlAlt, '2'));

  ASSERT_TRUE(ClickSlotCheckbox(app, 7, true));
  ASSERT_FALSE(HotkeyIsFree(MOD_CONTROL | MOD_ALT, '7'));
  ASSERT_TRUE(ToggleWithSpace(app, 7));
  EXPECT_FALSE(app.Checked(CheckId(7)));
  EXPECT_TRUE(WaitUntil([&] { return HotkeyIsFree(MOD_CONTROL | MOD_ALT, '7'); }))
      << "Space unticked slot 7 but its hotkey stayed on";

  ASSERT_TRUE(ClickSlotCheckbox(app, 2, true));
  ASSERT_FALSE(HotkeyIsFree(MOD_CONTROL | MOD_ALT, '2'));
  ASSERT_TRUE(ToggleWithSpace(app, 2));
  ASSERT_TRUE(app.Sync());
  EXPECT_FALSE(app.Checked(CheckId(2)));
  EXPECT_FALSE(HotkeyIsFree(MOD_CONTROL | MOD_ALT, '2'))
      << "slot 2 follows its checkbox only on a mouse release";
  // A right click does not toggle the checkbox; its release applies what the checkbox shows.
  ASSERT_TRUE(ClickWindow(app.Control(CheckId(2)), Button::kRight));
  EXPECT_TRUE(WaitUntil([&] { return HotkeyIsFree(MOD_CONTROL | MOD_ALT, '2'); }))
      << "the mouse release did not switch slot 2 off";
  EXPECT_FALSE(app.Checked(CheckId(2)));
}

}  // namespace
}  // namespace tarnelle::e2e

// Ticking slots: what a switched-on hotkey remembers and brings back, what is refused, what a
// slot's text can hold (edited junk, numbers of no window, another window), and a window that
// hangs, while the program keeps serving the other slots.

#include "tests/windows/tarnelle_test.h"

namespace tarnelle::driver {
namespace {

TEST_F(Tarnelle, EachSlotRemembersTheWindowInFrontInItsOwnTextOnly) {
  Start(IniWith({1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
  const unique_hwnd mail = TestWindow(L"Mail", {20, 20});
  const unique_hwnd editor = TestWindow(L"Editor", {20, 200});
  std::wstring held[11];
  for (int n = 1; n <= 10; ++n) {
    ASSERT_TRUE(app.Tick(n));
    EXPECT_FALSE(SlotFree(n)) << "slot " << n;
    Remember(n, n % 2 == 1 ? mail.get() : editor.get());
    held[n] = TextOf(app.SlotText(n));
    for (int other = 1; other <= 10; ++other) {
      EXPECT_EQ(TextOf(app.SlotText(other)), held[other]) << "slot " << other;
    }
  }
  Remember(2, mail.get());      // another window in front replaces what the slot held
  for (const int n : {3, 8}) {  // unticking frees the hotkey and keeps the window
    ASSERT_TRUE(app.Tick(n));
    EXPECT_TRUE(SlotFree(n)) << "slot " << n;
    EXPECT_EQ(TextOf(app.SlotText(n)), held[n]);
  }
}

TEST_F(Tarnelle, StartChangeFormBringsTheWindowBackAsItWasAndLeavesAHiddenOneHidden) {
  Start(IniWith({1}));
  const unique_hwnd editor = TestWindow(L"Editor", {20, 20});
  const unique_hwnd other = TestWindow(L"Other", {20, 200});
  ASSERT_TRUE(app.Tick(1));
  Remember(1, editor.get());
  ASSERT_TRUE(app.ChooseMode(true));
  EXPECT_FALSE(app.Checked(app.Mode(false)));
  for (const int state : {SW_MINIMIZE, SW_MAXIMIZE, SW_RESTORE, SW_HIDE}) {
    SCOPED_TRACE("ShowWindow " + std::to_string(state));
    ::ShowWindow(editor.get(), state);
    ::SetForegroundWindow(other.get());
    ASSERT_TRUE(WaitFor([&] { return ::GetForegroundWindow() == other.get(); }));
    PressSlot(1);
    ASSERT_TRUE(app.Settled());
    EXPECT_EQ(TextOf(app.SlotText(1)), HandleText(editor.get())) << "bringing a window back keeps it";
    if (state == SW_HIDE) {
      EXPECT_FALSE(::IsWindowVisible(editor.get()));
      EXPECT_EQ(::GetForegroundWindow(), other.get()) << "the keyboard went to a window nobody sees";
    } else {
      EXPECT_TRUE(
          WaitFor([&] { return ::GetForegroundWindow() == editor.get() && !::IsIconic(editor.get()); }));
      EXPECT_EQ(::IsZoomed(editor.get()) != FALSE, state == SW_MAXIMIZE) << "a maximised window stays so";
    }
  }
}

TEST_F(Tarnelle, RefusedSlotsShowOneMessageStayOffAndAreSavedAsNoHotkey) {
  // Slots 2 and 7 hold slot 1's combination; another program holds slot 9's.
  Start(IniWith({1}) + "Orvanta2KeyCode=112\r\nOrvanta2ModKeyCode=6\r\nOrvanta7KeyCode=112\r\n" +
        "Orvanta7ModKeyCode=6\r\nOrvanta9KeyCode=113\r\nOrvanta9ModKeyCode=2\r\n");
  ASSERT_TRUE(::RegisterHotKey(nullptr, 9, MOD_CONTROL, VK_F2) && app.Tick(1));
  ExpectRefused(4, kNotSet);
  EXPECT_EQ(TextOf(app.Box(4)), kPressHotkey);
  for (const int n : {2, 7, 9}) {
    ExpectRefused(n, kTaken);
    EXPECT_EQ(TextOf(app.Box(n)), kPressHotkey) << "a refused box forgets its combination";
  }
  ::UnregisterHotKey(nullptr, 9);
  EXPECT_FALSE(SlotFree(1));
  Close();
  ExpectSaved(1, L"Ctrl + Shift + F1", VK_F1, 6);
  for (const int n : {2, 7, 9}) {
    ExpectSaved(n, kPressHotkey, 0, 0);
  }
}

TEST_F(Tarnelle, KeyboardAppliesAtOnceOnSlotsSixToTenAndAtTheNextMouseReleaseOnOneToFive) {
  Start(IniWith({2, 7}));
  const auto space = [&](int n) {  // the clicked checkbox keeps the focus
    const bool before = app.Checked(app.Check(n));
    Press({}, {VK_SPACE, 0x39});
    return WaitFor([&] { return app.Checked(app.Check(n)) != before && app.Sync(); });
  };
  ASSERT_TRUE(app.Tick(7) && space(7));
  EXPECT_TRUE(WaitFor([] { return SlotFree(7); }));
  ASSERT_TRUE(app.Tick(2));
  // A right-button release does not turn the tick; it applies it again, which changes nothing.
  ASSERT_TRUE(Click(app.Check(2), Button::kRight) && app.Sync());
  EXPECT_TRUE(app.MessageBoxes().empty() && app.Checked(app.Check(2)));
  ASSERT_TRUE(space(2));
  EXPECT_FALSE(SlotFree(2)) << "slots 1 to 5 follow the tick on a mouse release";
  ASSERT_TRUE(Click(app.Check(2), Button::kRight));
  EXPECT_TRUE(WaitFor([] { return SlotFree(2); }));
}

TEST_F(Tarnelle, TypingIntoATickedBoxFreesItsHotkeyButLeavesItTicked) {
  Start(IniWith({3}));
  ASSERT_TRUE(app.Tick(3));
  // Typed again, the same combination is captured, not pressed: nothing is remembered.
  ASSERT_DONE(app.Type(3, {kCtrl, kShift}, kF(3), Shows({kCtrl, kShift}, kF(3))));
  ASSERT_TRUE(app.Settled());
  EXPECT_EQ(TextOf(app.SlotText(3)), L"");
  ASSERT_DONE(app.Type(3, {kCtrl}, {'K', 0x25}, Shows({kCtrl}, {'K', 0x25})));
  EXPECT_TRUE(app.Checked(app.Check(3))) << "the tick is not told";
  EXPECT_TRUE(SlotFree(3) && HotkeyFree(MOD_CONTROL, 'K'));
  ASSERT_TRUE(app.Tick(3) && app.Tick(3));
  EXPECT_FALSE(HotkeyFree(MOD_CONTROL, 'K'));
}

// A slot's text as a user who tabbed into its box may leave it: what is no number, or the number
// of no window, does nothing; the number of a window brings that window.
TEST_F(Tarnelle, WhatASlotsTextSaysIsWhatAPressBrings) {
  Start(IniWith({1}));
  const unique_hwnd front = TestWindow(L"In front", {20, 20});
  const unique_hwnd typed = TestWindow(L"Typed", {20, 200});
  const HWND closed = TestWindow(L"Closed soon", {260, 200}).get();
  ASSERT_TRUE(app.Tick(1) && app.ChooseMode(true) && ToFront(front.get()));
  for (const std::wstring& text :
       {std::wstring(L"abc"), std::wstring(L" 5"), std::wstring(L"\x8bbe\x7f6e"), std::wstring(40000, L'x'),
        HandleText(closed), std::wstring(L"0"), std::wstring(L"-2147483648"), HandleText(typed.get())}) {
    DWORD_PTR ignored = 0;
    ASSERT_TRUE(::SendMessageTimeoutW(app.SlotText(1), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()),
                                      SMTO_NORMAL, kPatienceMs, &ignored));
    PressSlot(1);
    ASSERT_TRUE(app.Settled()) << "the program stopped working";
    const HWND expected = text == HandleText(typed.get()) ? typed.get() : front.get();
    EXPECT_TRUE(WaitFor([&] { return ::GetForegroundWindow() == expected; })) << text.substr(0, 20);
    EXPECT_TRUE(TextOf(app.SlotText(1)) == text && app.MessageBoxes().empty()) << text.substr(0, 20);
  }
}

TEST_F(Tarnelle, NextHotkeyIsServedAtOnceWhileAHungWindowsPressIsPending) {
  Start(IniWith({1, 2}));
  Target hung;
  ASSERT_TRUE(hung.Start(L"Stops answering"));
  const unique_hwnd healthy = TestWindow(L"Answers", {20, 20});
  ASSERT_TRUE(app.Tick(1) && app.Tick(2));
  Remember(1, hung.window());
  Remember(2, healthy.get());
  ASSERT_TRUE(app.ChooseMode(true));
  ::ShowWindow(hung.window(), SW_MINIMIZE);
  ASSERT_TRUE(WaitFor([&] { return ::IsIconic(hung.window()) != FALSE; }));
  hung.Hang(4000);
  PressSlot(1);
  const auto pressed = std::chrono::steady_clock::now();
  PressSlot(2);
  ASSERT_TRUE(WaitFor([&] { return ::GetForegroundWindow() == healthy.get(); }));
  // A switch takes milliseconds even on a busy machine; a person notices a second.
  EXPECT_LT(std::chrono::steady_clock::now() - pressed, std::chrono::seconds(1));
  // Answering again, the window is not left dead in its slot.
  ASSERT_TRUE(WaitFor([&] {
    return ::SendMessageTimeoutW(hung.window(), WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 100, nullptr) != 0;
  }));
  ASSERT_TRUE(ToFront(healthy.get()));
  PressSlot(1);
  EXPECT_TRUE(
      WaitFor([&] { return ::GetForegroundWindow() == hung.window() && !::IsIconic(hung.window()); }));
}

}  // namespace
}  // namespace tarnelle::driver

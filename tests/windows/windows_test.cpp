// What a slot's text can hold besides a live window: edited junk, numbers of no window, a window
// that hangs. The program does nothing for them and keeps serving the other slots.

#include <chrono>

#include "tests/windows/tarnelle_test.h"

namespace tarnelle::driver {
namespace {

class SlotTexts : public Tarnelle {
 protected:
  // In "Start Change Form", presses slot 1 holding each text: nothing may change.
  void PressEach(const std::vector<std::wstring>& texts) {
    Start(IniWith({1}));
    const unique_hwnd front = TestWindow(L"In front", {20, 20});
    ASSERT_DONE(app.Tick(1));
    ASSERT_DONE(app.ChooseMode(true));
    ASSERT_DONE(ToFront(front.get()));
    for (const std::wstring& text : texts) {
      DWORD_PTR ignored = 0;
      ASSERT_TRUE(::SendMessageTimeoutW(app.SlotText(1), WM_SETTEXT, 0,
                                        reinterpret_cast<LPARAM>(text.c_str()), SMTO_NORMAL, kPatienceMs,
                                        &ignored));
      PressSlot(1);
      ASSERT_TRUE(app.Settled()) << "the program stopped working";
      EXPECT_TRUE(::GetForegroundWindow() == front.get() && TextOf(app.SlotText(1)) == text &&
                  MessageBoxes(app).empty())
          << text.substr(0, 20);
    }
  }
};

TEST_F(SlotTexts, TextsThatAreNoNumberDoNothing) {
  PressEach({L"abc", L"12x", L" 5", L"5 ", L"0x10", L"", L"+5", L"--5", L"1e5", L"99999999999",
             L"\xFF11\xFF12", L"\x8bbe\x7f6e", std::wstring(40000, L'x')});
}

TEST_F(SlotTexts, NumbersOfNoWindowDoNothing) {
  const HWND closed = TestWindow(L"Closed soon", {20, 200}).get();
  PressEach({HandleText(closed), L"0", L"1", L"-1", L"2147483647", L"-2147483648"});
}

TEST_F(Tarnelle, NextHotkeyIsServedAtOnceWhileAHungWindowsPressIsPending) {
  Start(IniWith({1, 2}));
  Target hung;
  ASSERT_DONE(hung.Start(L"Stops answering"));
  const unique_hwnd healthy = TestWindow(L"Answers", {20, 20});
  ASSERT_DONE(app.Tick(1));
  ASSERT_DONE(app.Tick(2));
  Remember(1, hung.window());
  Remember(2, healthy.get());
  ASSERT_DONE(app.ChooseMode(true));
  ::ShowWindow(hung.window(), SW_MINIMIZE);
  ASSERT_TRUE(WaitFor([&] { return ::IsIconic(hung.window()) != FALSE; }));
  hung.Hang();
  PressSlot(1);
  const auto pressed = std::chrono::steady_clock::now();
  PressSlot(2);
  ASSERT_TRUE(WaitFor([&] { return ::GetForegroundWindow() == healthy.get(); }));
  // A switch takes milliseconds even on a busy machine; a person notices a second.
  EXPECT_LT(std::chrono::steady_clock::now() - pressed, std::chrono::seconds(1));
}

}  // namespace
}  // namespace tarnelle::driver

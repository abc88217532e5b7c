// What the user finds when the program starts, and when it is started a second time.

#include <gtest/gtest.h>

#include <cstdlib>

#include "tests/e2e/harness.h"

namespace tarnelle::e2e {
namespace {

constexpr char kSavedHotkeys[] =
    "[Orvanta]\r\n"
    "Orvanta2Text=Ctrl + Alt + Q\r\nOrvanta2KeyCode=81\r\nOrvanta2ModKeyCode=3\r\n"
    "Orvanta7Text=Shift + F7\r\nOrvanta7KeyCode=118\r\nOrvanta7ModKeyCode=4\r\n"
    "Orvanta10Text=Ctrl + Shift + F10\r\nOrvanta10KeyCode=121\r\nOrvanta10ModKeyCode=6\r\n";

TEST(StartUp, BoxesShowSavedHotkeysWithEverySlotOffAndGetFormSelected) {
  Program app;
  app.WriteIni(kSavedHotkeys);
  ASSERT_TRUE(app.Start());

  for (int slot = 1; slot <= 10; ++slot) {
    SCOPED_TRACE("slot " + std::to_string(slot));
    EXPECT_FALSE(app.Checked(CheckId(slot)));
    EXPECT_EQ(TextOf(app.Control(CheckId(slot))), L"Start Hotkey " + std::to_wstring(slot));
    EXPECT_EQ(app.SlotHandleText(slot), L"") << "no window is remembered at start";
  }
  EXPECT_EQ(app.BoxText(2), L"Ctrl + Alt + Q");
  EXPECT_EQ(app.BoxText(7), L"Shift + F7");
  EXPECT_EQ(app.BoxText(10), L"Ctrl + Shift + F10");
  for (int slot : {1, 3, 4, 5, 6, 8, 9}) {
    EXPECT_EQ(app.BoxText(slot), kPressHotkey) << "slot " << slot;
  }
  EXPECT_TRUE(app.Checked(kGetFormId));
  EXPECT_FALSE(app.Checked(kChangeFormId));
  EXPECT_EQ(TextOf(app.Control(kGetFormId)), L"Get Form");
  EXPECT_EQ(TextOf(app.Control(kChangeFormId)), L"Start Change Form");

  // The saved hotkeys are shown, not switched on: any other program may take them.
  EXPECT_TRUE(HotkeyIsFree(MOD_CONTROL | MOD_ALT, 'Q'));
  EXPECT_TRUE(HotkeyIsFree(MOD_SHIFT, VK_F7));
  EXPECT_TRUE(HotkeyIsFree(MOD_CONTROL | MOD_SHIFT, VK_F10));
}

TEST(StartUp, WindowIsACentredBorderlessToolWindowWithoutTaskbarButton) {
  Program app;
  ASSERT_TRUE(app.Start());
  const HWND w = app.window();
  EXPECT_EQ(TextOf(w), L"\u8bbe\u7f6e");
  const auto style = static_cast<DWORD>(::GetWindowLongPtrW(w, GWL_STYLE));
  const auto ex_style = static_cast<DWORD>(::GetWindowLongPtrW(w, GWL_EXSTYLE));
  EXPECT_NE(style & WS_POPUP, 0u);
  EXPECT_EQ(style & (WS_CAPTION | WS_THICKFRAME), 0u) << "no frame and no title bar of the platform's";
  EXPECT_NE(ex_style & WS_EX_TOOLWINDOW, 0u);

  HDC screen = ::GetDC(nullptr);
  const int dpi = ::GetDeviceCaps(screen, LOGPIXELSX);
  ::ReleaseDC(nullptr, screen);
  RECT client{};
  ::GetClientRect(w, &client);
  EXPECT_EQ(client.right, ::MulDiv(483, dpi, 96));
  EXPECT_EQ(client.bottom, ::MulDiv(303, dpi, 96));

  const RECT r = app.Rect();
  const int screen_w = ::GetSystemMetrics(SM_CXSCREEN);
  const int screen_h = ::GetSystemMetrics(SM_CYSCREEN);
  EXPECT_LE(std::abs((r.left + r.right) - screen_w), 1) << "centred across";
  EXPECT_LE(std::abs((r.top + r.bottom) - screen_h), 1) << "centred down";

  // The taskbar shows a button for an ordinary window, but none for this one.
  TestWindow ordinary(L"Ordinary window", POINT{20, 20});
  ASSERT_TRUE(WaitUntil([&] { return HasTaskbarButton(ordinary.hwnd()); }))
      << "the taskbar shows no buttons at all, so the next check would prove nothing";
  EXPECT_FALSE(HasTaskbarButton(w));
  EXPECT_TRUE(WaitForTrayIconCount(app.exe(), 1)) << "the program lives in the notification area";
}

TEST(StartUp, SecondStartShowsTheRunningWindowAndLeavesOneProcessAndOneIcon) {
  Program app;
  ASSERT_TRUE(app.Start());
  ASSERT_TRUE(WaitForTrayIconCount(app.exe(), 1));
  const RECT before = app.Rect();
  ASSERT_TRUE(ClickWindow(app.HideImage()));
  ASSERT_TRUE(WaitUntil([&] { return !app.Visible(); })) << "the hide image did not hide the window";

  ASSERT_TRUE(app.StartSecondCopyAndWaitForItToEnd());
  EXPECT_TRUE(app.running());
  EXPECT_TRUE(WaitUntil([&] { return app.Visible(); })) << "the running window was not shown";
  const RECT after = app.Rect();
  EXPECT_EQ(after.left, before.left);
  EXPECT_EQ(after.top, before.top);
  const auto windows = VisibleMainWindows();
  ASSERT_EQ(windows.size(), 1u);
  EXPECT_EQ(windows.front(), app.window());
  EXPECT_TRUE(app.Sync());
  EXPECT_TRUE(WaitForTrayIconCount(app.exe(), 1));
  EXPECT_EQ(TrayIconsOf(app.exe()).size(), 1u);
}

}  // namespace
}  // namespace tarnelle::e2e

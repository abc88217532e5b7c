// The icon in the notification area, its menu, and the way out through it.

#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "tests/e2e/harness.h"

namespace tarnelle::e2e {
namespace {

const std::vector<WORD> kCtrlAlt = {VK_CONTROL, VK_MENU};

bool SameRect(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// Moves the window away from where it started, by dragging its background.
::testing::AssertionResult MoveAwayFromTheCentre(const Program& app) {
  const RECT before = app.Rect();
  const auto from = app.BackgroundPoint();
  if (!from) {
    return ::testing::AssertionFailure() << "the window shows no bare background";
  }
  auto dragged =
      DragWindow(app, *from, POINT{from->x - 90, from->y - 70}, Button::kLeft, DragStart::kOnPress);
  if (!dragged) {
    return dragged;
  }
  if (!WaitUntil([&] { return app.Rect().left != before.left; })) {
    return ::testing::AssertionFailure() << "dragging the background did not move the window";
  }
  return app.WaitForDragEnd();
}

TEST(Tray, LeftReleaseOnTheIconShowsTheHiddenWindowWhereItWas) {
  Program app;
  ASSERT_TRUE(app.Start());
  ASSERT_TRUE(MoveAwayFromTheCentre(app));
  ASSERT_TRUE(app.Sync());
  const RECT placed = app.Rect();
  ASSERT_TRUE(ClickWindow(app.HideImage()));
  ASSERT_TRUE(WaitUntil([&] { return !app.Visible(); }));

  ASSERT_TRUE(ClickTrayIcon(app.exe(), Button::kLeft));
  EXPECT_TRUE(WaitUntil([&] { return app.Visible(); })) << "a left click on the icon did not show the window";
  EXPECT_TRUE(SameRect(app.Rect(), placed)) << "the window came back somewhere else";
  EXPECT_TRUE(PopupMenusOf(app.pid()).empty()) << "the left button opened the menu";

  // On a window that is already shown it changes nothing.
  ASSERT_TRUE(ClickTrayIcon(app.exe(), Button::kLeft));
  ASSERT_TRUE(app.Sync());
  EXPECT_TRUE(app.Visible());
  EXPECT_TRUE(SameRect(app.Rect(), placed));
}

TEST(Tray, RightReleaseOpensTheMenuAtThePointerAndEscapeClosesItDoingNothing) {
  BrowserRecorder browser;
  ASSERT_TRUE(browser.installed());
  Program app;
  ASSERT_TRUE(app.Start());
  ASSERT_TRUE(ClickWindow(app.HideImage()));
  ASSERT_TRUE(WaitUntil([&] { return !app.Visible(); }));

  ASSERT_TRUE(ClickTrayIcon(app.exe(), Button::kRight));
  ASSERT_TRUE(WaitForPopupMenu(app.pid()));
  // The menu opens at the pointer, as far as the screen allows: above the taskbar, that is.
  POINT pointer{};
  ::GetCursorPos(&pointer);
  RECT work{};
  ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  const POINT anchor{std::clamp(pointer.x, work.left, work.right - 1),
                     std::clamp(pointer.y, work.top, work.bottom - 1)};
  RECT menu{};
  ::GetWindowRect(PopupMenusOf(app.pid()).front(), &menu);
  EXPECT_TRUE(anchor.x >= menu.left - 2 && anchor.x <= menu.right + 2 && anchor.y >= menu.top - 2 &&
              anchor.y <= menu.bottom + 2)
      << "the menu at (" << menu.left << "," << menu.top << ")-(" << menu.right << "," << menu.bottom
      << ") is not at the pointer (" << pointer.x << "," << pointer.y << ")";

  TapKey(VK_ESCAPE);
  ASSERT_TRUE(WaitForNoPopupMenu(app.pid()));
  ASSERT_TRUE(app.Sync());
  EXPECT_TRUE(app.running());
  EXPECT_FALSE(app.Visible()) << "Escape showed the window";

  // The menu still works afterwards: its first item shows the window, its About items open pages.
  ASSERT_TRUE(ChooseFromTrayMenu(app, kMenuShow));
  EXPECT_TRUE(WaitUntil([&] { return app.Visible(); })) << "\"Show\" did not show the window";
  ASSERT_TRUE(ChooseFromTrayMenu(app, kMenuAboutTarnelle));
  ASSERT_TRUE(browser.WaitForUrls(1));
  EXPECT_EQ(browser.Urls(), std::vector<std::wstring>{L"http://www.orvanta.example/products/tarnelle/"})
      << "Escape must not have opened anything before";
}

TEST(Tray, ExitSavesAllTenBoxesRemovesTheIconAndEndsTheProgram) {
  Program app;
  ASSERT_TRUE(app.Start());
  ASSERT_TRUE(WaitForTrayIconCount(app.exe(), 1));
  ASSERT_TRUE(TypeHotkey(app, 1, kCtrlAlt, 'A'));
  ASSERT_TRUE(TypeHotkey(app, 10, {VK_SHIFT}, VK_F8));
  ASSERT_TRUE(ClickSlotCheckbox(app, 1, true));

  ASSERT_TRUE(ChooseFromTrayMenu(app, kMenuExit));
  ASSERT_TRUE(app.WaitForExit());
  EXPECT_TRUE(IniHoldsAllTenBoxes(app, {{1, {HotkeyText(kCtrlAlt, 'A'), 'A', MOD_CONTROL | MOD_ALT}},
                                        {10, {HotkeyText({VK_SHIFT}, VK_F8), VK_F8, MOD_SHIFT}}}));
  EXPECT_TRUE(WaitForTrayIconCount(app.exe(), 0));
  EXPECT_TRUE(HotkeyIsFree(MOD_CONTROL | MOD_ALT, 'A'));
}

// A restarted shell has forgotten every icon; the test plays that part by deleting the program's
// icon under its window and id. The id is the program's icon handle, which another process
// cannot ask the window for under Wine (WM_GETICON answers 0 across processes), so the handles
// around the program's own windows are tried: user handles are numbered from one table, and a
// wrong id deletes nothing.
bool TakeTheIconAwayAsARestartedShellWould(HWND window) {
  std::set<UINT_PTR> handles{reinterpret_cast<UINT_PTR>(window)};
  ::EnumChildWindows(
      window,
      [](HWND child, LPARAM lp) -> BOOL {
        reinterpret_cast<std::set<UINT_PTR>*>(lp)->insert(reinterpret_cast<UINT_PTR>(child));
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&handles));
  // Icons are user handles too, made near the windows, though not always in the same generation.
  std::set<UINT_PTR> generations{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};
  UINT_PTR highest = 0;
  for (UINT_PTR h : handles) {
    generations.insert(h >> 16);
    highest = std::max<UINT_PTR>(highest, h & 0xFFFF);
  }
  for (UINT_PTR generation : generations) {
    for (UINT_PTR low = 0x20; low <= std::min<UINT_PTR>(highest + 0x400, 0xFFFE); low += 2) {
      NOTIFYICONDATAW data{};
      data.cbSize = NOTIFYICONDATAW_V1_SIZE;
      data.hWnd = window;
      data.uID = static_cast<UINT>((generation << 16) | low);
      if (::Shell_NotifyIconW(NIM_DELETE, &data)) {
        return true;
      }
    }
  }
  return false;
}

TEST(Tray, TaskbarCreatedBroadcastGivesTheIconBackExactlyOnce) {
  Program app;
  ASSERT_TRUE(app.Start());
  ASSERT_TRUE(WaitForTrayIconCount(app.exe(), 1));
  ASSERT_TRUE(TakeTheIconAwayAsARestartedShellWould(app.window())) << "the icon could not be taken away";
  ASSERT_TRUE(WaitForTrayIconCount(app.exe(), 0));

  const UINT taskbar_created = ::RegisterWindowMessageW(L"TaskbarCreated");
  ASSERT_NE(taskbar_created, 0u);
  ASSERT_TRUE(::SendNotifyMessageW(HWND_BROADCAST, taskbar_created, 0, 0));
  ASSERT_TRUE(WaitForTrayIconCount(app.exe(), 1));
  ASSERT_TRUE(app.Sync());
  EXPECT_EQ(TrayIconsOf(app.exe()).size(), 1u);

  // It is the program's own icon: it answers the clicks.
  ASSERT_TRUE(ClickWindow(app.HideImage()));
  ASSERT_TRUE(WaitUntil([&] { return !app.Visible(); }));
  ASSERT_TRUE(ClickTrayIcon(app.exe(), Button::kLeft));
  EXPECT_TRUE(WaitUntil([&] { return app.Visible(); }));
}

}  // namespace
}  // namespace tarnelle::e2e

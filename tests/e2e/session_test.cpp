// Logging off while the program runs.

#include <gtest/gtest.h>

#include "tests/e2e/harness.h"

namespace tarnelle::e2e {
namespace {

bool ThisProcessHasWindows() {
  bool found = false;
  ::EnumWindows(
      [](HWND hwnd, LPARAM lp) -> BOOL {
        if (ProcessOf(hwnd) == ::GetCurrentProcessId()) {
          *reinterpret_cast<bool*>(lp) = true;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

// Wine's log-off ("wineboot --end-session") asks every process that has windows, and ends each
// one once it has agreed. A test process with windows of its own would be ended with them, so
// this test runs in a process that never made a window (tests/e2e/run.sh runs it on its own).
TEST(EndSession, LoggingOffSavesTheHotkeysAndIsNotHeldUp) {
  if (ThisProcessHasWindows()) {
    GTEST_SKIP() << "needs a test process without windows: run it alone (--gtest_filter=EndSession.*)";
  }
  Program app;
  ASSERT_TRUE(app.Start());
  ASSERT_TRUE(TypeHotkey(app, 2, {VK_CONTROL, VK_MENU}, 'J'));
  ASSERT_TRUE(TypeHotkey(app, 6, {VK_SHIFT}, VK_F11));
  ASSERT_TRUE(ClickSlotCheckbox(app, 2, true));
  ASSERT_FALSE(ThisProcessHasWindows());

  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info{};
  std::wstring command = L"wineboot.exe --end-session";
  ASSERT_TRUE(::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                               &startup, &info))
      << "cannot run wineboot (error " << ::GetLastError() << ")";
  ::CloseHandle(info.hThread);
  // A program that holds the log-off up makes wineboot wait for the user instead.
  const bool finished = ::WaitForSingleObject(info.hProcess, 3 * kPatienceMs) == WAIT_OBJECT_0;
  DWORD code = 1;
  ::GetExitCodeProcess(info.hProcess, &code);
  if (!finished) {
    ::TerminateProcess(info.hProcess, 1);
    ::WaitForSingleObject(info.hProcess, kPatienceMs);
  }
  ::CloseHandle(info.hProcess);
  ASSERT_TRUE(finished) << "the log-off is still waiting";
  EXPECT_EQ(code, 0u) << "the log-off was refused";

  EXPECT_TRUE(app.WaitForExit()) << "the session ended but the program did not";
  EXPECT_TRUE(
      IniHoldsAllTenBoxes(app, {{2, {HotkeyText({VK_CONTROL, VK_MENU}, 'J'), 'J', MOD_CONTROL | MOD_ALT}},
                                {6, {HotkeyText({VK_SHIFT}, VK_F11), VK_F11, MOD_SHIFT}}}));
}

}  // namespace
}  // namespace tarnelle::e2e

// The session ending under the program: Wine's log-off ("wineboot --end-session") in the same
// prefix and desktop, with hotkeys changed since the start, one switched on, the window hidden.
//
// The log-off asks every process that has windows and then ends it, this test program included
// if it had any: it must run in a process that never made a window. run.sh runs it on its own
// (--gtest_filter=EndSession.*); anywhere else it is skipped.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/reliability/rig.h"

namespace tarnelle::reliability {
namespace {

using e2e::kPatienceMs;

bool ThisProcessHasWindows() {
  bool found = false;
  ::EnumWindows(
      [](HWND hwnd, LPARAM lp) -> BOOL {
        if (e2e::ProcessOf(hwnd) == ::GetCurrentProcessId()) {
          *reinterpret_cast<bool*>(lp) = true;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

TEST(EndSession, ChangedHotkeysAreSavedAndTheLogOffIsNotHeldUp) {
  if (ThisProcessHasWindows()) {
    GTEST_SKIP() << "needs a test process without windows: run it alone (--gtest_filter=EndSession.*)";
  }
  Program app;
  std::string saved = "[Orvanta]\r\n";
  for (int slot = 1; slot <= 10; ++slot) {
    const std::string n = std::to_string(slot);
    saved += "Orvanta" + n + "Text=Ctrl + Shift + F" + n + "\r\nOrvanta" + n +
             "KeyCode=" + std::to_string(VK_F1 + slot - 1) + "\r\nOrvanta" + n + "ModKeyCode=6\r\n";
  }
  app.WriteIni(saved);
  ASSERT_TRUE(app.Start());
  ASSERT_TRUE(Healthy(app));
  ASSERT_TRUE(TypeHotkey(app, 1, MOD_CONTROL | MOD_ALT, 'K'));
  ASSERT_TRUE(TypeHotkey(app, 7, MOD_SHIFT, VK_F11));
  bool checked = false;
  std::vector<Shown> shown;
  ASSERT_TRUE(TickSlot(app, 7, checked, shown));
  ASSERT_TRUE(checked);
  ASSERT_TRUE(BringToFront(app.window()));
  ASSERT_TRUE(Click(app.HideImage()));
  ASSERT_TRUE(e2e::WaitUntil([&] { return !app.Visible(); }));
  ASSERT_FALSE(ThisProcessHasWindows());

  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info{};
  std::wstring command = L"wineboot.exe --end-session";
  ASSERT_TRUE(::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                               &startup, &info))
      << "cannot run wineboot (error " << ::GetLastError() << ")";
  ::CloseHandle(info.hThread);
  Tried().faults++;
  // A program that holds the log-off up makes wineboot ask the user instead of returning.
  const ULONGLONG start = ::GetTickCount64();
  const bool returned = ::WaitForSingleObject(info.hProcess, 3 * kPatienceMs) == WAIT_OBJECT_0;
  const ULONGLONG took = ::GetTickCount64() - start;
  DWORD code = 1;
  ::GetExitCodeProcess(info.hProcess, &code);
  if (!returned) {
    ::TerminateProcess(info.hProcess, 1);
    ::WaitForSingleObject(info.hProcess, kPatienceMs);
  }
  ::CloseHandle(info.hProcess);
  ASSERT_TRUE(returned) << "the log-off is still waiting";
  EXPECT_EQ(code, 0u) << "the log-off was refused";
  Figure("end of session", "wineboot --end-session returned " + std::to_string(code) + " after " +
                               std::to_string(took) + " ms");

  EXPECT_TRUE(app.WaitForExit()) << "the session ended but the program did not";
  std::vector<Hotkey> expected;
  for (int slot = 1; slot <= 10; ++slot) {
    expected.push_back(Hotkey{L"Ctrl + Shift + F" + std::to_wstring(slot),
                              static_cast<std::int32_t>(VK_F1 + slot - 1), MOD_CONTROL | MOD_SHIFT});
  }
  expected[0] = Hotkey{e2e::HotkeyText({VK_CONTROL, VK_MENU}, 'K'), 'K', MOD_CONTROL | MOD_ALT};
  expected[6] = Hotkey{e2e::HotkeyText({VK_SHIFT}, VK_F11), VK_F11, MOD_SHIFT};
  EXPECT_TRUE(SavedAsExpected(app, expected));
  EXPECT_TRUE(e2e::WaitForTrayIconCount(app.exe(), 0)) << "the icon outlived the session";
  EXPECT_TRUE(HotkeyFree(MOD_SHIFT, VK_F11)) << "the hotkey outlived the program";
}

}  // namespace
}  // namespace tarnelle::reliability

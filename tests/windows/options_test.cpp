// The tray's Windows and Options menus: slots that follow a window whose program restarted, hold it
// again after a restart of their own and start a program that is not running; a press that goes
// back; starting with the session; and what a hand-edited settings file can and cannot make it do.

#include "tests/windows/tarnelle_test.h"

#include <tlhelp32.h>

namespace tarnelle::driver {
namespace {

constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

std::optional<std::wstring> RunValue() {
  wchar_t value[1024]{};
  DWORD bytes = sizeof(value) - sizeof(wchar_t);
  return ::RegGetValueW(HKEY_CURRENT_USER, kRunKey, L"Tarnelle", RRF_RT_REG_SZ, nullptr, value, &bytes) ==
                 ERROR_SUCCESS
             ? std::optional<std::wstring>(value)
             : std::nullopt;
}

// The processes running now.
std::vector<PROCESSENTRY32W> Processes() {
  const unique_handle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  std::vector<PROCESSENTRY32W> processes;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof(entry);
  for (BOOL more = ::Process32FirstW(snapshot.get(), &entry); more;
       more = ::Process32NextW(snapshot.get(), &entry)) {
    processes.push_back(entry);
  }
  return processes;
}

// How many processes run each of these programs now.
int Running(std::initializer_list<std::wstring_view> names) {
  int count = 0;
  for (const PROCESSENTRY32W& process : Processes()) {
    for (const std::wstring_view name : names) {
      count += ::lstrcmpiW(process.szExeFile, std::wstring(name).c_str()) == 0 ? 1 : 0;
    }
  }
  return count;
}

// Ends what the program itself started, found by parent, so nothing the test caused outlives it.
void EndChildrenOf(DWORD parent) {
  for (const PROCESSENTRY32W& process : Processes()) {
    if (process.th32ParentProcessID == parent && process.th32ProcessID != ::GetCurrentProcessId()) {
      const unique_handle child(::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, process.th32ProcessID));
      ::TerminateProcess(child.get(), 1);
      ::WaitForSingleObject(child.get(), kPatienceMs);
    }
  }
}

TEST_F(Tarnelle, OptionsAreSavedTheMomentTheyChangeAndStartWithWindowsNamesThisProgram) {
  Start();
  ASSERT_TRUE(ChooseFromMenu(Then(OptionsMenu(), {kEnter})));  // Follow windows that restart
  EXPECT_TRUE(WaitFor([&] { return app.Saved(L"FollowWindows", L"Options") == L"1"; }));
  for (const bool on : {true, false}) {
    ASSERT_TRUE(ChooseFromMenu(Then(OptionsMenu(), {kDown, kDown, kDown, kEnter})));  // Start with Windows
    const std::optional<std::wstring> wanted = on ? std::optional(L"\"" + app.exe() + L"\"") : std::nullopt;
    EXPECT_TRUE(WaitFor([&] {
      const auto value = RunValue();
      return value.has_value() == wanted.has_value() &&
             (!value || ::lstrcmpiW(value->c_str(), wanted->c_str()) == 0);
    })) << (on ? "no Run value naming the program" : "the Run value stayed");
  }
  ::RegDeleteKeyValueW(HKEY_CURRENT_USER, kRunKey, L"Tarnelle");
}

TEST_F(Tarnelle, AFollowedSlotFindsItsProgramsNewWindowHoldsItAgainAfterARestartAndStartsItWhenClosed) {
  Start(IniWith({1, 2}) + "[Options]\r\nFollowWindows=1\r\nStartMissing=1\r\n");
  auto notes = std::make_unique<Target>();
  const unique_hwnd other = TestWindow(L"Other", {20, 20});
  ASSERT_TRUE(notes->Start(L"Notes") && app.Tick(1) && app.Tick(2));
  Remember(1, notes->window());
  Remember(2, other.get());
  ASSERT_TRUE(app.ChooseMode(true));

  const HWND closed = notes->window();
  notes = std::make_unique<Target>();  // the program closes and is started again
  ASSERT_TRUE(WaitFor([&] { return !::IsWindow(closed); }));
  ASSERT_TRUE(notes->Start(L"Notes") && ToFront(other.get()));
  PressSlot(1);
  EXPECT_TRUE(WaitFor([&] { return ::GetForegroundWindow() == notes->window(); }));
  EXPECT_EQ(TextOf(app.SlotText(1)), HandleText(notes->window()));

  Close();
  ASSERT_DONE(app.Start());
  EXPECT_EQ(TextOf(app.SlotText(1)), HandleText(notes->window())) << "not held again after a restart";

  notes.reset();  // closed: a press starts it again, and the other slots keep working meanwhile
  ASSERT_TRUE(app.Tick(1) && app.Tick(2) && app.ChooseMode(true));
  PressSlot(1);
  PressSlot(2);
  EXPECT_TRUE(WaitFor([&] { return ::GetForegroundWindow() == other.get(); }));
  // Started untitled, target.exe shows itself in front; the slot takes its window when it sees it.
  EXPECT_TRUE(WaitFor([&] {
    const HWND started = ::GetForegroundWindow();
    return ClassOf(started) == L"Static" && TextOf(started).empty() &&
           TextOf(app.SlotText(1)) == HandleText(started);
  })) << "the program was not started, or the slot did not take its window";
  EndChildrenOf(app.pid());
}

// A hand-edited file: the program starts, starts nothing it should not, and writes it sane at exit.
TEST_F(Tarnelle, WhatAHandEditedFileCannotUseIsIgnoredAndWrittenSane) {
  const ScratchFolder files;
  const std::wstring folder_exe = files.File(L"folder.exe");
  const std::wstring text_exe = files.File(L"text.exe");
  const std::wstring text_copy = files.File(L"target.txt");
  ::CreateDirectoryW(folder_exe.c_str(), nullptr);
  ::CopyFileW(BesideMe(L"target.exe").c_str(), text_copy.c_str(), FALSE);
  { std::ofstream(std::filesystem::path(text_exe)) << "not a program"; }
  const auto line = [](const std::wstring& program) {
    std::string bytes;
    for (const wchar_t c : program) {
      bytes += static_cast<char>(c);  // the paths here are plain ASCII
    }
    return bytes + "|Static|Notes";
  };
  // Each as slot 1's window; a well-formed one is kept (the program may be there again one day).
  const struct {
    std::string line;
    bool kept;
  } rows[] = {
      {"junk", false},
      {line(files.File(L"missing.exe")), true},
      {line(L"target.exe"), true},  // a relative path, which the platform would look for anywhere
      {line(folder_exe), true},
      {line(text_exe), true},
      {line(text_copy), true},
      {line(L"\"" + BesideMe(L"target.exe") + L"\" --flag"), false},
      {std::string(100000, 'x'), false},
  };
  const auto started = [] { return Running({L"target.exe", L"text.exe", L"folder.exe", L"target.txt"}); };
  std::string ini =
      IniWith({1, 2, 3, 4, 5, 6, 7, 8}) +
      "[Options]\r\nFollowWindows=1\r\nStartMissing=1\r\nPressAgainGoesBack=yes\r\nWhenInFront=sideways\r\n"
      "[WhenInFront]\r\nSlot2=" +
      std::string(5000, 'M') + "\r\n[Windows]\r\n";
  for (int n = 1; n <= 8; ++n) {  // slot N holds row N
    ini += "Slot" + std::to_string(n) + "=" + rows[n - 1].line + "\r\n";
  }
  Start(ini + "Slot9=" + line(BesideMe(L"target.exe")) +
        "|more\r\nNotASlot=" + line(BesideMe(L"target.exe")) + "\r\n");
  const int before = started();
  ASSERT_TRUE(app.ChooseMode(true));
  for (int n = 1; n <= 8; ++n) {
    ASSERT_TRUE(app.Tick(n));
    PressSlot(n);
  }
  ASSERT_TRUE(app.Settled());  // a program is started, if at all, while its press is handled
  EXPECT_EQ(started(), before) << "something was started";
  EXPECT_TRUE(app.MessageBoxes().empty());
  Close();
  for (int n = 1; n <= 8; ++n) {
    const auto& [row, kept] = rows[n - 1];
    EXPECT_EQ(app.Saved(L"Slot" + std::to_wstring(n), L"Windows"),
              kept ? std::wstring(row.begin(), row.end()) : L"")
        << row.substr(0, 60);
  }
  EXPECT_EQ(app.Saved(L"Slot9", L"Windows"), L"");
  EXPECT_EQ(app.Saved(L"NotASlot", L"Windows"), std::nullopt) << "the section holds the ten slots alone";
  EXPECT_EQ(app.Saved(L"PressAgainGoesBack", L"Options"), L"0");
  EXPECT_EQ(app.Saved(L"WhenInFront", L"Options"), L"Nothing");
  EXPECT_EQ(app.Saved(L"Slot2", L"WhenInFront"), L"AsInOptions");
}

}  // namespace
}  // namespace tarnelle::driver

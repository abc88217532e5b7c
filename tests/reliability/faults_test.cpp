// Faults from outside: the shell announcing a restart, settings that cannot be written at exit,
// many copies started at once, remembered windows that are gone or hang, slot texts edited into
// garbage. After each, the program is alive, answers, has one icon, and loses nothing silently.

#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cwctype>
#include <optional>
#include <string>
#include <vector>

#include "tests/reliability/rig.h"

namespace tarnelle::reliability {
namespace {

using e2e::kPatienceMs;
using e2e::WaitUntil;

constexpr UINT kCtrlShift = MOD_CONTROL | MOD_SHIFT;

// Every slot saved as Ctrl+Shift+F<N>.
std::string TenSlots() {
  std::string text = "[Orvanta]\r\n";
  for (int slot = 1; slot <= 10; ++slot) {
    const std::string n = std::to_string(slot);
    text += "Orvanta" + n + "Text=Ctrl + Shift + F" + n + "\r\nOrvanta" + n +
            "KeyCode=" + std::to_string(VK_F1 + slot - 1) + "\r\nOrvanta" + n + "ModKeyCode=6\r\n";
  }
  return text;
}

std::vector<Hotkey> TenSlotHotkeys() {
  std::vector<Hotkey> hotkeys;
  for (int slot = 1; slot <= 10; ++slot) {
    hotkeys.push_back(Hotkey{L"Ctrl + Shift + F" + std::to_wstring(slot),
                             static_cast<std::int32_t>(VK_F1 + slot - 1),
                             static_cast<std::int32_t>(kCtrlShift)});
  }
  return hotkeys;
}

std::wstring Lower(std::wstring text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](wchar_t c) { return static_cast<wchar_t>(std::towlower(c)); });
  return text;
}

// The whole text of a window of the program, however long.
std::wstring LongTextOf(HWND window) {
  DWORD_PTR length = 0;
  if (!::SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, kPatienceMs, &length)) {
    return L"(no answer)";
  }
  std::wstring text(length + 1, L'\0');
  DWORD_PTR copied = 0;
  ::SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), SMTO_NORMAL,
                        kPatienceMs, &copied);
  text.resize(std::min<std::size_t>(copied, length));
  return text;
}

bool IconRegistered(HWND window, UINT id) {
  NOTIFYICONDATAW data{};
  data.cbSize = NOTIFYICONDATAW_V1_SIZE;
  data.hWnd = window;
  data.uID = id;
  return ::Shell_NotifyIconW(NIM_MODIFY, &data) != FALSE;  // changes nothing: no NIF_ flags
}

// The id of the program's icon in the notification area: the value of its small icon. Wine does
// not answer WM_GETICON across processes, so when that fails the id is looked for among the
// handle values around the window's own (icons come from the same handle table, made right
// after the window), asking the shell about each with a modification that changes nothing.
std::optional<UINT> TrayIconIdOf(HWND window) {
  for (WPARAM kind :
       {static_cast<WPARAM>(ICON_SMALL), static_cast<WPARAM>(ICON_SMALL2), static_cast<WPARAM>(ICON_BIG)}) {
    DWORD_PTR icon = 0;
    if (::SendMessageTimeoutW(window, WM_GETICON, kind, 0, SMTO_NORMAL, kPatienceMs, &icon) && icon != 0 &&
        IconRegistered(window, static_cast<UINT>(icon))) {
      return static_cast<UINT>(icon);
    }
  }
  const auto base = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(window));
  const std::uint32_t generation = base >> 16;
  for (std::uint32_t g : {generation, generation + 1, generation > 0 ? generation - 1 : generation + 2}) {
    const std::uint32_t low = base & 0xFFFF;
    for (std::uint32_t step = 0; step <= 0x4000; step += 2) {
      for (std::uint32_t candidate : {low + step, low - step}) {
        if (candidate < 0x20 || candidate > 0xFFFF) {
          continue;
        }
        const UINT id = static_cast<UINT>((g << 16) | candidate);
        if (IconRegistered(window, id)) {
          return id;
        }
      }
    }
  }
  return std::nullopt;
}

// Removes the program's icon from the notification area the way a restarting shell loses it.
bool TakeTheIconAway(HWND window, UINT id) {
  NOTIFYICONDATAW data{};
  data.cbSize = NOTIFYICONDATAW_V1_SIZE;
  data.hWnd = window;
  data.uID = id;
  return ::Shell_NotifyIconW(NIM_DELETE, &data) != FALSE;
}

::testing::AssertionResult ExactlyOneMessageNaming(const std::vector<Shown>& shown,
                                                   const std::wstring& file) {
  if (shown.size() != 1) {
    auto failure = ::testing::AssertionFailure();
    failure << shown.size() << " messages instead of one:";
    for (const Shown& s : shown) {
      failure << " [" << Utf8(s.caption) << ": " << Utf8(s.text) << "]";
    }
    return failure;
  }
  if (shown.front().caption != L"error") {
    return ::testing::AssertionFailure() << "the message is titled \"" << Utf8(shown.front().caption) << "\"";
  }
  if (Lower(shown.front().text).find(Lower(file)) == std::wstring::npos) {
    return ::testing::AssertionFailure()
           << "the message does not name " << Utf8(file) << ": \"" << Utf8(shown.front().text) << "\"";
  }
  return ::testing::AssertionSuccess();
}

// ---------------------------------------------------------------------------------------------

TEST(ShellRestart, TaskbarCreatedBroadcastsLeaveExactlyOneWorkingIcon) {
  Program app;
  app.WriteIni(TenSlots());
  ASSERT_TRUE(app.Start());
  ASSERT_TRUE(Healthy(app));
  const UINT taskbar_created = ::RegisterWindowMessageW(L"TaskbarCreated");
  ASSERT_NE(taskbar_created, 0u);

  // The shell still has the icon: announcing a restart must not add a second one.
  constexpr int kStorm = 50;
  for (int i = 0; i < kStorm; ++i) {
    ASSERT_TRUE(::SendNotifyMessageW(HWND_BROADCAST, taskbar_created, 0, 0));
    Tried().faults++;
  }
  ASSERT_TRUE(Barrier(app));
  ASSERT_TRUE(Healthy(app)) << "after " << kStorm << " broadcasts with the icon in place";

  // The shell lost the icon: each announcement must bring back exactly one.
  const std::optional<UINT> id = TrayIconIdOf(app.window());
  ASSERT_TRUE(id.has_value()) << "the shell knows no icon of the main window";
  constexpr int kRestarts = 5;
  for (int i = 0; i < kRestarts; ++i) {
    SCOPED_TRACE("restart " + std::to_string(i + 1));
    ASSERT_TRUE(TakeTheIconAway(app.window(), *id));
    ASSERT_TRUE(e2e::WaitForTrayIconCount(app.exe(), 0));
    ASSERT_FALSE(IconRegistered(app.window(), *id));
    ASSERT_TRUE(::SendNotifyMessageW(HWND_BROADCAST, taskbar_created, 0, 0));
    Tried().faults++;
    ASSERT_TRUE(Barrier(app));
    ASSERT_TRUE(Healthy(app));
    EXPECT_TRUE(IconRegistered(app.window(), *id)) << "the icon came back under another id";
  }
  Figure("shell restart", std::to_string(kStorm) + " broadcasts with the icon present, " +
                              std::to_string(kRestarts) + " with it lost: 1 icon each time");

  // It is the program's own, working icon: a click on it shows the hidden window.
  ASSERT_TRUE(BringToFront(app.window()));
  ASSERT_TRUE(Click(app.HideImage()));
  ASSERT_TRUE(WaitUntil([&] { return !app.Visible(); }));
  const auto icons = e2e::TrayIconsOf(app.exe());
  ASSERT_EQ(icons.size(), 1u);
  ASSERT_TRUE(ClickAt(POINT{(icons[0].left + icons[0].right) / 2, (icons[0].top + icons[0].bottom) / 2}));
  EXPECT_TRUE(WaitUntil([&] { return app.Visible(); })) << "the icon did not show the window";

  std::vector<Shown> shown;
  ASSERT_TRUE(ExitByCloseImage(app, shown));
  EXPECT_TRUE(shown.empty());
  EXPECT_TRUE(SavedAsExpected(app, TenSlotHotkeys()));
  EXPECT_TRUE(e2e::WaitForTrayIconCount(app.exe(), 0));
}

// ---------------------------------------------------------------------------------------------

TEST(SaveRefused, ReadOnlySettingsFileGivesOneErrorNamingItAndKeepsTheOldSettings) {
  Program app;
  app.WriteIni(TenSlots());
  ASSERT_TRUE(app.Start());
  ASSERT_TRUE(TypeHotkey(app, 1, MOD_CONTROL | MOD_ALT, 'U'));
  const std::string before = e2e::ReadFileBytes(app.IniPath());
  {
    Unwritable read_only(app.IniPath(), Unwritable::Kind::kFile);
    ASSERT_TRUE(read_only.refusing()) << read_only.how();
    Figure("read-only set.ini made by", read_only.how());
    Tried().faults++;
    ASSERT_TRUE(Healthy(app));

    std::vector<Shown> shown;
    ASSERT_TRUE(ExitByCloseImage(app, shown));
    EXPECT_TRUE(ExactlyOneMessageNaming(shown, app.IniPath()));
    EXPECT_EQ(e2e::ReadFileBytes(app.IniPath()), before) << "the read-only file was changed";
    EXPECT_TRUE(e2e::WaitForTrayIconCount(app.exe(), 0));
  }
  // Nothing else was lost: the settings that were there are still there for the next start.
  ASSERT_TRUE(app.Start());
  ASSERT_TRUE(Healthy(app));
  EXPECT_EQ(app.BoxText(1), L"Ctrl + Shift + F1");
  std::vector<Shown> shown;
  ASSERT_TRUE(ExitByCloseImage(app, shown));
  EXPECT_TRUE(shown.empty());
  EXPECT_TRUE(SavedAsExpected(app, TenSlotHotkeys()));
}

TEST(SaveRefused, ReadOnlyFolderWithoutSettingsFileGivesOneErrorNamingTheFile) {
  Program app;
  ASSERT_TRUE(app.Start());
  ASSERT_TRUE(TypeHotkey(app, 3, MOD_CONTROL | MOD_ALT, 'V'));
  {
    Unwritable read_only(app.folder(), Unwritable::Kind::kFolder);
    ASSERT_TRUE(read_only.refusing()) << read_only.how();
    Figure("read-only program folder made by", read_only.how());
    Tried().faults++;
    ASSERT_TRUE(Healthy(app));

    std::vector<Shown> shown;
    ASSERT_TRUE(ExitByCloseImage(app, shown));
    EXPECT_TRUE(ExactlyOneMessageNaming(shown, app.IniPath()));
    EXPECT_EQ(::GetFileAttributesW(app.IniPath().c_str()), INVALID_FILE_ATTRIBUTES)
        << "a settings file appeared in the read-only folder";
    EXPECT_TRUE(e2e::WaitForTrayIconCount(app.exe(), 0));
  }
}

TEST(SaveRefused, ReadOnlyFolderWithAWritableFileSavesOrSaysSo) {
  Program app;
  app.WriteIni(TenSlots());
  ASSERT_TRUE(app.Start());
  ASSERT_TRUE(TypeHotkey(app, 2, MOD_CONTROL | MOD_ALT, 'W'));
  const std::string before = e2e::ReadFileBytes(app.IniPath());
  Unwritable read_only(app.folder(), Unwritable::Kind::kFolder);
  ASSERT_TRUE(read_only.refusing()) << read_only.how();
  Tried().faults++;

  std::vector<Shown> shown;
  ASSERT_TRUE(ExitByCloseImage(app, shown));
  std::vector<Hotkey> typed = TenSlotHotkeys();
  typed[1] = Hotkey{e2e::HotkeyText({VK_CONTROL, VK_MENU}, 'W'), 'W', MOD_CONTROL | MOD_ALT};
  if (shown.empty()) {
    // The file itself may be rewritten in place: then everything must be in it.
    EXPECT_TRUE(SavedAsExpected(app, typed));
    Figure("read-only folder, writable set.ini", "saved in place, no message");
  } else {
    // Or the platform writes beside it and is refused: then the user hears of it once.
    EXPECT_TRUE(ExactlyOneMessageNaming(shown, app.IniPath()));
    EXPECT_EQ(e2e::ReadFileBytes(app.IniPath()), before);
    Figure("read-only folder, writable set.ini", "refused, one message");
  }
}

TEST(SaveRefused, SettingsFileReplacedByAFolderGivesOneErrorNamingIt) {
  Program app;
  app.WriteIni(TenSlots());
  ASSERT_TRUE(app.Start());
  ASSERT_TRUE(TypeHotkey(app, 4, MOD_CONTROL | MOD_ALT, 'X'));
  ASSERT_TRUE(::DeleteFileW(app.IniPath().c_str()));
  ASSERT_TRUE(::CreateDirectoryW(app.IniPath().c_str(), nullptr));
  Tried().faults++;
  ASSERT_TRUE(Healthy(app));

  std::vector<Shown> shown;
  ASSERT_TRUE(ExitByCloseImage(app, shown));
  EXPECT_TRUE(ExactlyOneMessageNaming(shown, app.IniPath()));
  EXPECT_TRUE(e2e::WaitForTrayIconCount(app.exe(), 0));
  ::RemoveDirectoryW(app.IniPath().c_str());
}

// ---------------------------------------------------------------------------------------------

// Starts |count| processes of |exe| one right after the other, without waiting for any.
std::vector<HANDLE> StartAtOnce(const std::wstring& exe, int count) {
  std::vector<HANDLE> started;
  for (int i = 0; i < count; ++i) {
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    std::wstring command = L"\"" + exe + L"\"";
    if (::CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                         &info)) {
      ::CloseHandle(info.hThread);
      started.push_back(info.hProcess);
    }
  }
  return started;
}

std::vector<HANDLE> StillRunning(const std::vector<HANDLE>& processes) {
  std::vector<HANDLE> running;
  for (HANDLE p : processes) {
    if (::WaitForSingleObject(p, 0) == WAIT_TIMEOUT) {
      running.push_back(p);
    }
  }
  return running;
}

void EndAll(std::vector<HANDLE>& processes) {
  for (HANDLE p : processes) {
    if (::WaitForSingleObject(p, 0) == WAIT_TIMEOUT) {
      ::TerminateProcess(p, 1);
      ::WaitForSingleObject(p, kPatienceMs);
    }
    ::CloseHandle(p);
  }
  processes.clear();
}

// The close image of a main window found on screen: the rightmost picture of its title strip.
HWND CloseImageOf(HWND main) {
  const HWND strip = ::FindWindowExW(main, nullptr, e2e::kStripClass, nullptr);
  HWND rightmost = nullptr;
  LONG right = -100000;
  for (HWND child = ::GetWindow(strip, GW_CHILD); child != nullptr; child = ::GetWindow(child, GW_HWNDNEXT)) {
    RECT r{};
    ::GetWindowRect(child, &r);
    if (e2e::ClassOf(child) != L"Static" && r.right > right) {
      right = r.right;
      rightmost = child;
    }
  }
  return rightmost;
}

TEST(ManyCopies, TenStartedAtOnceLeaveOneProcessOneIconAndItsSettings) {
  Program app;  // only for its private folder and copy; its processes are started here
  app.WriteIni(TenSlots());
  const std::string file_before = e2e::ReadFileBytes(app.IniPath());
  std::vector<HANDLE> copies = StartAtOnce(app.exe(), 10);
  ASSERT_EQ(copies.size(), 10u);
  Tried().faults++;

  std::vector<HANDLE> running;
  std::vector<HWND> windows;
  const bool one = WaitUntil([&] {
    running = StillRunning(copies);
    windows = e2e::VisibleMainWindows();
    return running.size() == 1 && windows.size() == 1;
  });
  if (!one) {
    EndAll(copies);
    FAIL() << running.size() << " copies still running, " << windows.size() << " main windows shown";
  }
  const HWND main = windows.front();
  EXPECT_EQ(e2e::ProcessOf(main), ::GetProcessId(running.front()));
  EXPECT_TRUE(AnswerTime(main).has_value());
  EXPECT_TRUE(e2e::WaitForTrayIconCount(app.exe(), 1));
  EXPECT_EQ(e2e::TrayIconsOf(app.exe()).size(), 1u);
  for (int slot = 1; slot <= 10; ++slot) {
    EXPECT_EQ(e2e::TextOf(::GetWindow(::GetDlgItem(main, e2e::BoxId(slot)), GW_CHILD)),
              L"Ctrl + Shift + F" + std::to_wstring(slot));
  }
  EXPECT_EQ(e2e::ReadFileBytes(app.IniPath()), file_before) << "a copy that gave way wrote the settings";

  // Ten more while it runs: it keeps running, alone, with its own state.
  std::vector<HANDLE> more = StartAtOnce(app.exe(), 10);
  ASSERT_EQ(more.size(), 10u);
  Tried().faults++;
  const bool gave_way = WaitUntil([&] { return StillRunning(more).empty(); });
  EXPECT_TRUE(gave_way) << StillRunning(more).size() << " of the later copies kept running";
  EndAll(more);
  EXPECT_EQ(StillRunning(copies).size(), 1u);
  EXPECT_EQ(e2e::VisibleMainWindows().size(), 1u);
  EXPECT_TRUE(AnswerTime(main).has_value());
  EXPECT_TRUE(e2e::WaitForTrayIconCount(app.exe(), 1));
  EXPECT_EQ(e2e::TrayIconsOf(app.exe()).size(), 1u);
  Figure("many copies",
         "20 started (10 at once from nothing, 10 at once beside the first): 1 process, 1 icon");

  // The one that stayed saves its settings, intact, on the way out.
  ASSERT_TRUE(BringToFront(main));
  ASSERT_TRUE(Click(CloseImageOf(main)));
  const bool ended = WaitUntil([&] { return StillRunning(copies).empty(); });
  EndAll(copies);
  ASSERT_TRUE(ended) << "the remaining copy did not end through its close image";
  EXPECT_TRUE(SavedAsExpected(app, TenSlotHotkeys()));
  EXPECT_TRUE(e2e::WaitForTrayIconCount(app.exe(), 0));
}

TEST(ManyCopies, TenStartedBesideARunningOneLeaveItsUnsavedChangesAlone) {
  Program app;
  app.WriteIni(TenSlots());
  ASSERT_TRUE(app.Start());
  ASSERT_TRUE(TypeHotkey(app, 5, MOD_CONTROL | MOD_ALT, 'Y'));
  bool checked = false;
  std::vector<Shown> shown;
  ASSERT_TRUE(TickSlot(app, 5, checked, shown));
  ASSERT_TRUE(checked);
  std::vector<HANDLE> more = StartAtOnce(app.exe(), 10);
  ASSERT_EQ(more.size(), 10u);
  Tried().faults++;
  const bool gave_way = WaitUntil([&] { return StillRunning(more).empty(); });
  EndAll(more);
  ASSERT_TRUE(gave_way);
  ASSERT_TRUE(Healthy(app));
  const std::wstring typed = e2e::HotkeyText({VK_CONTROL, VK_MENU}, 'Y');
  EXPECT_EQ(app.BoxText(5), typed);
  EXPECT_TRUE(app.Checked(e2e::CheckId(5)));
  EXPECT_FALSE(HotkeyFree(MOD_CONTROL | MOD_ALT, 'Y')) << "the first copy lost its registration";

  ASSERT_TRUE(ExitByCloseImage(app, shown));
  EXPECT_TRUE(shown.empty());
  std::vector<Hotkey> expected = TenSlotHotkeys();
  expected[4] = Hotkey{typed, 'Y', MOD_CONTROL | MOD_ALT};
  EXPECT_TRUE(SavedAsExpected(app, expected));
}

// ---------------------------------------------------------------------------------------------

// The program with slots 1 and 2 switched on (Ctrl+Shift+F1, F2).
::testing::AssertionResult StartWithTwoSlotsOn(Program& app) {
  app.WriteIni(TenSlots());
  auto started = app.Start();
  if (!started) {
    return started;
  }
  for (int slot : {1, 2}) {
    bool checked = false;
    std::vector<Shown> shown;
    auto ticked = TickSlot(app, slot, checked, shown);
    if (!ticked) {
      return ticked;
    }
    if (!checked || !shown.empty()) {
      return ::testing::AssertionFailure() << "slot " << slot << " could not be switched on";
    }
  }
  return ::testing::AssertionSuccess();
}

// With |window| in front, presses slot |slot|'s hotkey in "Get Form" mode and checks it was taken.
::testing::AssertionResult Remember(const Program& app, int slot, HWND window) {
  auto front = BringToFront(window);
  if (!front) {
    return front;
  }
  PressHotkey(kCtrlShift, static_cast<UINT>(VK_F1 + slot - 1));
  auto through = Barrier(app);
  if (!through) {
    return through;
  }
  if (app.SlotHandleText(slot) != e2e::HandleText(window)) {
    return ::testing::AssertionFailure() << "slot " << slot << " holds \"" << Utf8(app.SlotHandleText(slot))
                                         << "\" instead of " << Utf8(e2e::HandleText(window));
  }
  return ::testing::AssertionSuccess();
}

TEST(RememberedWindow, DestroyedWindowMakesThePressDoNothing) {
  WindowThread windows;
  const HWND gone = windows.Create(L"Closed soon", POINT{8, 8});
  const HWND stays = windows.Create(L"Stays", POINT{8, 200});
  Program app;
  ASSERT_TRUE(StartWithTwoSlotsOn(app));
  ASSERT_TRUE(Remember(app, 1, gone));
  const std::wstring remembered = app.SlotHandleText(1);
  windows.Destroy(gone);
  ASSERT_FALSE(::IsWindow(gone));
  Tried().faults++;

  ASSERT_TRUE(ChooseMode(app, 1));
  ASSERT_TRUE(BringToFront(stays));
  for (int i = 0; i < 5; ++i) {
    PressHotkey(kCtrlShift, VK_F1);
  }
  ASSERT_TRUE(Barrier(app));
  EXPECT_EQ(::GetForegroundWindow(), stays) << "a press for a closed window changed the foreground";
  EXPECT_EQ(app.SlotHandleText(1), remembered) << "the slot must keep its text";
  EXPECT_TRUE(AllDialogsOf(app.pid()).empty()) << "a message for a closed window";
  EXPECT_TRUE(Healthy(app));

  std::vector<Shown> shown;
  ASSERT_TRUE(ExitByCloseImage(app, shown));
  EXPECT_TRUE(shown.empty());
  EXPECT_TRUE(SavedAsExpected(app, TenSlotHotkeys()));
}

TEST(RememberedWindow, MinimisedWindowWhoseThreadHangsDoesNotHangTheProgram) {
  WindowThread hanging_thread;
  WindowThread other_thread;
  const HWND hung = hanging_thread.Create(L"Stops answering", POINT{8, 8});
  const HWND other = other_thread.Create(L"Answers", POINT{8, 200});
  Program app;
  ASSERT_TRUE(StartWithTwoSlotsOn(app));
  ASSERT_TRUE(Remember(app, 1, hung));
  ASSERT_TRUE(Remember(app, 2, other));
  ASSERT_TRUE(ChooseMode(app, 1));

  hanging_thread.Minimize(hung);
  ASSERT_TRUE(WaitUntil([&] { return ::IsIconic(hung) != FALSE; }));
  hanging_thread.Hang();
  Tried().faults++;
  ASSERT_TRUE(BringToFront(other));

  PressHotkey(kCtrlShift, VK_F1);
  ASSERT_TRUE(Barrier(app)) << "the press for a hung window held the program up";
  long long slowest = 0;
  for (int i = 0; i < 5; ++i) {
    const auto answered = AnswerTime(app.window());
    ASSERT_TRUE(answered.has_value()) << "the program stopped answering";
    slowest = std::max(slowest, *answered);
  }
  // The restore was only asked for: the hung thread has not carried it out.
  EXPECT_TRUE(::IsIconic(hung)) << "the window was restored although its thread answers nothing";
  Figure("hung remembered window", "program answered WM_NULL 5 times, slowest " + std::to_string(slowest) +
                                       " us; foreground after the press: " +
                                       (::GetForegroundWindow() == hung ? "the hung window" : "unchanged"));

  // The other slots still work meanwhile.
  PressHotkey(kCtrlShift, VK_F2);
  ASSERT_TRUE(Barrier(app));
  EXPECT_TRUE(WaitUntil([&] { return ::GetForegroundWindow() == other; }))
      << "switching to an answering window failed while another hangs";

  // Once the thread answers again it carries out the restore it was sent, and a press brings the
  // window to the front.
  hanging_thread.Resume();
  EXPECT_TRUE(WaitUntil([&] { return ::IsIconic(hung) == FALSE; })) << "the restore was lost";
  PressHotkey(kCtrlShift, VK_F1);
  ASSERT_TRUE(Barrier(app));
  EXPECT_TRUE(WaitUntil([&] { return ::GetForegroundWindow() == hung; }));
  EXPECT_TRUE(Healthy(app));

  std::vector<Shown> shown;
  ASSERT_TRUE(ExitByCloseImage(app, shown));
  EXPECT_TRUE(shown.empty());
  EXPECT_TRUE(SavedAsExpected(app, TenSlotHotkeys()));
}

TEST(RememberedWindow, MinimisedWindowIsRestoredAndBroughtToTheFrontEveryTime) {
  WindowThread windows;
  const HWND first = windows.Create(L"Minimised often", POINT{8, 8});
  const HWND second = windows.Create(L"In front between", POINT{8, 200});
  Program app;
  ASSERT_TRUE(StartWithTwoSlotsOn(app));
  ASSERT_TRUE(Remember(app, 1, first));
  ASSERT_TRUE(Remember(app, 2, second));
  ASSERT_TRUE(ChooseMode(app, 1));
  constexpr int kRounds = 20;
  for (int round = 0; round < kRounds; ++round) {
    SCOPED_TRACE("round " + std::to_string(round + 1));
    PressHotkey(kCtrlShift, VK_F2);
    ASSERT_TRUE(Barrier(app));
    ASSERT_TRUE(WaitUntil([&] { return ::GetForegroundWindow() == second; }));
    windows.Minimize(first);
    ASSERT_TRUE(WaitUntil([&] { return ::IsIconic(first) != FALSE; }));
    Tried().faults++;
    PressHotkey(kCtrlShift, VK_F1);
    ASSERT_TRUE(Barrier(app));
    ASSERT_TRUE(WaitUntil([&] { return ::IsIconic(first) == FALSE && ::GetForegroundWindow() == first; }))
        << "the minimised window was not restored to the front";
  }
  Figure("minimised remembered window", std::to_string(kRounds) + " times minimised, restored and in front");
  EXPECT_TRUE(Healthy(app));
  std::vector<Shown> shown;
  ASSERT_TRUE(ExitByCloseImage(app, shown));
  EXPECT_TRUE(shown.empty());
}

TEST(RememberedWindow, SlotTextEditedIntoGarbageMakesThePressDoNothing) {
  WindowThread windows;
  const HWND front = windows.Create(L"In front", POINT{8, 8});
  Program app;
  ASSERT_TRUE(StartWithTwoSlotsOn(app));
  ASSERT_TRUE(ChooseMode(app, 1));
  const std::vector<std::wstring> garbage = {L"abc",
                                             L"12abc",
                                             L"-",
                                             L"--5",
                                             L"+5",
                                             L" 5",
                                             L"5 ",
                                             L"0x10",
                                             L"1e5",
                                             L"99999999999",
                                             L"-99999999999",
                                             L"4294967296",
                                             L"2147483648",
                                             L"\u0661\u0662\u0663",
                                             L"\uff11\uff12\uff13",
                                             L"\u00a0123",
                                             L"12\u00a0",
                                             L"0",
                                             L"-0",
                                             L"00000000000000000000000",
                                             L"1",
                                             L"-1",
                                             L"12345",
                                             L"2147483647",
                                             L"-2147483648",
                                             std::wstring(10000, L'9'),
                                             std::wstring(40000, L'x'),
                                             L"\u8bbe\u7f6e",
                                             L"\t\r\n"};
  int pressed = 0;
  for (const std::wstring& text : garbage) {
    SCOPED_TRACE("slot text \"" + Utf8(text.substr(0, 20)) + "\" (" + std::to_string(text.size()) +
                 " characters)");
    ASSERT_TRUE(SetTextOf(app.Control(e2e::TextId(1)), text));
    const std::wstring held = LongTextOf(app.Control(e2e::TextId(1)));
    Tried().bad_inputs++;
    ASSERT_TRUE(BringToFront(front));
    PressHotkey(kCtrlShift, VK_F1);
    ++pressed;
    ASSERT_TRUE(Barrier(app));
    EXPECT_EQ(::GetForegroundWindow(), front) << "the press changed the foreground";
    EXPECT_EQ(LongTextOf(app.Control(e2e::TextId(1))), held) << "the press changed the slot's text";
    EXPECT_TRUE(AllDialogsOf(app.pid()).empty()) << "a message about a slot's text";
    ASSERT_TRUE(AnswerTime(app.window()).has_value()) << "the program stopped answering";
  }
  Figure("garbage slot texts", std::to_string(pressed) + " texts pressed, none acted on");
  EXPECT_TRUE(Healthy(app));

  std::vector<Shown> shown;
  ASSERT_TRUE(ExitByCloseImage(app, shown));
  EXPECT_TRUE(shown.empty());
  EXPECT_TRUE(SavedAsExpected(app, TenSlotHotkeys()));
}

}  // namespace
}  // namespace tarnelle::reliability

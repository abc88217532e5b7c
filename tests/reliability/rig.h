#pragma once
// What the reliability cases share, on top of the e2e harness: the health check every case ends
// with, a barrier that waits until the program has handled every hotkey pressed so far, windows
// on a thread of their own that can hang, settings that refuse writes, memory figures, and the
// tally of what was tried.

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "tests/e2e/harness.h"

namespace tarnelle::reliability {

using e2e::Program;

// ---------------------------------------------------------------------------------------------
// What was tried, printed at the end of the run.

struct Tally {
  std::atomic<long> bad_inputs{0};
  std::atomic<long> faults{0};
  std::atomic<long> presses{0};
};
Tally& Tried();

// A measured figure for the report ("[figure] name: value"), printed as it is taken and again in
// the summary at the end.
void Figure(const std::string& name, const std::string& value);
void PrintFigures();

// ---------------------------------------------------------------------------------------------
// The program's health.

// Answers WM_NULL within a second. The time it took, in microseconds, when it did.
std::optional<long long> AnswerTime(HWND window);
// Alive, answering, and shown in the notification area by exactly one icon of its own.
::testing::AssertionResult Healthy(const Program& app);

// Returns once the program's thread has handled everything posted to it before the call, the
// hotkeys pressed so far among them (the platform posts WM_HOTKEY to the same queue when the key
// goes down). Uses the text limit of slot 10's hidden text box as the token: nothing else uses it.
::testing::AssertionResult Barrier(const Program& app);

// Presses one hotkey: the modifiers (MOD_* bits) and the key, then lets go, in one SendInput.
void PressHotkey(UINT modifiers, UINT key);

// A left click in the middle of |window|: the pointer goes there first, then the press and the
// release follow in one SendInput call, each carrying the position, so that a late pointer update
// of Wine's cannot move them apart.
::testing::AssertionResult Click(HWND window);
::testing::AssertionResult ClickAt(POINT screen);

// Clicks into hotkey box |slot| and presses the combination (MOD_* bits and a key); waits until
// the box shows the text the platform's key names give it.
::testing::AssertionResult TypeHotkey(const Program& app, int slot, UINT modifiers, UINT key);

// Brings one of the test's own windows to the front and waits until it is there.
::testing::AssertionResult BringToFront(HWND window);

// Replaces the text of a text box of the program, as a user's edit would.
bool SetTextOf(HWND window, const std::wstring& text);

// Every dialog box ("#32770") of |pid|, shown or not.
std::vector<HWND> AllDialogsOf(DWORD pid);

// A message box the program showed, as read from the screen.
struct Shown {
  std::wstring caption;
  std::wstring text;
};
// Reads and answers (OK) every message box of the program until none is left and the program has
// handled everything sent to it; appends what it read to |shown|.
::testing::AssertionResult AnswerMessages(const Program& app, std::vector<Shown>& shown);

// Clicks "Start Hotkey |slot|" and waits until the click has been handled to the end, every
// message it brought answered. The checkbox's final state goes to |checked|.
::testing::AssertionResult TickSlot(const Program& app, int slot, bool& checked, std::vector<Shown>& shown);

// Chooses a mode with a real click on its option button (0 "Get Form", 1 "Start Change Form").
::testing::AssertionResult ChooseMode(const Program& app, int mode);

// Clicks the close image and answers every message until the process has ended.
::testing::AssertionResult ExitByCloseImage(const Program& app, std::vector<Shown>& shown);

// Whether another program could register this hotkey now.
bool HotkeyFree(UINT modifiers, UINT key);

// ---------------------------------------------------------------------------------------------
// Settings on disk.

// A value of section [Orvanta] as the platform's profile functions read it; nothing when missing.
std::optional<std::wstring> SavedValue(const Program& app, const std::wstring& key);

struct Hotkey {
  std::wstring text;
  std::int32_t key_code = 0;
  std::int32_t modifiers = 0;
};
// Checks that set.ini holds, for every slot, exactly |expected[slot - 1]|, with both numbers
// written as plain decimal.
::testing::AssertionResult SavedAsExpected(const Program& app, const std::vector<Hotkey>& expected);

// Makes a file or a folder refuse writes for as long as the object lives. Tries what a user does
// first (the read-only attribute, and for a folder also the Unix mode bits), and where the account
// writes through that anyway (root, under Wine) marks it immutable on the Unix side (chattr +i).
class Unwritable {
 public:
  enum class Kind { kFile, kFolder };
  Unwritable(std::wstring path, Kind kind);
  ~Unwritable();
  Unwritable(const Unwritable&) = delete;
  Unwritable& operator=(const Unwritable&) = delete;

  // Whether writes are refused now; |how| says what did it.
  [[nodiscard]] bool refusing() const { return refusing_; }
  [[nodiscard]] const std::string& how() const { return how_; }
  // Whether a write is refused at this moment (a fresh probe).
  [[nodiscard]] bool Probe() const;

 private:
  bool RunChattr(const char* flag) const;

  std::wstring path_;
  Kind kind_;
  bool refusing_ = false;
  bool immutable_ = false;
  std::string how_;
};

// ---------------------------------------------------------------------------------------------
// The test's own application windows, on a thread of their own so that one can stop answering
// (hang) while the test goes on, and so that the test's main thread never owns a window.

class WindowThread {
 public:
  WindowThread();
  ~WindowThread();
  WindowThread(const WindowThread&) = delete;
  WindowThread& operator=(const WindowThread&) = delete;

  // A plain visible application window at |at| (screen pixels, 220 x 150).
  HWND Create(const wchar_t* title, POINT at);
  // Asks the window to minimise itself (posted: it happens when the thread gets to it).
  void Minimize(HWND window);
  void Destroy(HWND window);
  [[nodiscard]] bool Iconic(HWND window) const { return ::IsIconic(window) != FALSE; }

  // Stops the thread answering anything until Resume.
  void Hang();
  void Resume();
  [[nodiscard]] DWORD thread_id() const { return thread_id_; }

 private:
  void Run(const std::function<void()>& task);
  void Loop();

  std::thread thread_;
  DWORD thread_id_ = 0;
  HANDLE ready_ = nullptr;
  HANDLE done_ = nullptr;
  HANDLE hanging_ = nullptr;
  HANDLE resume_ = nullptr;
  std::atomic<bool> hung_{false};
};

// ---------------------------------------------------------------------------------------------
// Memory of a process.

struct Memory {
  std::uint64_t working_set = 0;
  std::uint64_t private_bytes = 0;  // PrivateUsage, or the commit charge where that is not filled
};
std::optional<Memory> MemoryOf(HANDLE process);
std::string Kib(std::uint64_t bytes);

// UTF-8 for messages.
std::string Utf8(std::wstring_view text);

}  // namespace tarnelle::reliability

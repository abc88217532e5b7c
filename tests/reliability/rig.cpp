#include "tests/reliability/rig.h"

#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <mutex>
#include <set>
#include <utility>

namespace tarnelle::reliability {

namespace {

using e2e::kPatienceMs;
using e2e::WaitUntil;
using ::testing::AssertionFailure;
using ::testing::AssertionResult;
using ::testing::AssertionSuccess;

std::mutex& FiguresLock() {
  static std::mutex lock;
  return lock;
}

std::vector<std::pair<std::string, std::string>>& Figures() {
  static std::vector<std::pair<std::string, std::string>> figures;
  return figures;
}

std::vector<WORD> ModifierKeys(UINT modifiers) {
  std::vector<WORD> held;
  if ((modifiers & MOD_WIN) != 0) {
    held.push_back(VK_LWIN);
  }
  if ((modifiers & MOD_CONTROL) != 0) {
    held.push_back(VK_CONTROL);
  }
  if ((modifiers & MOD_ALT) != 0) {
    held.push_back(VK_MENU);
  }
  if ((modifiers & MOD_SHIFT) != 0) {
    held.push_back(VK_SHIFT);
  }
  return held;
}

}  // namespace

std::string Utf8(std::wstring_view text) {
  return e2e::Utf8(text);
}

Tally& Tried() {
  static Tally tally;
  return tally;
}

void Figure(const std::string& name, const std::string& value) {
  std::printf("[figure] %s: %s\n", name.c_str(), value.c_str());
  std::fflush(stdout);
  const std::lock_guard<std::mutex> hold(FiguresLock());
  Figures().emplace_back(name, value);
}

void PrintFigures() {
  const std::lock_guard<std::mutex> hold(FiguresLock());
  for (const auto& [name, value] : Figures()) {
    std::printf("  %s: %s\n", name.c_str(), value.c_str());
  }
}

// ---------------------------------------------------------------------------------------------
// The program's health.

std::optional<long long> AnswerTime(HWND window) {
  const auto start = std::chrono::steady_clock::now();
  DWORD_PTR result = 0;
  if (window == nullptr ||
      ::SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK, 1000, &result) == 0) {
    return std::nullopt;
  }
  return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start)
      .count();
}

AssertionResult Healthy(const Program& app) {
  if (!app.running()) {
    DWORD code = 0;
    ::GetExitCodeProcess(app.process(), &code);
    return AssertionFailure() << "the program is not running (exit code " << code << ")";
  }
  if (!AnswerTime(app.window())) {
    return AssertionFailure() << "the main window did not answer WM_NULL within a second";
  }
  AssertionResult icons = e2e::WaitForTrayIconCount(app.exe(), 1);
  if (!icons) {
    return icons;
  }
  // Once more after the program has caught up: a second icon may come late.
  if (!app.Sync()) {
    return AssertionFailure() << "the main window stopped answering";
  }
  const std::size_t count = e2e::TrayIconsOf(app.exe()).size();
  if (count != 1) {
    return AssertionFailure() << "the notification area shows " << count << " icons of the program";
  }
  return AssertionSuccess();
}

AssertionResult Barrier(const Program& app) {
  static WPARAM token = 0x00100000;
  ++token;
  const HWND box = app.Control(e2e::TextId(10));
  if (box == nullptr || !::PostMessageW(box, EM_LIMITTEXT, token, 0)) {
    return AssertionFailure() << "cannot post to the program (error " << ::GetLastError() << ")";
  }
  DWORD_PTR limit = 0;
  const bool through = WaitUntil([&] {
    return ::SendMessageTimeoutW(box, EM_GETLIMITTEXT, 0, 0, SMTO_NORMAL, 1000, &limit) != 0 &&
           limit == token;
  });
  if (!through) {
    return AssertionFailure() << "the program did not work through its queue (it is "
                              << (app.running() ? "running but stuck" : "gone") << ")";
  }
  return AssertionSuccess();
}

void PressHotkey(UINT modifiers, UINT key) {
  e2e::SendCombo(ModifierKeys(modifiers), static_cast<WORD>(key));
  Tried().presses++;
}

AssertionResult Click(HWND window) {
  if (window == nullptr || !::IsWindowVisible(window)) {
    return AssertionFailure() << "the window to click is not there";
  }
  return ClickAt(e2e::CenterOf(window));
}

AssertionResult ClickAt(POINT at) {
  AssertionResult moved = e2e::MoveMouseTo(at);
  if (!moved) {
    return moved;
  }
  const int left = ::GetSystemMetrics(SM_XVIRTUALSCREEN);
  const int top = ::GetSystemMetrics(SM_YVIRTUALSCREEN);
  const int width = std::max(2, ::GetSystemMetrics(SM_CXVIRTUALSCREEN));
  const int height = std::max(2, ::GetSystemMetrics(SM_CYVIRTUALSCREEN));
  INPUT events[2]{};
  for (INPUT& in : events) {
    in.type = INPUT_MOUSE;
    in.mi.dx = ::MulDiv(at.x - left, 65535, width - 1);
    in.mi.dy = ::MulDiv(at.y - top, 65535, height - 1);
  }
  events[0].mi.dwFlags =
      MOUSEEVENTF_LEFTDOWN | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_VIRTUALDESK;
  events[1].mi.dwFlags =
      MOUSEEVENTF_LEFTUP | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_VIRTUALDESK;
  if (::SendInput(2, events, sizeof(INPUT)) != 2) {
    return AssertionFailure() << "SendInput refused the click (error " << ::GetLastError() << ")";
  }
  return AssertionSuccess();
}

AssertionResult TypeHotkey(const Program& app, int slot, UINT modifiers, UINT key) {
  AssertionResult front = BringToFront(app.window());
  if (!front) {
    return front;
  }
  AssertionResult clicked = Click(app.BoxField(slot));
  if (!clicked) {
    return clicked;
  }
  if (!WaitUntil([&] { return ::GetForegroundWindow() == app.window(); }) || !app.Sync()) {
    return AssertionFailure() << "clicking hotkey box " << slot << " did not activate the window";
  }
  const std::vector<WORD> held = ModifierKeys(modifiers);
  e2e::SendCombo(held, static_cast<WORD>(key));
  const std::wstring expected = e2e::HotkeyText(held, static_cast<WORD>(key));
  if (!WaitUntil([&] { return app.BoxText(slot) == expected; })) {
    return AssertionFailure() << "hotkey box " << slot << " shows \"" << Utf8(app.BoxText(slot))
                              << "\" instead of \"" << Utf8(expected) << "\"";
  }
  return AssertionSuccess();
}

AssertionResult BringToFront(HWND window) {
  if (WaitUntil([&] {
        if (::GetForegroundWindow() != window) {
          ::SetForegroundWindow(window);
        }
        return ::GetForegroundWindow() == window;
      })) {
    return AssertionSuccess();
  }
  return AssertionFailure() << "window " << window << " did not come to the front";
}

bool SetTextOf(HWND window, const std::wstring& text) {
  DWORD_PTR result = 0;
  return ::SendMessageTimeoutW(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_NORMAL,
                               kPatienceMs, &result) != 0;
}

std::vector<HWND> AllDialogsOf(DWORD pid) {
  struct Search {
    DWORD pid;
    std::vector<HWND> found;
  } search{pid, {}};
  ::EnumWindows(
      [](HWND hwnd, LPARAM lp) -> BOOL {
        auto* s = reinterpret_cast<Search*>(lp);
        if (e2e::ProcessOf(hwnd) == s->pid && e2e::ClassOf(hwnd) == L"#32770") {
          s->found.push_back(hwnd);
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

namespace {

// Reads and answers the message boxes on screen that were not answered yet.
void AnswerShown(const Program& app, std::set<HWND>& answered, std::vector<Shown>& shown) {
  for (const e2e::ShownDialog& dialog : e2e::DialogsOf(app.pid())) {
    if (answered.count(dialog.window) != 0) {
      continue;
    }
    answered.insert(dialog.window);
    shown.push_back(Shown{dialog.caption, dialog.text});
    ::PostMessageW(dialog.window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(dialog.window, IDOK)));
  }
}

}  // namespace

AssertionResult AnswerMessages(const Program& app, std::vector<Shown>& shown) {
  std::set<HWND> answered;
  const bool settled = WaitUntil([&] {
    AnswerShown(app, answered, shown);
    if (!app.running()) {
      return true;
    }
    for (HWND dialog : answered) {
      if (::IsWindow(dialog)) {
        return false;  // still closing
      }
    }
    return AllDialogsOf(app.pid()).empty() && app.Sync() && AllDialogsOf(app.pid()).empty();
  });
  if (!settled) {
    return AssertionFailure() << "a message box of the program stayed open";
  }
  return AssertionSuccess();
}

AssertionResult TickSlot(const Program& app, int slot, bool& checked, std::vector<Shown>& shown) {
  const int id = e2e::CheckId(slot);
  const bool before = app.Checked(id);
  // A click that lands while the window is still being activated (a message box just closed)
  // may be taken for the activation alone.
  AssertionResult front = BringToFront(app.window());
  if (!front || !app.Sync()) {
    return AssertionFailure() << "the main window cannot be brought to the front";
  }
  AssertionResult clicked = Click(app.Control(id));
  if (!clicked) {
    return clicked;
  }
  // The click is being handled once the checkbox has turned or a message has come up.
  if (!WaitUntil([&] { return app.Checked(id) != before || !AllDialogsOf(app.pid()).empty(); })) {
    POINT cursor{};
    ::GetCursorPos(&cursor);
    return AssertionFailure() << "clicking \"Start Hotkey " << slot << "\" changed nothing (pointer at "
                              << cursor.x << "," << cursor.y << ", foreground " << ::GetForegroundWindow()
                              << ")";
  }
  AssertionResult answered = AnswerMessages(app, shown);
  if (!answered) {
    return answered;
  }
  checked = app.Checked(id);
  return AssertionSuccess();
}

AssertionResult ChooseMode(const Program& app, int mode) {
  const int id = mode == 0 ? e2e::kGetFormId : e2e::kChangeFormId;
  AssertionResult front = BringToFront(app.window());
  if (!front || !app.Sync()) {
    return AssertionFailure() << "the main window cannot be brought to the front";
  }
  AssertionResult clicked = Click(app.Control(id));
  if (!clicked) {
    return clicked;
  }
  if (!WaitUntil([&] { return app.Checked(id); }) || !app.Sync()) {
    return AssertionFailure() << "the mode option " << mode << " was not chosen";
  }
  return AssertionSuccess();
}

AssertionResult ExitByCloseImage(const Program& app, std::vector<Shown>& shown) {
  AssertionResult front = BringToFront(app.window());
  if (!front || !app.Sync()) {
    return AssertionFailure() << "the main window cannot be brought to the front";
  }
  AssertionResult clicked = Click(app.CloseImage());
  if (!clicked) {
    return clicked;
  }
  std::set<HWND> answered;
  if (!WaitUntil([&] {
        AnswerShown(app, answered, shown);
        return !app.running();
      })) {
    return AssertionFailure() << "the program did not end after the close image was clicked";
  }
  return AssertionSuccess();
}

bool HotkeyFree(UINT modifiers, UINT key) {
  return e2e::HotkeyIsFree(modifiers, key);
}

// ---------------------------------------------------------------------------------------------
// Settings on disk.

std::optional<std::wstring> SavedValue(const Program& app, const std::wstring& key) {
  constexpr wchar_t kMissing[] = L"\x01(missing)";
  std::wstring value(70000, L'\0');
  const DWORD n = ::GetPrivateProfileStringW(L"Orvanta", key.c_str(), kMissing, value.data(),
                                             static_cast<DWORD>(value.size()), app.IniPath().c_str());
  value.resize(n);
  if (value == kMissing) {
    return std::nullopt;
  }
  return value;
}

AssertionResult SavedAsExpected(const Program& app, const std::vector<Hotkey>& expected) {
  std::string problems;
  for (int slot = 1; slot <= static_cast<int>(expected.size()); ++slot) {
    const Hotkey& want = expected[static_cast<std::size_t>(slot - 1)];
    const std::wstring name = L"Orvanta" + std::to_wstring(slot);
    const std::pair<std::wstring, std::wstring> keys[] = {
        {name + L"Text", want.text},
        {name + L"KeyCode", std::to_wstring(want.key_code)},
        {name + L"ModKeyCode", std::to_wstring(want.modifiers)},
    };
    for (const auto& [key, value] : keys) {
      const std::optional<std::wstring> saved = SavedValue(app, key);
      if (!saved) {
        problems += " " + Utf8(key) + " is missing;";
      } else if (*saved != value) {
        std::string shown = Utf8(*saved);
        if (shown.size() > 80) {
          shown = shown.substr(0, 80) + "...(" + std::to_string(saved->size()) + " characters)";
        }
        std::string wanted = Utf8(value);
        if (wanted.size() > 80) {
          wanted = wanted.substr(0, 80) + "...(" + std::to_string(value.size()) + " characters)";
        }
        problems += " " + Utf8(key) + "=\"" + shown + "\" instead of \"" + wanted + "\";";
      }
    }
  }
  if (problems.empty()) {
    return AssertionSuccess();
  }
  return AssertionFailure() << "set.ini:" << problems;
}

// ---------------------------------------------------------------------------------------------
// Unwritable files and folders.

namespace {

// The Unix name of a file, from Wine's own kernel32; empty elsewhere.
std::string UnixNameOf(const std::wstring& path) {
  using GetUnixName = char*(CDECL*)(const wchar_t*);
  const auto get = reinterpret_cast<GetUnixName>(reinterpret_cast<void*>(
      ::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
  if (get == nullptr) {
    return {};
  }
  char* name = get(path.c_str());
  if (name == nullptr) {
    return {};
  }
  std::string result(name);
  ::HeapFree(::GetProcessHeap(), 0, name);
  return result;
}

// Starts a Unix tool through rel_unix_tool.exe (built beside this program): Wine runs a program
// that is not a Windows one as a host process, and gives no handle to wait on, so the caller
// watches for the effect. Not from this process: one that forks a host program loses its view of
// the display afterwards under Wine 8.
bool StartUnixTool(const std::vector<std::string>& argv) {
  std::wstring self(MAX_PATH, L'\0');
  self.resize(::GetModuleFileNameW(nullptr, self.data(), MAX_PATH));
  const std::wstring helper = self.substr(0, self.find_last_of(L"\\/")) + L"\\rel_unix_tool.exe";
  std::wstring command = L"\"" + helper + L"\"";
  for (const std::string& arg : argv) {
    command += L" \"";
    command += std::wstring(arg.begin(), arg.end());
    command += L'"';
  }
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info{};
  if (!::CreateProcessW(helper.c_str(), command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                        nullptr, &startup, &info)) {
    return false;
  }
  ::CloseHandle(info.hThread);
  DWORD code = 1;
  const bool ended = ::WaitForSingleObject(info.hProcess, e2e::kPatienceMs) == WAIT_OBJECT_0 &&
                     ::GetExitCodeProcess(info.hProcess, &code);
  ::CloseHandle(info.hProcess);
  return ended && code == 0;
}

// The first of the usual places that holds |tool|.
std::string UnixTool(const char* tool) {
  for (const char* folder : {"/usr/bin/", "/bin/", "/usr/sbin/", "/sbin/"}) {
    const std::string unix_path = std::string(folder) + tool;
    std::wstring dos = L"Z:" + std::wstring(unix_path.begin(), unix_path.end());
    for (wchar_t& c : dos) {
      if (c == L'/') {
        c = L'\\';
      }
    }
    const DWORD attributes = ::GetFileAttributesW(dos.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
      return unix_path;
    }
  }
  return {};
}

}  // namespace

Unwritable::Unwritable(std::wstring path, Kind kind) : path_(std::move(path)), kind_(kind) {
  if (kind_ == Kind::kFile) {
    ::SetFileAttributesW(path_.c_str(), FILE_ATTRIBUTE_READONLY);
    if (Probe()) {
      refusing_ = true;
      how_ = "read-only attribute";
      return;
    }
  } else {
    ::SetFileAttributesW(path_.c_str(), FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY);
    const std::string chmod = UnixTool("chmod");
    const std::string unix_name = UnixNameOf(path_);
    if (!chmod.empty() && !unix_name.empty() && StartUnixTool({chmod, "a-w", unix_name}) &&
        WaitUntil([&] { return Probe(); }, 3000)) {
      refusing_ = true;
      how_ = "read-only attribute and Unix mode a-w";
      return;
    }
  }
  // This account writes through both (root does, under Wine): make it immutable instead.
  const std::string chattr = UnixTool("chattr");
  if (chattr.empty() || UnixNameOf(path_).empty()) {
    how_ = "nothing refuses writes for this account, and chattr is not available";
    return;
  }
  immutable_ = RunChattr("+i") && WaitUntil([&] { return Probe(); });
  refusing_ = immutable_;
  how_ = refusing_ ? "immutable (chattr +i): this account writes through the read-only attribute"
                   : "chattr +i had no effect";
}

Unwritable::~Unwritable() {
  if (immutable_) {
    RunChattr("-i");
    WaitUntil([&] { return !Probe(); });
  }
  if (kind_ == Kind::kFolder) {
    const std::string chmod = UnixTool("chmod");
    const std::string unix_name = UnixNameOf(path_);
    if (!chmod.empty() && !unix_name.empty() && StartUnixTool({chmod, "u+w", unix_name})) {
      WaitUntil([&] { return !Probe(); });
    }
    ::SetFileAttributesW(path_.c_str(), FILE_ATTRIBUTE_DIRECTORY);
  } else {
    ::SetFileAttributesW(path_.c_str(), FILE_ATTRIBUTE_NORMAL);
  }
}

bool Unwritable::RunChattr(const char* flag) const {
  const std::string chattr = UnixTool("chattr");
  const std::string unix_name = UnixNameOf(path_);
  return !chattr.empty() && !unix_name.empty() && StartUnixTool({chattr, flag, unix_name});
}

bool Unwritable::Probe() const {
  if (kind_ == Kind::kFile) {
    const HANDLE file = ::CreateFileW(path_.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
      return true;
    }
    ::CloseHandle(file);
    return false;
  }
  // A new name each time: a probe made just before the folder turned read-only stays behind.
  static int count = 0;
  const std::wstring probe = path_ + L"\\write-probe-" + std::to_wstring(++count) + L".tmp";
  const HANDLE file =
      ::CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    return true;
  }
  ::CloseHandle(file);
  ::DeleteFileW(probe.c_str());
  return false;
}

// ---------------------------------------------------------------------------------------------
// Windows on a thread of their own.

namespace {

constexpr wchar_t kTargetClass[] = L"TarnelleReliabilityTarget";
constexpr UINT kRunTask = WM_APP + 40;
constexpr UINT kHangNow = WM_APP + 41;

void RegisterTargetClass() {
  static const ATOM atom = [] {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = &::DefWindowProcW;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1));
    wc.lpszClassName = kTargetClass;
    return ::RegisterClassExW(&wc);
  }();
  (void)atom;
}

}  // namespace

WindowThread::WindowThread()
    : ready_(::CreateEventW(nullptr, FALSE, FALSE, nullptr)),
      done_(::CreateEventW(nullptr, FALSE, FALSE, nullptr)),
      hanging_(::CreateEventW(nullptr, FALSE, FALSE, nullptr)),
      resume_(::CreateEventW(nullptr, FALSE, FALSE, nullptr)) {
  RegisterTargetClass();
  thread_ = std::thread([this] { Loop(); });
  ::WaitForSingleObject(ready_, INFINITE);
}

WindowThread::~WindowThread() {
  Resume();
  // The thread's windows go with it.
  ::PostThreadMessageW(thread_id_, WM_QUIT, 0, 0);
  const HANDLE thread = ::OpenThread(SYNCHRONIZE, FALSE, thread_id_);
  const bool ended =
      thread == nullptr ||
      WaitUntil([&] { return ::WaitForSingleObject(thread, 0) == WAIT_OBJECT_0; }, 3 * kPatienceMs);
  if (thread != nullptr) {
    ::CloseHandle(thread);
  }
  if (!ended) {
    // Its events stay open: the thread may still wake up and use them.
    ADD_FAILURE() << "the test's window thread is stuck inside the platform and was left behind";
    thread_.detach();
    return;
  }
  thread_.join();
  for (HANDLE h : {ready_, done_, hanging_, resume_}) {
    ::CloseHandle(h);
  }
}

void WindowThread::Loop() {
  thread_id_ = ::GetCurrentThreadId();
  MSG msg;
  ::PeekMessageW(&msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE);  // the queue exists from now on
  ::SetEvent(ready_);
  while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (msg.hwnd == nullptr && msg.message == kRunTask) {
      (*reinterpret_cast<const std::function<void()>*>(msg.lParam))();
      ::SetEvent(done_);
      continue;
    }
    if (msg.hwnd == nullptr && msg.message == kHangNow) {
      ::SetEvent(hanging_);
      ::WaitForSingleObject(resume_, INFINITE);  // answers nothing, not even sent messages
      continue;
    }
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
}

void WindowThread::Run(const std::function<void()>& task) {
  if (hung_) {
    ADD_FAILURE() << "the window thread is hung";
    return;
  }
  ::PostThreadMessageW(thread_id_, kRunTask, 0, reinterpret_cast<LPARAM>(&task));
  // Waits with this thread's messages flowing, should the task need anything of this thread.
  while (::MsgWaitForMultipleObjects(1, &done_, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0) {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageW(&msg);
    }
  }
}

HWND WindowThread::Create(const wchar_t* title, POINT at) {
  HWND created = nullptr;
  Run([&] {
    created = ::CreateWindowExW(0, kTargetClass, title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, at.x, at.y, 220,
                                150, nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
  });
  WaitUntil([&] { return ::IsWindowVisible(created) != FALSE; });
  return created;
}

void WindowThread::Minimize(HWND window) {
  // As the minimise button does it; the caller waits for the result.
  ::PostMessageW(window, WM_SYSCOMMAND, SC_MINIMIZE, 0);
}

void WindowThread::Destroy(HWND window) {
  Run([&] { ::DestroyWindow(window); });
}

void WindowThread::Hang() {
  if (hung_) {
    return;
  }
  ::PostThreadMessageW(thread_id_, kHangNow, 0, 0);
  ::WaitForSingleObject(hanging_, INFINITE);
  hung_ = true;
}

void WindowThread::Resume() {
  if (hung_) {
    hung_ = false;
    ::SetEvent(resume_);
  }
}

// ---------------------------------------------------------------------------------------------
// Memory.

std::optional<Memory> MemoryOf(HANDLE process) {
  PROCESS_MEMORY_COUNTERS_EX counters{};
  counters.cb = sizeof(counters);
  if (!::GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                              sizeof(counters))) {
    return std::nullopt;
  }
  Memory m;
  m.working_set = counters.WorkingSetSize;
  m.private_bytes = counters.PrivateUsage != 0 ? counters.PrivateUsage : counters.PagefileUsage;
  return m;
}

std::string Kib(std::uint64_t bytes) {
  return std::to_string(bytes / 1024) + " KiB";
}

}  // namespace tarnelle::reliability

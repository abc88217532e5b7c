#include "tests/e2e/harness.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cwctype>
#include <map>

namespace tarnelle::e2e {

namespace {

using ::testing::AssertionFailure;
using ::testing::AssertionResult;
using ::testing::AssertionSuccess;

std::string Narrow(std::wstring_view text) {
  const int n = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                      nullptr, nullptr);
  std::string out(static_cast<std::size_t>(n), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr,
                        nullptr);
  return out;
}

std::wstring Widen(std::string_view bytes, UINT code_page) {
  const int n = ::MultiByteToWideChar(code_page, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  std::wstring out(static_cast<std::size_t>(n), L'\0');
  ::MultiByteToWideChar(code_page, 0, bytes.data(), static_cast<int>(bytes.size()), out.data(), n);
  return out;
}

std::wstring Env(const wchar_t* name) {
  wchar_t buffer[1024]{};
  const DWORD n = ::GetEnvironmentVariableW(name, buffer, 1024);
  return n > 0 && n < 1024 ? std::wstring(buffer, n) : std::wstring();
}

std::wstring ThisFolder() {
  std::wstring self(MAX_PATH, L'\0');
  self.resize(::GetModuleFileNameW(nullptr, self.data(), MAX_PATH));
  return self.substr(0, self.find_last_of(L"\\/"));
}

bool FileExists(const std::wstring& path) {
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

std::wstring Lower(std::wstring text) {
  for (wchar_t& c : text) {
    c = static_cast<wchar_t>(std::towlower(c));
  }
  return text;
}

std::wstring Trim(std::wstring_view text) {
  const auto first = text.find_first_not_of(L" \t\r\n");
  if (first == std::wstring_view::npos) {
    return {};
  }
  const auto last = text.find_last_not_of(L" \t\r\n");
  return std::wstring(text.substr(first, last - first + 1));
}

template <typename Visit>
void ForEachTopLevel(Visit visit) {
  std::vector<HWND> all;
  ::EnumWindows(
      [](HWND hwnd, LPARAM lp) -> BOOL {
        reinterpret_cast<std::vector<HWND>*>(lp)->push_back(hwnd);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&all));
  for (HWND hwnd : all) {
    visit(hwnd);
  }
}

std::vector<HWND> ChildrenOf(HWND parent) {
  std::vector<HWND> children;
  for (HWND child = ::GetWindow(parent, GW_CHILD); child != nullptr;
       child = ::GetWindow(child, GW_HWNDNEXT)) {
    children.push_back(child);
  }
  return children;
}

}  // namespace

std::string Utf8(std::wstring_view text) {
  return Narrow(text);
}

bool WaitUntil(const std::function<bool()>& done, int timeout_ms) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  for (;;) {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageW(&msg);
    }
    if (done()) {
      return true;
    }
    if (std::chrono::steady_clock::now() >= deadline) {
      return false;
    }
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
}

void PumpFor(int ms) {
  WaitUntil([] { return false; }, ms);
}

// ---------------------------------------------------------------------------------------------
// Files.

std::wstring TarnelleExePath() {
  const std::wstring configured = Env(L"TARNELLE_EXE");
  if (!configured.empty()) {
    return configured;
  }
  // The test program lives in <build>\tests\e2e, the program in <build>.
  std::wstring folder = ThisFolder();
  for (int up = 0; up < 2; ++up) {
    folder = folder.substr(0, folder.find_last_of(L"\\/"));
  }
  return folder + L"\\tarnelle.exe";
}

std::wstring RecorderExePath() {
  return ThisFolder() + L"\\url_recorder.exe";
}

ScratchFolder::ScratchFolder(std::wstring_view purpose) {
  static int counter = 0;
  wchar_t temp[MAX_PATH]{};
  ::GetTempPathW(MAX_PATH, temp);
  for (;;) {
    path_ = std::wstring(temp) + L"tarnelle-e2e-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
            std::wstring(purpose) + L"-" + std::to_wstring(++counter);
    if (::CreateDirectoryW(path_.c_str(), nullptr)) {
      return;
    }
    if (::GetLastError() != ERROR_ALREADY_EXISTS) {
      ADD_FAILURE() << "cannot create the folder " << Narrow(path_);
      return;
    }
  }
}

ScratchFolder::~ScratchFolder() {
  WIN32_FIND_DATAW found{};
  const std::wstring pattern = path_ + L"\\*";
  HANDLE search = ::FindFirstFileW(pattern.c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = found.cFileName;
      if (name == L"." || name == L"..") {
        continue;
      }
      const std::wstring file = File(name);
      ::SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
      ::DeleteFileW(file.c_str());
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
  }
  ::RemoveDirectoryW(path_.c_str());
}

std::string ReadFileBytes(const std::wstring& path) {
  HANDLE file =
      ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    return {};
  }
  std::string bytes;
  char buffer[4096];
  DWORD got = 0;
  while (::ReadFile(file, buffer, sizeof(buffer), &got, nullptr) && got > 0) {
    bytes.append(buffer, got);
  }
  ::CloseHandle(file);
  return bytes;
}

bool WriteFileBytes(const std::wstring& path, std::string_view bytes) {
  HANDLE file =
      ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    return false;
  }
  DWORD written = 0;
  const BOOL ok = ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  ::CloseHandle(file);
  return ok && written == bytes.size();
}

// ---------------------------------------------------------------------------------------------
// The program.

namespace {

HWND FindMainWindow(DWORD pid) {
  HWND found = nullptr;
  ForEachTopLevel([&](HWND hwnd) {
    if (found == nullptr && ProcessOf(hwnd) == pid && ClassOf(hwnd) == kMainClass &&
        ::IsWindowVisible(hwnd)) {
      found = hwnd;
    }
  });
  return found;
}

// The INI file as text, whichever encoding the platform wrote it in.
std::wstring IniText(const std::string& bytes) {
  if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
      static_cast<unsigned char>(bytes[1]) == 0xFE) {
    std::wstring text((bytes.size() - 2) / 2, L'\0');
    for (std::size_t i = 0; i < text.size(); ++i) {
      text[i] = static_cast<wchar_t>(static_cast<unsigned char>(bytes[2 + 2 * i]) |
                                     (static_cast<unsigned char>(bytes[3 + 2 * i]) << 8));
    }
    return text;
  }
  if (bytes.size() >= 3 && bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) {
    return Widen(std::string_view(bytes).substr(3), CP_UTF8);
  }
  return Widen(bytes, CP_ACP);
}

}  // namespace

Program::Program() : exe_(folder_.File(L"tarnelle.exe")) {
  const std::wstring source = TarnelleExePath();
  if (!::CopyFileW(source.c_str(), exe_.c_str(), FALSE)) {
    ADD_FAILURE() << "cannot copy " << Narrow(source) << " (error " << ::GetLastError() << ")";
  }
}

namespace {

// Keeps the screen of a failed test beside its output, named after the test.
void SaveScreenOfFailedTest() {
  const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
  if (test == nullptr) {
    return;
  }
  std::string name = std::string("failed-") + test->test_suite_name() + "." + test->name() + ".bmp";
  for (char& c : name) {
    if (c == '/' || c == '\\' || c == ':') {
      c = '_';
    }
  }
  const RECT screen{0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
  if (ScreenCopy(screen).SaveBmp(Widen(name, CP_UTF8))) {
    std::printf("note: the screen is saved as %s\n", name.c_str());
  }
}

}  // namespace

Program::~Program() {
  if (running() && ::testing::Test::HasFailure()) {
    SaveScreenOfFailedTest();
  }
  if (running()) {
    ::TerminateProcess(process_, 1);
    ::WaitForSingleObject(process_, kPatienceMs);
  }
  CloseHandles();
}

void Program::CloseHandles() {
  if (process_ != nullptr) {
    ::CloseHandle(process_);
    process_ = nullptr;
  }
  pid_ = 0;
  window_ = nullptr;
}

void Program::WriteIni(std::string_view text) const {
  if (!WriteFileBytes(IniPath(), text)) {
    ADD_FAILURE() << "cannot write " << Narrow(IniPath());
  }
}

AssertionResult Program::Start() {
  if (running()) {
    return AssertionFailure() << "the program is running already";
  }
  CloseHandles();
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info{};
  std::wstring command = L"\"" + exe_ + L"\"";
  if (!::CreateProcessW(exe_.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        elsewhere_.path().c_str(), &startup, &info)) {
    return AssertionFailure() << "CreateProcess failed with error " << ::GetLastError();
  }
  ::CloseHandle(info.hThread);
  process_ = info.hProcess;
  pid_ = info.dwProcessId;
  const bool shown = WaitUntil([&] {
    window_ = FindMainWindow(pid_);
    return window_ != nullptr || !running();
  });
  if (window_ == nullptr) {
    DWORD code = 0;
    ::GetExitCodeProcess(process_, &code);
    return AssertionFailure() << (shown ? "the program ended at start with exit code " + std::to_string(code)
                                        : std::string("no main window was shown"));
  }
  return AssertionSuccess();
}

AssertionResult Program::StartSecondCopyAndWaitForItToEnd() {
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info{};
  std::wstring command = L"\"" + exe_ + L"\"";
  if (!::CreateProcessW(exe_.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        elsewhere_.path().c_str(), &startup, &info)) {
    return AssertionFailure() << "CreateProcess failed with error " << ::GetLastError();
  }
  ::CloseHandle(info.hThread);
  const bool ended = WaitUntil([&] { return ::WaitForSingleObject(info.hProcess, 0) == WAIT_OBJECT_0; });
  if (!ended) {
    ::TerminateProcess(info.hProcess, 1);
    ::WaitForSingleObject(info.hProcess, kPatienceMs);
  }
  ::CloseHandle(info.hProcess);
  if (!ended) {
    return AssertionFailure() << "the second copy kept running";
  }
  return AssertionSuccess();
}

bool Program::running() const {
  return process_ != nullptr && ::WaitForSingleObject(process_, 0) == WAIT_TIMEOUT;
}

AssertionResult Program::WaitForExit(int timeout_ms) const {
  if (process_ == nullptr) {
    return AssertionFailure() << "the program was never started";
  }
  if (!WaitUntil([&] { return !running(); }, timeout_ms)) {
    return AssertionFailure() << "the program is still running";
  }
  return AssertionSuccess();
}

bool Program::Sync() const {
  DWORD_PTR result = 0;
  return window_ != nullptr &&
         ::SendMessageTimeoutW(window_, WM_NULL, 0, 0, SMTO_NORMAL, kPatienceMs, &result) != 0;
}

namespace {

GUITHREADINFO GuiInfo(HWND window) {
  GUITHREADINFO info{};
  info.cbSize = sizeof(info);
  ::GetGUIThreadInfo(::GetWindowThreadProcessId(window, nullptr), &info);
  return info;
}

}  // namespace

HWND Program::FocusedControl() const {
  return GuiInfo(window_).hwndFocus;
}

bool Program::InMoveLoop() const {
  // The platform's move loop, or a drag of the program's own that holds the mouse.
  const GUITHREADINFO info = GuiInfo(window_);
  return (info.flags & GUI_INMOVESIZE) != 0 || (info.hwndCapture != nullptr && info.hwndCapture == window_);
}

std::string Program::DescribeInput() const {
  auto name = [](HWND h) {
    if (h == nullptr) {
      return std::string("none");
    }
    return Narrow(ClassOf(h)) + "#" + std::to_string(::GetDlgCtrlID(h)) + " of process " +
           std::to_string(ProcessOf(h));
  };
  const GUITHREADINFO info = GuiInfo(window_);
  POINT pointer{};
  ::GetCursorPos(&pointer);
  return "[foreground " + name(::GetForegroundWindow()) + "; program: active " + name(info.hwndActive) +
         ", focus " + name(info.hwndFocus) + ", capture " + name(info.hwndCapture) + ", flags " +
         std::to_string(info.flags) + "; pointer (" + std::to_string(pointer.x) + "," +
         std::to_string(pointer.y) + ") over " + name(::WindowFromPoint(pointer)) + "; program is process " +
         std::to_string(pid_) + "]";
}

AssertionResult Program::WaitForDragEnd() const {
  if (WaitUntil([&] { return !InMoveLoop(); })) {
    return AssertionSuccess();
  }
  return AssertionFailure() << "the window is still being dragged " << DescribeInput();
}

HWND Program::Control(int id) const {
  return ::GetDlgItem(window_, id);
}

HWND Program::BoxField(int slot) const {
  return ::GetWindow(Control(BoxId(slot)), GW_CHILD);
}

std::wstring Program::BoxText(int slot) const {
  return TextOf(BoxField(slot));
}

std::wstring Program::SlotHandleText(int slot) const {
  return TextOf(Control(TextId(slot)));
}

bool Program::Checked(int id) const {
  DWORD_PTR state = 0;
  ::SendMessageTimeoutW(Control(id), BM_GETCHECK, 0, 0, SMTO_NORMAL, kPatienceMs, &state);
  return state == BST_CHECKED;
}

bool Program::Visible() const {
  return ::IsWindowVisible(window_) != FALSE;
}

RECT Program::Rect() const {
  RECT r{};
  ::GetWindowRect(window_, &r);
  return r;
}

HWND Program::Strip() const {
  return ::FindWindowExW(window_, nullptr, kStripClass, nullptr);
}

HWND Program::StripTitle() const {
  for (HWND child : ChildrenOf(Strip())) {
    if (TextOf(child) == L"Orvanta Tarnelle") {
      return child;
    }
  }
  return nullptr;
}

std::vector<HWND> Program::StripPictures() const {
  const HWND title = StripTitle();
  std::vector<HWND> pictures;
  for (HWND child : ChildrenOf(Strip())) {
    if (child != title && ::IsWindowVisible(child)) {
      pictures.push_back(child);
    }
  }
  std::sort(pictures.begin(), pictures.end(), [](HWND a, HWND b) {
    RECT ra{};
    RECT rb{};
    ::GetWindowRect(a, &ra);
    ::GetWindowRect(b, &rb);
    return ra.left < rb.left;
  });
  return pictures;
}

HWND Program::Logo() const {
  const auto pictures = StripPictures();
  return pictures.size() >= 3 ? pictures.front() : nullptr;
}

HWND Program::HideImage() const {
  const auto pictures = StripPictures();
  return pictures.size() >= 3 ? pictures[pictures.size() - 2] : nullptr;
}

HWND Program::CloseImage() const {
  const auto pictures = StripPictures();
  return pictures.size() >= 3 ? pictures.back() : nullptr;
}

std::optional<POINT> Program::BackgroundPoint() const {
  RECT client{};
  ::GetClientRect(window_, &client);
  auto bare = [&](POINT p) { return ::ChildWindowFromPointEx(window_, p, CWP_SKIPINVISIBLE) == window_; };
  // From the bottom right, where the window has no controls; with a margin around the point.
  for (int y = client.bottom - 8; y > client.top + 8; y -= 4) {
    for (int x = client.right - 8; x > client.left + 8; x -= 4) {
      const POINT p{x, y};
      bool clear = true;
      for (int dy = -4; dy <= 4 && clear; dy += 4) {
        for (int dx = -4; dx <= 4 && clear; dx += 4) {
          clear = bare(POINT{x + dx, y + dy});
        }
      }
      if (clear) {
        POINT screen = p;
        ::ClientToScreen(window_, &screen);
        return screen;
      }
    }
  }
  return std::nullopt;
}

std::optional<std::wstring> Program::Ini(std::wstring_view key) const {
  if (!FileExists(IniPath())) {
    return std::nullopt;
  }
  const std::wstring text = IniText(ReadFileBytes(IniPath()));
  const std::wstring wanted = Lower(std::wstring(key));
  bool in_section = false;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find(L'\n', start);
    if (end == std::wstring::npos) {
      end = text.size();
    }
    const std::wstring line = Trim(std::wstring_view(text).substr(start, end - start));
    start = end + 1;
    if (!line.empty() && line.front() == L'[') {
      in_section = Lower(line) == L"[orvanta]";
      continue;
    }
    const auto equals = line.find(L'=');
    if (in_section && equals != std::wstring::npos && Lower(Trim(line.substr(0, equals))) == wanted) {
      return Trim(line.substr(equals + 1));
    }
  }
  return std::nullopt;
}

std::vector<HWND> VisibleMainWindows() {
  std::vector<HWND> found;
  ForEachTopLevel([&](HWND hwnd) {
    if (ClassOf(hwnd) == kMainClass && ::IsWindowVisible(hwnd)) {
      found.push_back(hwnd);
    }
  });
  return found;
}

// ---------------------------------------------------------------------------------------------
// Input.

namespace {

// Where the tests last put the pointer; every button event carries it, so that a press lands
// there even if the platform has not caught up with the pointer's movement yet.
POINT g_pointer{};

void SendMouse(DWORD flags) {
  const int left = ::GetSystemMetrics(SM_XVIRTUALSCREEN);
  const int top = ::GetSystemMetrics(SM_YVIRTUALSCREEN);
  const int width = std::max(1, ::GetSystemMetrics(SM_CXVIRTUALSCREEN));
  const int height = std::max(1, ::GetSystemMetrics(SM_CYVIRTUALSCREEN));
  const auto normal = [](int offset, int size) {
    return static_cast<LONG>((static_cast<long long>(offset) * 65536 + size - 1) / size);
  };
  INPUT in{};
  in.type = INPUT_MOUSE;
  in.mi.dwFlags = flags | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_VIRTUALDESK;
  in.mi.dx = normal(g_pointer.x - left, width);
  in.mi.dy = normal(g_pointer.y - top, height);
  ::SendInput(1, &in, sizeof(INPUT));
}

bool CursorAt(POINT p) {
  POINT now{};
  return ::GetCursorPos(&now) && now.x == p.x && now.y == p.y;
}

}  // namespace

const char* ButtonName(Button button) {
  switch (button) {
    case Button::kLeft:
      return "left";
    case Button::kRight:
      return "right";
    case Button::kMiddle:
      return "middle";
  }
  return "?";
}

namespace {

// Runs a host program (named by its Windows path) and waits for it to end.
bool RunHostProgram(const std::wstring& program, const std::wstring& arguments) {
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info{};
  std::wstring command = L"\"" + program + L"\" " + arguments;
  if (!::CreateProcessW(program.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info)) {
    return false;
  }
  ::CloseHandle(info.hThread);
  ::WaitForSingleObject(info.hProcess, kPatienceMs);
  ::CloseHandle(info.hProcess);
  return true;
}

}  // namespace

AssertionResult MoveMouseTo(POINT screen) {
  // The pointer is moved for real, on the X server: Wine takes the pointer's position from there
  // whenever it has not changed for a moment, and while a program drags a window (or shows a
  // menu) it holds the X pointer, so that SetCursorPos from another program cannot move it.
  // xdotool moves it the way a mouse does; without it, SetCursorPos is the next best thing.
  static const std::wstring pointer_tool = Env(L"TARNELLE_XDOTOOL");
  const bool moved =
      !pointer_tool.empty() && RunHostProgram(pointer_tool, L"mousemove --sync " + std::to_wstring(screen.x) +
                                                                L" " + std::to_wstring(screen.y));
  if (!moved) {
    ::SetCursorPos(screen.x, screen.y);
  }
  g_pointer = screen;
  if (WaitUntil([&] { return CursorAt(screen); })) {
    return AssertionSuccess();
  }
  POINT now{};
  ::GetCursorPos(&now);
  return AssertionFailure() << "the pointer did not reach (" << screen.x << "," << screen.y << "); it is at ("
                            << now.x << "," << now.y << ")";
}

void PressButton(Button button) {
  SendMouse(button == Button::kLeft    ? MOUSEEVENTF_LEFTDOWN
            : button == Button::kRight ? MOUSEEVENTF_RIGHTDOWN
                                       : MOUSEEVENTF_MIDDLEDOWN);
}

void ReleaseButton(Button button) {
  SendMouse(button == Button::kLeft    ? MOUSEEVENTF_LEFTUP
            : button == Button::kRight ? MOUSEEVENTF_RIGHTUP
                                       : MOUSEEVENTF_MIDDLEUP);
}

AssertionResult ClickAt(POINT screen, Button button) {
  AssertionResult moved = MoveMouseTo(screen);
  if (!moved) {
    return moved;
  }
  PressButton(button);
  ReleaseButton(button);
  return AssertionSuccess();
}

POINT CenterOf(HWND window) {
  RECT r{};
  ::GetWindowRect(window, &r);
  return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

AssertionResult ClickWindow(HWND window, Button button) {
  if (window == nullptr || !::IsWindowVisible(window)) {
    return AssertionFailure() << "the window to click is not there";
  }
  return ClickAt(CenterOf(window), button);
}

AssertionResult DragWindow(const Program& app, POINT from, POINT to, Button button, DragStart start,
                           int steps) {
  AssertionResult moved = MoveMouseTo(from);
  if (!moved) {
    return moved;
  }
  PressButton(button);
  int step = 1;
  const auto step_point = [&](int i) {
    return POINT{from.x + (to.x - from.x) * i / steps, from.y + (to.y - from.y) * i / steps};
  };
  if (start == DragStart::kOnFirstMove) {
    moved = MoveMouseTo(step_point(step++));
    if (!moved) {
      ReleaseButton(button);
      return moved;
    }
  }
  if (!WaitUntil([&] { return app.InMoveLoop(); })) {
    ReleaseButton(button);
    return AssertionFailure() << "no drag started with the " << ButtonName(button) << " button "
                              << app.DescribeInput();
  }
  for (; step <= steps; ++step) {
    if (button == Button::kLeft) {
      moved = MoveMouseTo(step_point(step));
      if (!moved) {
        ReleaseButton(button);
        return moved;
      }
      continue;
    }
    // The program itself follows the pointer here, from the mouse input it receives.
    g_pointer = step_point(step);
    SendMouse(0);
    if (!WaitUntil([&] { return CursorAt(g_pointer); })) {
      ReleaseButton(button);
      return AssertionFailure() << "the pointer did not follow the drag";
    }
  }
  ReleaseButton(button);
  return AssertionSuccess();
}

std::string ReleaseHeldInput() {
  std::string held;
  const std::pair<int, const char*> buttons[] = {
      {VK_LBUTTON, "left button"}, {VK_RBUTTON, "right button"}, {VK_MBUTTON, "middle button"}};
  for (const auto& [vk, name] : buttons) {
    if (::GetAsyncKeyState(vk) & 0x8000) {
      held.append(held.empty() ? "" : ", ").append(name);
      ReleaseButton(vk == VK_LBUTTON ? Button::kLeft : vk == VK_RBUTTON ? Button::kRight : Button::kMiddle);
    }
  }
  const std::pair<WORD, const char*> keys[] = {
      {VK_LCONTROL, "Ctrl"}, {VK_RCONTROL, "right Ctrl"}, {VK_LMENU, "Alt"}, {VK_RMENU, "right Alt"},
      {VK_LSHIFT, "Shift"},  {VK_RSHIFT, "right Shift"},  {VK_LWIN, "Win"},  {VK_RWIN, "right Win"}};
  for (const auto& [vk, name] : keys) {
    if (::GetAsyncKeyState(vk) & 0x8000) {
      held.append(held.empty() ? "" : ", ").append(name);
      testing::SendKeyUp(vk);
    }
  }
  return held;
}

void TapKey(WORD vk) {
  SendCombo({}, vk);
}

std::wstring KeyName(UINT vk) {
  const UINT scan = ::MapVirtualKeyW(vk, MAPVK_VK_TO_VSC);
  wchar_t name[64]{};
  const int n = ::GetKeyNameTextW(static_cast<LONG>(scan << 16), name, 64);
  return std::wstring(name, static_cast<std::size_t>(std::max(n, 0)));
}

std::wstring TextOf(HWND window) {
  if (window == nullptr) {
    return {};
  }
  wchar_t buffer[1024]{};
  DWORD_PTR copied = 0;
  if (!::SendMessageTimeoutW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(buffer), SMTO_NORMAL,
                             kPatienceMs, &copied)) {
    return {};
  }
  return std::wstring(buffer, std::min<std::size_t>(copied, 1023));
}

std::wstring ClassOf(HWND window) {
  wchar_t name[256]{};
  const int n = ::GetClassNameW(window, name, 256);
  return std::wstring(name, static_cast<std::size_t>(std::max(n, 0)));
}

DWORD ProcessOf(HWND window) {
  DWORD pid = 0;
  ::GetWindowThreadProcessId(window, &pid);
  return pid;
}

std::wstring HandleText(HWND window) {
  const auto bits = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(window));
  return std::to_wstring(static_cast<std::int32_t>(bits));
}

// ---------------------------------------------------------------------------------------------
// What a user does with the main window.

std::wstring HotkeyText(const std::vector<WORD>& modifiers, WORD key) {
  auto has = [&](WORD vk) { return std::find(modifiers.begin(), modifiers.end(), vk) != modifiers.end(); };
  std::wstring text;
  if (has(VK_LWIN)) {
    text += L"Win + ";
  }
  if (has(VK_CONTROL)) {
    text += L"Ctrl + ";
  }
  if (has(VK_MENU)) {
    text += L"Alt + ";
  }
  if (has(VK_SHIFT)) {
    text += L"Shift + ";
  }
  return text + KeyName(key);
}

AssertionResult TypeHotkey(const Program& app, int slot, const std::vector<WORD>& modifiers, WORD key) {
  AssertionResult clicked = ClickWindow(app.BoxField(slot));
  if (!clicked) {
    return clicked;
  }
  // Keys go to the control that has the focus when they are pressed, so wait for the click to
  // have given it to the box.
  if (!WaitUntil([&] {
        return ::GetForegroundWindow() == app.window() && app.FocusedControl() == app.BoxField(slot);
      })) {
    return AssertionFailure() << "clicking hotkey box " << slot << " did not give it the keyboard focus "
                              << app.DescribeInput();
  }
  SendCombo(modifiers, key);
  const std::wstring expected = HotkeyText(modifiers, key);
  if (WaitUntil([&] { return app.BoxText(slot) == expected; })) {
    return AssertionSuccess();
  }
  return AssertionFailure() << "hotkey box " << slot << " shows \"" << Narrow(app.BoxText(slot))
                            << "\" instead of \"" << Narrow(expected) << "\"";
}

AssertionResult ClickSlotCheckbox(const Program& app, int slot, bool checked) {
  AssertionResult clicked = ClickWindow(app.Control(CheckId(slot)));
  if (!clicked) {
    return clicked;
  }
  if (WaitUntil([&] { return app.Checked(CheckId(slot)) == checked; })) {
    return AssertionSuccess();
  }
  return AssertionFailure() << "\"Start Hotkey " << slot << "\" is " << (checked ? "not " : "") << "ticked";
}

AssertionResult IniHoldsAllTenBoxes(const Program& app, const std::map<int, SavedHotkey>& typed) {
  bool ok = true;
  std::string problems;
  for (int slot = 1; slot <= 10; ++slot) {
    const auto it = typed.find(slot);
    const SavedHotkey expected = it != typed.end() ? it->second : SavedHotkey{kPressHotkey, 0, 0};
    const std::wstring name = L"Orvanta" + std::to_wstring(slot);
    const std::pair<std::wstring, std::wstring> keys[] = {
        {name + L"Text", expected.text},
        {name + L"KeyCode", std::to_wstring(expected.key_code)},
        {name + L"ModKeyCode", std::to_wstring(expected.modifiers)},
    };
    for (const auto& [key, value] : keys) {
      const auto saved = app.Ini(key);
      if (!saved) {
        ok = false;
        problems.append(" ").append(Narrow(key)).append(" is missing;");
      } else if (*saved != value) {
        ok = false;
        problems.append(" ").append(Narrow(key)).append("=").append(Narrow(*saved));
        problems.append(" (expected ").append(Narrow(value)).append(");");
      }
    }
  }
  if (ok) {
    return AssertionSuccess();
  }
  return AssertionFailure() << "set.ini:" << problems << "\n--- set.ini ---\n"
                            << ReadFileBytes(app.IniPath());
}

bool HotkeyIsFree(UINT modifiers, UINT key) {
  constexpr int kProbeId = 0x7E2E;
  if (!::RegisterHotKey(nullptr, kProbeId, modifiers, key)) {
    return false;
  }
  ::UnregisterHotKey(nullptr, kProbeId);
  return true;
}

// ---------------------------------------------------------------------------------------------
// The screen.

ScreenCopy::ScreenCopy(const RECT& r) : width_(r.right - r.left), height_(r.bottom - r.top) {
  if (width_ <= 0 || height_ <= 0) {
    width_ = height_ = 0;
    return;
  }
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width_;
  info.bmiHeader.biHeight = -height_;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HDC screen = ::GetDC(nullptr);
  HDC memory = ::CreateCompatibleDC(screen);
  HBITMAP bitmap = ::CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = ::SelectObject(memory, bitmap);
  ::BitBlt(memory, 0, 0, width_, height_, screen, r.left, r.top, SRCCOPY | CAPTUREBLT);
  ::GdiFlush();
  const auto* source = static_cast<const std::uint32_t*>(bits);
  pixels_.assign(source, source + static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_));
  for (auto& p : pixels_) {
    p &= 0x00FFFFFF;
  }
  ::SelectObject(memory, old);
  ::DeleteObject(bitmap);
  ::DeleteDC(memory);
  ::ReleaseDC(nullptr, screen);
}

std::uint32_t ScreenCopy::At(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) {
    return 0;
  }
  return pixels_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
                 static_cast<std::size_t>(x)];
}

bool ScreenCopy::SaveBmp(const std::wstring& path) const {
  const std::size_t row = (static_cast<std::size_t>(width_) * 3 + 3) / 4 * 4;
  BITMAPFILEHEADER file{};
  BITMAPINFOHEADER info{};
  info.biSize = sizeof(info);
  info.biWidth = width_;
  info.biHeight = height_;  // bottom-up
  info.biPlanes = 1;
  info.biBitCount = 24;
  info.biCompression = BI_RGB;
  info.biSizeImage = static_cast<DWORD>(row * static_cast<std::size_t>(height_));
  file.bfType = 0x4D42;  // "BM"
  file.bfOffBits = sizeof(file) + sizeof(info);
  file.bfSize = file.bfOffBits + info.biSizeImage;
  std::string bytes(reinterpret_cast<const char*>(&file), sizeof(file));
  bytes.append(reinterpret_cast<const char*>(&info), sizeof(info));
  for (int y = height_ - 1; y >= 0; --y) {
    std::string line(row, '\0');
    for (int x = 0; x < width_; ++x) {
      const std::uint32_t p = At(x, y);
      line[static_cast<std::size_t>(x) * 3 + 0] = static_cast<char>(p & 0xFF);
      line[static_cast<std::size_t>(x) * 3 + 1] = static_cast<char>((p >> 8) & 0xFF);
      line[static_cast<std::size_t>(x) * 3 + 2] = static_cast<char>((p >> 16) & 0xFF);
    }
    bytes += line;
  }
  return WriteFileBytes(path, bytes);
}

namespace {

int ColorDistance(std::uint32_t a, std::uint32_t b) {
  int d = 0;
  for (int shift = 0; shift <= 16; shift += 8) {
    d += std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF));
  }
  return d;
}

}  // namespace

std::optional<bool> DrawnUnderlined(HWND label) {
  RECT r{};
  if (!::GetWindowRect(label, &r)) {
    return std::nullopt;
  }
  const ScreenCopy shot(r);
  // The most common colour is the background; ink is whatever differs from it clearly.
  std::map<std::uint32_t, int> counts;
  for (int y = 0; y < shot.height(); ++y) {
    for (int x = 0; x < shot.width(); ++x) {
      ++counts[shot.At(x, y)];
    }
  }
  if (counts.empty()) {
    return std::nullopt;
  }
  const std::uint32_t background =
      std::max_element(counts.begin(), counts.end(), [](const auto& a, const auto& b) {
        return a.second < b.second;
      })->first;
  auto ink = [&](int x, int y) { return ColorDistance(shot.At(x, y), background) > 120; };
  int first = shot.width();
  int last = -1;
  for (int y = 0; y < shot.height(); ++y) {
    for (int x = 0; x < shot.width(); ++x) {
      if (ink(x, y)) {
        first = std::min(first, x);
        last = std::max(last, x);
      }
    }
  }
  if (last - first < 20) {
    return std::nullopt;  // no text to judge
  }
  const int span = last - first + 1;
  for (int y = 0; y < shot.height(); ++y) {
    int inked = 0;
    for (int x = first; x <= last; ++x) {
      inked += ink(x, y) ? 1 : 0;
    }
    if (inked * 10 >= span * 9) {
      return true;
    }
  }
  return false;
}

std::optional<bool> FontUnderlined(HWND label) {
  DWORD_PTR font = 0;
  if (!::SendMessageTimeoutW(label, WM_GETFONT, 0, 0, SMTO_NORMAL, kPatienceMs, &font) || font == 0) {
    return std::nullopt;
  }
  LOGFONTW lf{};
  if (::GetObjectW(reinterpret_cast<HFONT>(font), sizeof(lf), &lf) != sizeof(lf)) {
    return std::nullopt;
  }
  return lf.lfUnderline != 0;
}

// ---------------------------------------------------------------------------------------------
// The notification area.

namespace {

constexpr int kIconSize = 16;
// Mean difference per colour channel (0 to 255) below which a slot shows the program's icon.
constexpr int kIconTolerance = 12;

struct IconPicture {
  std::vector<std::uint32_t> pixels;  // kIconSize x kIconSize, 0x00RRGGBB
};

// The program's icon drawn at notification-area size over |background|, from each image of
// the icon (the shell may be handed a larger one and shrink it).
std::vector<IconPicture> IconPictures(const std::wstring& exe, std::uint32_t background) {
  std::vector<IconPicture> pictures;
  HMODULE module = ::LoadLibraryExW(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (module == nullptr) {
    return pictures;
  }
  LPWSTR group = nullptr;
  ::EnumResourceNamesW(
      module, RT_GROUP_ICON,
      [](HMODULE, LPCWSTR, LPWSTR name, LONG_PTR lp) -> BOOL {
        *reinterpret_cast<LPWSTR*>(lp) = name;  // the first group is the program's icon
        return FALSE;
      },
      reinterpret_cast<LONG_PTR>(&group));
  if (group != nullptr) {
    for (int size : {16, 32, 48}) {
      HICON icon = static_cast<HICON>(::LoadImageW(module, group, IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
      if (icon == nullptr) {
        continue;
      }
      BITMAPINFO info{};
      info.bmiHeader.biSize = sizeof(info.bmiHeader);
      info.bmiHeader.biWidth = kIconSize;
      info.bmiHeader.biHeight = -kIconSize;
      info.bmiHeader.biPlanes = 1;
      info.bmiHeader.biBitCount = 32;
      info.bmiHeader.biCompression = BI_RGB;
      void* bits = nullptr;
      HDC dc = ::CreateCompatibleDC(nullptr);
      HBITMAP bitmap = ::CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
      HGDIOBJ old = ::SelectObject(dc, bitmap);
      HBRUSH brush =
          ::CreateSolidBrush(RGB((background >> 16) & 0xFF, (background >> 8) & 0xFF, background & 0xFF));
      RECT all{0, 0, kIconSize, kIconSize};
      ::FillRect(dc, &all, brush);
      ::DeleteObject(brush);
      ::DrawIconEx(dc, 0, 0, icon, kIconSize, kIconSize, 0, nullptr, DI_NORMAL);
      ::GdiFlush();
      IconPicture picture;
      const auto* p = static_cast<const std::uint32_t*>(bits);
      picture.pixels.assign(p, p + kIconSize * kIconSize);
      for (auto& px : picture.pixels) {
        px &= 0x00FFFFFF;
      }
      pictures.push_back(std::move(picture));
      ::SelectObject(dc, old);
      ::DeleteObject(bitmap);
      ::DeleteDC(dc);
      ::DestroyIcon(icon);
    }
  }
  ::FreeLibrary(module);
  return pictures;
}

// The slots of the notification area that show an icon, right to left.
std::vector<RECT> OccupiedTraySlots(HWND tray, const ScreenCopy& shot, const RECT& tray_rect) {
  std::vector<RECT> slots;
  // Newer Wine versions give each icon a window of its own.
  for (HWND child : ChildrenOf(tray)) {
    if (ClassOf(child) == L"__wine_tray_icon" && ::IsWindowVisible(child)) {
      RECT r{};
      ::GetWindowRect(child, &r);
      slots.push_back(r);
    }
  }
  if (!slots.empty()) {
    return slots;
  }
  // Wine 8 paints the icons itself, right-aligned in slots of a small icon plus a 2 pixel border.
  const int cx = ::GetSystemMetrics(SM_CXSMICON) + 4;
  const int cy = ::GetSystemMetrics(SM_CYSMICON) + 4;
  const int height = tray_rect.bottom - tray_rect.top;
  const int top = (height - cy) / 2;
  const std::uint32_t background = shot.At(shot.width() - 1, 0);
  for (int right = shot.width(); right - cx >= 0; right -= cx) {
    const int left = right - cx;
    bool border_clear = true;
    bool inked = false;
    for (int y = top; y < top + cy; ++y) {
      for (int x = left; x < right; ++x) {
        const bool ring = x < left + 2 || x >= right - 2 || y < top + 2 || y >= top + cy - 2;
        const bool differs = shot.At(x, y) != background;
        if (ring && differs) {
          border_clear = false;
        } else if (!ring && differs) {
          inked = true;
        }
      }
    }
    if (!border_clear || !inked) {
      break;  // icons sit side by side from the right end; a gap or a button ends them
    }
    slots.push_back(
        RECT{tray_rect.left + left, tray_rect.top + top, tray_rect.left + right, tray_rect.top + top + cy});
  }
  return slots;
}

}  // namespace

std::vector<RECT> TrayIconsOf(const std::wstring& exe) {
  std::vector<RECT> found;
  const HWND tray = ::FindWindowW(L"Shell_TrayWnd", nullptr);
  RECT tray_rect{};
  if (tray == nullptr || !::IsWindowVisible(tray) || !::GetWindowRect(tray, &tray_rect)) {
    return found;
  }
  const ScreenCopy shot(tray_rect);
  const std::uint32_t background = shot.At(shot.width() - 1, 0);
  const std::vector<IconPicture> pictures = IconPictures(exe, background);
  for (const RECT& slot : OccupiedTraySlots(tray, shot, tray_rect)) {
    const int x0 = slot.left - tray_rect.left + (slot.right - slot.left - kIconSize) / 2;
    const int y0 = slot.top - tray_rect.top + (slot.bottom - slot.top - kIconSize) / 2;
    for (const IconPicture& picture : pictures) {
      long long difference = 0;
      for (int y = 0; y < kIconSize; ++y) {
        for (int x = 0; x < kIconSize; ++x) {
          difference += ColorDistance(shot.At(x0 + x, y0 + y),
                                      picture.pixels[static_cast<std::size_t>(y * kIconSize + x)]);
        }
      }
      if (difference <= static_cast<long long>(kIconTolerance) * 3 * kIconSize * kIconSize) {
        found.push_back(slot);
        break;
      }
    }
  }
  return found;
}

AssertionResult WaitForTrayIconCount(const std::wstring& exe, std::size_t count) {
  std::size_t seen = 0;
  if (WaitUntil([&] {
        seen = TrayIconsOf(exe).size();
        return seen == count;
      })) {
    return AssertionSuccess();
  }
  return AssertionFailure() << "the notification area shows " << seen << " icon(s) of the program, not "
                            << count;
}

AssertionResult ClickTrayIcon(const std::wstring& exe, Button button) {
  std::vector<RECT> icons;
  if (!WaitUntil([&] {
        icons = TrayIconsOf(exe);
        return icons.size() == 1;
      })) {
    return AssertionFailure() << "the notification area shows " << icons.size()
                              << " icon(s) of the program instead of one";
  }
  const RECT r = icons.front();
  return ClickAt(POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}, button);
}

bool HasTaskbarButton(HWND window) {
  const HWND tray = ::FindWindowW(L"Shell_TrayWnd", nullptr);
  for (HWND child : ChildrenOf(tray)) {
    // The taskbar names each button after the window it stands for.
    if (::IsWindowVisible(child) &&
        static_cast<LONG_PTR>(::GetWindowLongPtrW(child, GWLP_ID)) == reinterpret_cast<LONG_PTR>(window)) {
      return true;
    }
  }
  return false;
}

// ---------------------------------------------------------------------------------------------
// Popup menus and message boxes.

std::vector<HWND> PopupMenusOf(DWORD pid) {
  std::vector<HWND> menus;
  ForEachTopLevel([&](HWND hwnd) {
    if (ProcessOf(hwnd) == pid && ::IsWindowVisible(hwnd) && ClassOf(hwnd) == L"#32768") {
      menus.push_back(hwnd);
    }
  });
  return menus;
}

AssertionResult WaitForPopupMenu(DWORD pid) {
  if (WaitUntil([&] { return !PopupMenusOf(pid).empty(); })) {
    return AssertionSuccess();
  }
  return AssertionFailure() << "no popup menu opened";
}

AssertionResult WaitForNoPopupMenu(DWORD pid) {
  if (WaitUntil([&] { return PopupMenusOf(pid).empty(); })) {
    return AssertionSuccess();
  }
  return AssertionFailure() << "the popup menu stayed open";
}

const std::vector<WORD> kMenuShow = {VK_DOWN, VK_RETURN};
const std::vector<WORD> kMenuAboutTarnelle = {VK_DOWN, VK_DOWN, VK_RIGHT, VK_RETURN};
const std::vector<WORD> kMenuCheckVerson = {VK_DOWN, VK_DOWN, VK_RIGHT, VK_DOWN, VK_RETURN};
const std::vector<WORD> kMenuExit = {VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN};

AssertionResult ChooseFromTrayMenu(const Program& app, const std::vector<WORD>& keys) {
  AssertionResult step = ClickTrayIcon(app.exe(), Button::kRight);
  if (!step) {
    return step;
  }
  step = WaitForPopupMenu(app.pid());
  if (!step) {
    return step;
  }
  for (WORD key : keys) {
    const std::size_t open = PopupMenusOf(app.pid()).size();
    TapKey(key);
    if (key == VK_RIGHT && !WaitUntil([&] { return PopupMenusOf(app.pid()).size() > open; })) {
      return AssertionFailure() << "the About submenu did not open";
    }
  }
  return AssertionSuccess();
}

std::vector<ShownDialog> DialogsOf(DWORD pid) {
  std::vector<ShownDialog> dialogs;
  ForEachTopLevel([&](HWND hwnd) {
    if (ProcessOf(hwnd) != pid || !::IsWindowVisible(hwnd) || ClassOf(hwnd) != L"#32770") {
      return;
    }
    ShownDialog dialog{hwnd, TextOf(hwnd), {}};
    for (HWND child : ChildrenOf(hwnd)) {
      if (Lower(ClassOf(child)) == L"static") {
        const std::wstring text = TextOf(child);
        if (!text.empty()) {
          dialog.text += (dialog.text.empty() ? L"" : L"\n") + text;
        }
      }
    }
    dialogs.push_back(dialog);
  });
  return dialogs;
}

// ---------------------------------------------------------------------------------------------
// Other programs.

namespace {

constexpr wchar_t kTestWindowClass[] = L"TarnelleE2eTestWindow";

// The hotkeys pressed over these windows hold Alt. Wine's default handling of Alt with another
// key opens the system menu in keyboard mode, which would leave the test's thread in a menu loop
// and the desktop's input in menu mode; these windows have no menu, so they take no part in it.
LRESULT CALLBACK TestWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
    case WM_SYSCHAR:
      return 0;
    case WM_SYSCOMMAND:
      if ((wp & 0xFFF0) == SC_KEYMENU) {
        return 0;
      }
      break;
    default:
      break;
  }
  return ::DefWindowProcW(hwnd, msg, wp, lp);
}

void RegisterTestWindowClass() {
  static const ATOM atom = [] {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = &TestWindowProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1));
    wc.lpszClassName = kTestWindowClass;
    return ::RegisterClassExW(&wc);
  }();
  (void)atom;
}

}  // namespace

TestWindow::TestWindow(const wchar_t* title, POINT position) {
  RegisterTestWindowClass();
  hwnd_ = ::CreateWindowExW(0, kTestWindowClass, title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, position.x,
                            position.y, 220, 150, nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
  WaitUntil([&] { return ::IsWindowVisible(hwnd_) != FALSE; });
}

TestWindow::~TestWindow() {
  if (hwnd_ != nullptr) {
    ::DestroyWindow(hwnd_);
  }
}

AssertionResult TestWindow::ClickToFront() const {
  RECT client{};
  ::GetClientRect(hwnd_, &client);
  POINT center{(client.left + client.right) / 2, (client.top + client.bottom) / 2};
  ::ClientToScreen(hwnd_, &center);
  AssertionResult clicked = ClickAt(center);
  if (!clicked) {
    return clicked;
  }
  if (!WaitUntil([&] { return ::GetForegroundWindow() == hwnd_; })) {
    return AssertionFailure() << "clicking the test window did not bring it to the front";
  }
  return AssertionSuccess();
}

BrowserRecorder::BrowserRecorder() : log_(folder_.File(L"urls.txt")) {
  const std::wstring recorder = folder_.File(L"url_recorder.exe");
  if (!::CopyFileW(RecorderExePath().c_str(), recorder.c_str(), FALSE)) {
    ADD_FAILURE() << "cannot copy " << Narrow(RecorderExePath());
    return;
  }
  HKEY key = nullptr;
  if (::RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Wine\\WineBrowser", 0, nullptr, 0,
                        KEY_READ | KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS) {
    ADD_FAILURE() << "cannot open HKCU\\Software\\Wine\\WineBrowser";
    return;
  }
  wchar_t old[2048]{};
  DWORD size = sizeof(old) - sizeof(wchar_t);
  DWORD type = 0;
  if (::RegQueryValueExW(key, L"Browsers", nullptr, &type, reinterpret_cast<BYTE*>(old), &size) ==
          ERROR_SUCCESS &&
      type == REG_SZ) {
    previous_ = std::wstring(old);
  }
  // Wine's browser launcher runs host programs; the host's wine runs the recorder.
  std::wstring wine = Env(L"TARNELLE_WINE");
  if (wine.empty()) {
    wine = L"wine";
  }
  const std::wstring value = wine + L" \"" + recorder + L"\"";
  installed_ = ::RegSetValueExW(key, L"Browsers", 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
  ::RegCloseKey(key);
}

BrowserRecorder::~BrowserRecorder() {
  HKEY key = nullptr;
  if (::RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Wine\\WineBrowser", 0, KEY_WRITE, &key) !=
      ERROR_SUCCESS) {
    return;
  }
  if (previous_) {
    ::RegSetValueExW(key, L"Browsers", 0, REG_SZ, reinterpret_cast<const BYTE*>(previous_->c_str()),
                     static_cast<DWORD>((previous_->size() + 1) * sizeof(wchar_t)));
  } else {
    ::RegDeleteValueW(key, L"Browsers");
  }
  ::RegCloseKey(key);
}

std::vector<std::wstring> BrowserRecorder::Urls() const {
  const std::wstring text = Widen(ReadFileBytes(log_), CP_UTF8);
  std::vector<std::wstring> urls;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find(L'\n', start);
    if (end == std::wstring::npos) {
      break;  // a line still being written
    }
    const std::wstring line = Trim(std::wstring_view(text).substr(start, end - start));
    if (!line.empty()) {
      urls.push_back(line);
    }
    start = end + 1;
  }
  return urls;
}

AssertionResult BrowserRecorder::WaitForUrls(std::size_t count) const {
  if (WaitUntil([&] { return Urls().size() >= count; })) {
    return AssertionSuccess();
  }
  AssertionResult failure = AssertionFailure();
  failure << "the browser was asked to open " << Urls().size() << " page(s), not " << count << ":";
  for (const auto& url : Urls()) {
    failure << " " << Narrow(url);
  }
  return failure;
}

}  // namespace tarnelle::e2e

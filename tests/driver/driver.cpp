#include "tests/driver/driver.h"

#include <shellapi.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace tarnelle::driver {
namespace {

std::wstring Env(const wchar_t* name) {
  const wchar_t* value = ::_wgetenv(name);
  return value != nullptr ? value : L"";
}

BOOL CALLBACK Collect(HWND h, LPARAM windows) {
  reinterpret_cast<std::vector<HWND>*>(windows)->push_back(h);
  return TRUE;
}

// Where the tests last put the pointer: button events carry it, so a press lands there even if
// the platform has not caught up with the move yet; Wine moves nothing for a button event at the
// place it already has.
POINT g_pointer{};

void SendMouse(std::initializer_list<DWORD> flags) {
  const auto normal = [](LONG at, int size) {  // the first coordinate that maps to the pixel
    return static_cast<LONG>((static_cast<long long>(at) * 65536 + size - 1) / std::max(size, 1));
  };
  std::vector<INPUT> events;
  for (const DWORD f : flags) {
    events.emplace_back().type = INPUT_MOUSE;
    events.back().mi.dx = normal(g_pointer.x, ::GetSystemMetrics(SM_CXSCREEN));
    events.back().mi.dy = normal(g_pointer.y, ::GetSystemMetrics(SM_CYSCREEN));
    events.back().mi.dwFlags = f | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  }
  ::SendInput(static_cast<UINT>(events.size()), events.data(), sizeof(INPUT));
}

DWORD ButtonFlag(Button b, bool down) {
  const DWORD flag = b == Button::kLeft    ? MOUSEEVENTF_LEFTDOWN
                     : b == Button::kRight ? MOUSEEVENTF_RIGHTDOWN
                                           : MOUSEEVENTF_MIDDLEDOWN;
  return down ? flag : flag << 1;  // each button's up flag follows its down flag
}

void SendKeys(const std::vector<std::pair<Key, bool>>& keys) {
  std::vector<INPUT> events;
  for (const auto& [key, up] : keys) {
    events.emplace_back().type = INPUT_KEYBOARD;
    events.back().ki = KEYBDINPUT{
        key.vk, key.scan, (up ? KEYEVENTF_KEYUP : 0u) | (key.extended ? KEYEVENTF_EXTENDEDKEY : 0u), 0, 0};
  }
  ::SendInput(static_cast<UINT>(events.size()), events.data(), sizeof(INPUT));
}

GUITHREADINFO Gui(HWND window) {
  GUITHREADINFO info{};
  info.cbSize = sizeof(info);
  ::GetGUIThreadInfo(::GetWindowThreadProcessId(window, nullptr), &info);
  return info;
}

}  // namespace

std::string Utf8(std::wstring_view text) {
  std::string out(text.size() * 3, '\0');
  out.resize(static_cast<std::size_t>(::WideCharToMultiByte(CP_UTF8, 0, text.data(),
                                                            static_cast<int>(text.size()), out.data(),
                                                            static_cast<int>(out.size()), nullptr, nullptr)));
  return out;
}

std::wstring TextOf(HWND window) {
  DWORD_PTR length = 0;
  ::SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, kPatienceMs, &length);
  std::wstring text(length + 1, L'\0');
  ::SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), SMTO_NORMAL,
                        kPatienceMs, &length);
  text.resize(std::min<std::size_t>(length, text.size() - 1));
  return text;
}

std::wstring ClassOf(HWND window) {
  wchar_t name[64]{};
  return std::wstring(name, static_cast<std::size_t>(std::max(::GetClassNameW(window, name, 64), 0)));
}

RECT RectOf(HWND window) {
  RECT r{};
  ::GetWindowRect(window, &r);
  return r;
}

POINT Centre(const RECT& r) {
  return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

POINT Offset(POINT p, int dx, int dy) {
  return POINT{p.x + dx, p.y + dy};
}

std::wstring HandleText(HWND window) {
  return std::to_wstring(static_cast<std::int32_t>(reinterpret_cast<std::intptr_t>(window)));
}

std::vector<HWND> WindowsOf(DWORD pid, std::wstring_view kind) {
  std::vector<HWND> windows;
  ::EnumWindows(&Collect, reinterpret_cast<LPARAM>(&windows));
  std::erase_if(windows, [&](HWND h) {
    DWORD owner = 0;
    ::GetWindowThreadProcessId(h, &owner);
    return owner != pid || !::IsWindowVisible(h) || (!kind.empty() && ClassOf(h) != kind);
  });
  return windows;
}

bool WaitFor(const std::function<bool()>& done, int ms) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  for (MSG msg; !done(); ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT)) {
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageW(&msg);
    }
    if (std::chrono::steady_clock::now() >= end) {
      return done();
    }
  }
  return true;
}

std::wstring BesideMe(std::wstring_view name) {
  wchar_t self[MAX_PATH]{};
  const std::wstring path(self, ::GetModuleFileNameW(nullptr, self, MAX_PATH));
  return path.substr(0, path.find_last_of(L'\\') + 1) + std::wstring(name);
}

std::string ReadBytes(const std::wstring& path) {
  std::ifstream file(std::filesystem::path(path), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), {});
}

ScratchFolder::ScratchFolder() {
  static int count = 0;
  wchar_t temp[MAX_PATH]{};
  ::GetTempPathW(MAX_PATH, temp);
  do {
    path = temp + (L"tarnelle-" + std::to_wstring(::GetCurrentProcessId()) + L"-" + std::to_wstring(++count));
  } while (!::CreateDirectoryW(path.c_str(), nullptr) && ::GetLastError() == ERROR_ALREADY_EXISTS);
}

ScratchFolder::~ScratchFolder() {
  const std::wstring from = path + L'\0';  // a list of one, ended by a second NUL
  SHFILEOPSTRUCTW remove{};
  remove.wFunc = FO_DELETE;
  remove.pFrom = from.c_str();
  remove.fFlags = FOF_NO_UI;
  ::SHFileOperationW(&remove);
}

void Process::End() {
  if (Running()) {
    ::TerminateProcess(handle_.get(), 1);
    ::WaitForSingleObject(handle_.get(), kPatienceMs);
  }
}

bool Process::Start(const std::wstring& exe, const std::wstring& arguments, const std::wstring& folder) {
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info{};
  std::wstring command = L"\"" + exe + L"\" " + arguments;
  if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &startup, &info)) {
    return false;
  }
  ::CloseHandle(info.hThread);
  handle_.reset(info.hProcess);
  pid_ = info.dwProcessId;
  return true;
}

bool Process::Running() const {
  return handle_ && ::WaitForSingleObject(handle_.get(), 0) == WAIT_TIMEOUT;
}

bool Process::Wait(int ms) const {
  return WaitFor([this] { return !Running(); }, ms);
}

DWORD Process::ExitCode() const {
  DWORD code = STILL_ACTIVE;
  ::GetExitCodeProcess(handle_.get(), &code);
  return code;
}

std::wstring KeyName(Key key) {
  wchar_t name[64]{};
  return std::wstring(name,
                      static_cast<std::size_t>(std::max(::GetKeyNameTextW(key.scan << 16, name, 64), 0)));
}

void KeyDown(Key key) {
  SendKeys({{key, false}});
}

void KeyUp(Key key) {
  SendKeys({{key, true}});
}

void Press(const std::vector<Key>& held, Key key) {
  std::vector<std::pair<Key, bool>> keys;
  for (const Key& k : held) {
    keys.emplace_back(k, false);
  }
  keys.insert(keys.end(), {{key, false}, {key, true}});
  for (auto k = held.rbegin(); k != held.rend(); ++k) {
    keys.emplace_back(*k, true);
  }
  SendKeys(keys);
}

bool HotkeyFree(UINT modifiers, UINT vk) {
  return ::RegisterHotKey(nullptr, 0x7E57, modifiers, vk) && ::UnregisterHotKey(nullptr, 0x7E57);
}

bool MoveTo(POINT to, bool as_input) {
  // The X pointer itself: while a program holds the mouse in a drag, Wine lets no other
  // program's SetCursorPos move it.
  static const std::wstring xdotool = Env(L"TARNELLE_XDOTOOL");
  Process tool;
  if (xdotool.empty() ||
      !tool.Start(xdotool, L"mousemove --sync " + std::to_wstring(to.x) + L" " + std::to_wstring(to.y)) ||
      !tool.Wait()) {
    ::SetCursorPos(to.x, to.y);
  }
  g_pointer = to;
  POINT now{};
  const bool there = WaitFor([&] { return ::GetCursorPos(&now) && now.x == to.x && now.y == to.y; });
  if (as_input) {
    SendMouse({0});
  }
  return there;
}

void Down(Button button) {
  SendMouse({ButtonFlag(button, true)});
}

void Up(Button button) {
  SendMouse({ButtonFlag(button, false)});
}

bool ClickAt(POINT at, Button button) {
  if (!MoveTo(at)) {
    return false;
  }
  SendMouse({ButtonFlag(button, true), ButtonFlag(button, false)});
  return true;
}

bool Click(HWND window, Button button) {
  return ::IsWindowVisible(window) && ClickAt(Centre(window), button);
}

bool ToFront(HWND window) {
  RECT client{};
  ::GetClientRect(window, &client);
  POINT middle{client.right / 2, client.bottom / 2};
  ::ClientToScreen(window, &middle);
  return ClickAt(middle) && WaitFor([&] { return ::GetForegroundWindow() == window; });
}

void ReleaseHeld() {
  for (const Button b : {Button::kLeft, Button::kRight, Button::kMiddle}) {
    Up(b);  // a release of what is not down goes nowhere
  }
  for (const Key k : {kCtrl, kAlt, kShift, kWin}) {
    KeyUp(k);
  }
}

std::vector<COLORREF> Pixels(const RECT& r, HICON icon, COLORREF paper) {
  const int width = r.right - r.left;
  const int height = r.bottom - r.top;
  BITMAPINFO info{};
  info.bmiHeader = BITMAPINFOHEADER{sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  const HDC screen = ::GetDC(nullptr);
  const HDC dc = ::CreateCompatibleDC(screen);
  void* bits = nullptr;
  const HBITMAP bitmap = ::CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  const HGDIOBJ old = ::SelectObject(dc, bitmap);
  const HBRUSH brush = ::CreateSolidBrush(paper);
  const RECT all{0, 0, width, height};
  if (icon != nullptr && ::FillRect(dc, &all, brush)) {
    ::DrawIconEx(dc, 0, 0, icon, width, height, 0, nullptr, DI_NORMAL);
  } else {
    ::BitBlt(dc, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
  }
  ::GdiFlush();
  std::vector<COLORREF> pixels;
  for (int i = 0; bits != nullptr && i < width * height; ++i) {
    const DWORD p = static_cast<const DWORD*>(bits)[i];  // 0x00RRGGBB
    pixels.push_back(RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF));
  }
  ::SelectObject(dc, old);
  ::DeleteObject(bitmap);
  ::DeleteObject(brush);
  ::DeleteDC(dc);
  ::ReleaseDC(nullptr, screen);
  return pixels;
}

std::vector<RECT> TrayIcons() {
  // Wine 8 paints the icons itself, right-aligned in slots of a small icon and a 2-pixel border.
  const HWND tray = ::FindWindowW(L"Shell_TrayWnd", nullptr);
  const RECT bar = RectOf(tray);
  const std::vector<COLORREF> shot = Pixels(bar);
  const int width = bar.right - bar.left;
  const int size = ::GetSystemMetrics(SM_CXSMICON);
  const int top = (bar.bottom - bar.top - size) / 2;
  std::vector<RECT> icons;
  for (int right = width - 2; right - size >= 2 && ::IsWindowVisible(tray); right -= size + 4) {
    bool inked = false;  // anything but the taskbar's own colour, at its top right corner
    for (int i = 0; i < size * size && !inked; ++i) {
      inked = shot[static_cast<std::size_t>((top + i / size) * width + right - size + i % size)] !=
              shot[width - 1];
    }
    if (!inked) {
      break;  // the icons stand side by side from the right end; a gap ends them
    }
    icons.push_back(RECT{bar.left + right - size, bar.top + top, bar.left + right, bar.top + top + size});
  }
  return icons;
}

bool WaitForTrayIcons(std::size_t count) {
  return WaitFor([&] { return TrayIcons().size() == count; });
}

bool ClickTrayIcon(Button button) {
  return WaitForTrayIcons(1) && ClickAt(Centre(TrayIcons()[0]), button);
}

bool HasTaskbarButton(HWND window) {
  // Wine's taskbar gives each button the id of the window it stands for.
  const HWND tray = ::FindWindowW(L"Shell_TrayWnd", nullptr);
  for (HWND h = ::GetWindow(tray, GW_CHILD); h != nullptr; h = ::GetWindow(h, GW_HWNDNEXT)) {
    if (::IsWindowVisible(h) && ::GetWindowLongPtrW(h, GWLP_ID) == reinterpret_cast<LONG_PTR>(window)) {
      return true;
    }
  }
  return false;
}

std::optional<Message> Answer(DWORD pid, int ms) {
  if (!WaitFor([&] { return !WindowsOf(pid, L"#32770").empty(); }, ms)) {
    return std::nullopt;
  }
  const HWND box = WindowsOf(pid, L"#32770").front();
  Message message{TextOf(box), {}};
  HWND button = nullptr;
  for (HWND h = ::GetWindow(box, GW_CHILD); h != nullptr; h = ::GetWindow(h, GW_HWNDNEXT)) {
    const bool is_button = _wcsicmp(ClassOf(h).c_str(), L"Button") == 0;
    message.text += is_button ? L"" : TextOf(h);
    button = is_button ? h : button;
  }
  // A click that lands while the box is still coming up is repeated.
  WaitFor([&] { return Click(button) && WaitFor([&] { return !::IsWindow(box); }, 500); });
  return message;
}

std::wstring ProgramPath() {
  const std::wstring set = Env(L"TARNELLE_EXE");
  return set.empty() ? BesideMe(L"..\\tarnelle.exe") : set;
}

Program::Program(const std::wstring& exe) : exe_(folder_.File(L"tarnelle.exe")) {
  ::CopyFileW(exe.c_str(), exe_.c_str(), FALSE);  // a missing copy shows at Start
}

Result Program::Start() {
  Process started;
  return started.Start(exe_, {}, elsewhere_.path) ? Adopt(std::move(started))
                                                  : Result{"cannot start the copy"};
}

Result Program::Adopt(Process&& started) {
  process_ = std::move(started);
  window_ = nullptr;
  WaitFor([&] {
    for (HWND h : WindowsOf(pid())) {
      window_ = ::FindWindowExW(h, nullptr, nullptr, L"Get Form") != nullptr ? h : window_;
    }
    return window_ != nullptr || !process_.Running();
  });
  return window_ != nullptr   ? Result{}
         : process_.Running() ? Result{"no main window came up"}
                              : Result{"it ended at start with code " + std::to_string(process_.ExitCode())};
}

bool Program::Sync() const {
  DWORD_PTR ignored = 0;
  return ::SendMessageTimeoutW(window_, WM_NULL, 0, 0, SMTO_NORMAL, kPatienceMs, &ignored) != 0;
}

bool Program::Settled() const {
  static WPARAM mark = 0x100000;  // a text limit far above any a field needs
  const WPARAM limit = ++mark;
  DWORD_PTR now = 0;
  return ::PostMessageW(SlotText(10), EM_LIMITTEXT, limit, 0) && WaitFor([&] {
           return ::SendMessageTimeoutW(SlotText(10), EM_GETLIMITTEXT, 0, 0, SMTO_NORMAL, kPatienceMs,
                                        &now) &&
                  now == limit;
         });
}

bool Program::WriteIni(std::string_view bytes) const {
  std::ofstream file(std::filesystem::path(IniPath()), std::ios::binary);
  return static_cast<bool>(file.write(bytes.data(), static_cast<std::streamsize>(bytes.size())));
}

std::optional<std::wstring> Program::Saved(const std::wstring& key) const {
  std::wstring value(70000, L'\0');
  value.resize(::GetPrivateProfileStringW(L"Orvanta", key.c_str(), L"\x01", value.data(),
                                          static_cast<DWORD>(value.size()), IniPath().c_str()));
  return value == L"\x01" ? std::nullopt : std::optional(value);
}

std::vector<HWND> Program::Controls() const {
  std::vector<HWND> controls;
  ::EnumChildWindows(window_, &Collect, reinterpret_cast<LPARAM>(&controls));
  return controls;
}

HWND Program::Captioned(std::wstring_view caption) const {
  for (HWND h : Controls()) {
    if (TextOf(h) == caption) {
      return h;
    }
  }
  return nullptr;
}

HWND Program::Box(int slot) const {
  // The visible text field in the checkbox's row, nearest to it on its left.
  const RECT check = RectOf(Check(slot));
  HWND best = nullptr;
  for (HWND h : Controls()) {
    const RECT r = RectOf(h);
    if (ClassOf(h) == L"Edit" && ::IsWindowVisible(h) && r.bottom > check.top && r.top < check.bottom &&
        r.right <= check.left && (best == nullptr || r.right > RectOf(best).right)) {
      best = h;
    }
  }
  return best;
}

HWND Program::SlotText(int slot) const {
  // The text fields beyond the client area, in slot order: two a row, the odd slot on the left.
  RECT client{};
  ::GetClientRect(window_, &client);
  ::MapWindowPoints(window_, nullptr, reinterpret_cast<POINT*>(&client), 2);
  std::vector<HWND> beyond = Controls();
  std::erase_if(beyond, [&](HWND h) {
    return ClassOf(h) != L"Edit" || (RectOf(h).left < client.right && RectOf(h).top < client.bottom);
  });
  std::sort(beyond.begin(), beyond.end(), [](HWND a, HWND b) {
    return std::pair(RectOf(a).top, RectOf(a).left) < std::pair(RectOf(b).top, RectOf(b).left);
  });
  return slot <= static_cast<int>(beyond.size()) ? beyond[static_cast<std::size_t>(slot - 1)] : nullptr;
}

std::vector<HWND> Program::Pictures() const {
  std::vector<HWND> pictures;
  for (HWND h = ::GetWindow(Strip(), GW_CHILD); h != nullptr; h = ::GetWindow(h, GW_HWNDNEXT)) {
    if (h != Title()) {
      pictures.push_back(h);
    }
  }
  std::sort(pictures.begin(), pictures.end(), [](HWND a, HWND b) { return RectOf(a).left < RectOf(b).left; });
  pictures.resize(3);  // a missing one is no window, which no click finds
  return pictures;
}

POINT Program::Background() const {
  RECT client{};
  ::GetClientRect(window_, &client);
  POINT corner{client.right - 12, client.bottom - 12};
  ::ClientToScreen(window_, &corner);
  return corner;
}

bool Program::Checked(HWND button) const {
  DWORD_PTR state = 0;
  ::SendMessageTimeoutW(button, BM_GETCHECK, 0, 0, SMTO_NORMAL, kPatienceMs, &state);
  return state == BST_CHECKED;
}

HWND Program::Focus() const {
  return Gui(window_).hwndFocus;
}

bool Program::Dragging() const {
  const GUITHREADINFO info = Gui(window_);
  return (info.flags & GUI_INMOVESIZE) != 0 || info.hwndCapture == window_;
}

bool Program::ClickBox(int slot) const {
  // Keys go where the focus is when they arrive. The window's activation also moved the X focus,
  // and Wine takes the key state from X when that news arrives, which would let go of keys held
  // down before it: a move Wine has seen after the click shows the news has been read too.
  const HWND box = Box(slot);
  return Click(box) && WaitFor([&] { return ::GetForegroundWindow() == window_ && Focus() == box; }) &&
         MoveTo(Offset(Centre(box), 1, 0));
}

Result Program::Type(int slot, const std::vector<Key>& held, Key key, const std::wstring& shows) const {
  Result typed = ClickBox(slot) ? Result{} : Result{"the box did not take the focus"};
  // A hand is slower than SendInput: each held key is down, and shown, before the next comes.
  for (const Key& k : held) {
    const std::wstring before = TextOf(Box(slot));
    KeyDown(k);
    if (typed && !WaitFor([&] { return TextOf(Box(slot)) != before; })) {
      typed = {"the box did not take " + Utf8(KeyName(k))};
    }
  }
  Press({}, key);
  for (auto k = held.rbegin(); k != held.rend(); ++k) {
    KeyUp(*k);
  }
  if (typed && !WaitFor([&] { return TextOf(Box(slot)) == shows; })) {
    typed = {"the box shows \"" + Utf8(TextOf(Box(slot))) + "\", not \"" + Utf8(shows) + "\""};
  }
  return typed;
}

bool Program::Tick(int slot) const {
  const bool before = Checked(Check(slot));
  return Click(Check(slot)) && WaitFor([&] {
           return (Checked(Check(slot)) != before || !WindowsOf(pid(), L"#32770").empty()) && Sync();
         });
}

bool Program::ChooseMode(bool change) const {
  return Click(Mode(change)) && WaitFor([&] { return Checked(Mode(change)) && Sync(); });
}

unique_hwnd TestWindow(const wchar_t* title, POINT at) {
  static const ATOM kind = [] {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = [](HWND h, UINT msg, WPARAM wp, LPARAM lp) -> LRESULT {
      const bool menu_key = msg == WM_SYSKEYDOWN || msg == WM_SYSKEYUP || msg == WM_SYSCHAR;
      return menu_key ? 0 : ::DefWindowProcW(h, msg, wp, lp);
    };
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.hbrBackground = ::GetSysColorBrush(COLOR_WINDOW);
    wc.lpszClassName = L"TarnelleTestWindow";
    return ::RegisterClassExW(&wc);
  }();
  return unique_hwnd(::CreateWindowExW(0, MAKEINTATOM(kind), title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, at.x,
                                       at.y, 220, 150, nullptr, nullptr, ::GetModuleHandleW(nullptr),
                                       nullptr));
}

bool Target::Start(const std::wstring& title) {
  return process_.Start(BesideMe(L"target.exe"), L"\"" + title + L"\"") &&
         WaitFor([&] { return (window_ = ::FindWindowW(nullptr, title.c_str())) != nullptr; });
}

Browser::Browser() {
  // Wine's browser launcher runs host programs: the host's wine runs the recorder.
  const std::wstring recorder = folder_.File(L"url_recorder.exe");
  ::CopyFileW(BesideMe(L"url_recorder.exe").c_str(), recorder.c_str(), FALSE);
  const std::wstring wine = Env(L"TARNELLE_WINE");
  const std::wstring value = (wine.empty() ? L"wine" : wine) + L" \"" + recorder + L"\"";
  ::RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\Wine\\WineBrowser", L"Browsers", REG_SZ, value.c_str(),
                    static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

Browser::~Browser() {
  ::RegDeleteKeyValueW(HKEY_CURRENT_USER, L"Software\\Wine\\WineBrowser", L"Browsers");
}

std::vector<std::string> Browser::Urls() const {
  std::vector<std::string> urls;
  const std::string log = ReadBytes(folder_.File(L"urls.txt"));
  for (std::size_t start = 0, end; (end = log.find('\n', start)) != std::string::npos; start = end + 1) {
    urls.push_back(log.substr(start, end - start));
  }
  return urls;
}

bool Browser::WaitForUrls(std::size_t count) const {
  return WaitFor([&] { return Urls().size() >= count; });
}

}  // namespace tarnelle::driver

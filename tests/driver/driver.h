#pragma once
// Drives the real tarnelle.exe from outside, the way a person does: real keys and clicks, and
// only what a person can see on screen or find on disk. The tests and the benchmark share it, so
// it knows nothing of any test framework: a step tells whether it went as asked, or why not.

#include <windows.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cwctype>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <vector>

namespace tarnelle::driver {

// How long a state that must come is awaited (every wait ends as soon as it is seen); a missing
// message box fails sooner.
inline constexpr int kPatienceMs = 15000;
inline constexpr int kMessageMs = 5000;

// A step that can go wrong in more than one way: empty when it went as asked.
struct [[nodiscard]] Result {
  std::wstring error;
  explicit operator bool() const { return error.empty(); }
};

template <auto free>
struct Freer {
  void operator()(auto handle) const { free(handle); }
};
using unique_handle = std::unique_ptr<void, Freer<&::CloseHandle>>;
using unique_hwnd = std::unique_ptr<std::remove_pointer_t<HWND>, Freer<&::DestroyWindow>>;

inline std::wstring TextOf(HWND window) {  // a slot's text may be long
  std::wstring text(65536, L'\0');
  DWORD_PTR length = 0;
  ::SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), SMTO_NORMAL,
                        kPatienceMs, &length);
  return text.substr(0, std::min<std::size_t>(length, text.size() - 1));
}

inline std::wstring ClassOf(HWND window) {
  wchar_t name[64]{};
  return std::wstring(name, static_cast<std::size_t>(std::max(::GetClassNameW(window, name, 64), 0)));
}

inline RECT RectOf(HWND window) {
  RECT r{};
  ::GetWindowRect(window, &r);
  return r;
}

inline POINT Centre(const RECT& r) {
  return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

inline POINT Centre(HWND window) {
  return Centre(RectOf(window));
}

inline POINT Offset(POINT p, int dx, int dy) {
  return POINT{p.x + dx, p.y + dy};
}

// A window handle as the program writes it: signed 32-bit decimal.
inline std::wstring HandleText(HWND window) {
  return std::to_wstring(static_cast<std::int32_t>(reinterpret_cast<std::intptr_t>(window)));
}

inline BOOL CALLBACK Collect(HWND h, LPARAM windows) {
  reinterpret_cast<std::vector<HWND>*>(windows)->push_back(h);
  return TRUE;
}

// Visible top-level windows of |pid| of the class |kind|: "#32770" message boxes, "#32768" menus.
inline std::vector<HWND> WindowsOf(DWORD pid, std::wstring_view kind = {}) {
  std::vector<HWND> windows;
  ::EnumWindows(&Collect, reinterpret_cast<LPARAM>(&windows));
  std::erase_if(windows, [&](HWND h) {
    DWORD owner = 0;
    ::GetWindowThreadProcessId(h, &owner);
    return owner != pid || !::IsWindowVisible(h) || (!kind.empty() && ClassOf(h) != kind);
  });
  return windows;
}

// Dispatches this thread's messages (its windows keep answering) until |done| or the time is up.
inline bool WaitFor(const std::function<bool()>& done, int ms = kPatienceMs) {
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

// The file names of the modules loaded in process |pid|, in lower case; none when it cannot be read.
inline std::vector<std::wstring> ModulesOf(DWORD pid) {
  std::vector<std::wstring> modules;
  const unique_handle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, pid));
  MODULEENTRY32W module{};
  module.dwSize = sizeof(module);
  for (BOOL more = snapshot.get() != INVALID_HANDLE_VALUE && ::Module32FirstW(snapshot.get(), &module); more;
       more = ::Module32NextW(snapshot.get(), &module)) {
    std::wstring name = module.szModule;
    std::transform(name.begin(), name.end(), name.begin(), [](wchar_t c) { return std::towlower(c); });
    modules.push_back(name);
  }
  return modules;
}

inline std::wstring Env(const wchar_t* name) {
  const wchar_t* value = ::_wgetenv(name);
  return value != nullptr ? value : L"";
}

inline std::wstring BesideMe(std::wstring_view name) {  // a file built beside this program
  wchar_t self[MAX_PATH]{};
  const std::wstring path(self, ::GetModuleFileNameW(nullptr, self, MAX_PATH));
  return path.substr(0, path.find_last_of(L'\\') + 1) + std::wstring(name);
}

inline std::string ReadBytes(const std::wstring& path) {
  std::ifstream file(std::filesystem::path(path), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), {});
}

// A fresh folder under %TEMP%, removed with everything in it.
class ScratchFolder {
 public:
  ScratchFolder() {
    static int count = 0;
    const std::wstring stem = L"tarnelle-" + std::to_wstring(::GetCurrentProcessId()) + L"-";
    while (!std::filesystem::create_directory(path = std::filesystem::temp_directory_path() /
                                                     (stem + std::to_wstring(++count)))) {
    }
  }
  ~ScratchFolder() {
    std::error_code ignored;  // what is still in use stays
    std::filesystem::remove_all(path, ignored);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  [[nodiscard]] std::wstring File(std::wstring_view name) const { return (path / name).wstring(); }

  std::filesystem::path path;
};

// A process this driver started; still running when its owner goes, it is ended by its handle.
class Process {
 public:
  Process() = default;
  Process(Process&&) = default;
  Process& operator=(Process&&) = default;
  ~Process() { End(); }

  bool Start(const std::wstring& exe, const std::wstring& arguments = {}, const std::wstring& folder = {}) {
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
  [[nodiscard]] bool Running() const {
    return handle_ && ::WaitForSingleObject(handle_.get(), 0) == WAIT_TIMEOUT;
  }
  [[nodiscard]] bool Wait(int ms = kPatienceMs) const {
    return WaitFor([this] { return !Running(); }, ms);
  }
  [[nodiscard]] DWORD ExitCode() const {
    DWORD code = STILL_ACTIVE;
    ::GetExitCodeProcess(handle_.get(), &code);
    return code;
  }
  [[nodiscard]] DWORD pid() const { return pid_; }
  [[nodiscard]] HANDLE handle() const { return handle_.get(); }
  void End() {
    if (Running()) {
      ::TerminateProcess(handle_.get(), 1);
      ::WaitForSingleObject(handle_.get(), kPatienceMs);
    }
  }

 private:
  unique_handle handle_;
  DWORD pid_ = 0;
};

// A key as the keyboard sends it; the scan codes are the tests' own table, never the program's.
struct Key {
  WORD vk;
  WORD scan;
  bool extended = false;
};
inline constexpr Key kCtrl{VK_CONTROL, 0x1D};
inline constexpr Key kAlt{VK_MENU, 0x38};
inline constexpr Key kShift{VK_SHIFT, 0x2A};
inline constexpr Key kWin{VK_LWIN, 0x5B, true};
inline constexpr Key kF(int n) {
  return Key{static_cast<WORD>(VK_F1 + n - 1), static_cast<WORD>(n <= 10 ? 0x3A + n : 0x4C + n)};
}

// The name the keyboard layout gives the key's scan code, with the extended bit clear.
inline std::wstring KeyName(Key key) {
  wchar_t name[64]{};
  return std::wstring(name,
                      static_cast<std::size_t>(std::max(::GetKeyNameTextW(key.scan << 16, name, 64), 0)));
}

inline void SendKeys(const std::vector<std::pair<Key, bool>>& keys) {  // each with whether it goes up
  std::vector<INPUT> events;
  for (const auto& [key, up] : keys) {
    events.emplace_back().type = INPUT_KEYBOARD;
    events.back().ki = KEYBDINPUT{
        key.vk, key.scan, (up ? KEYEVENTF_KEYUP : 0u) | (key.extended ? KEYEVENTF_EXTENDEDKEY : 0u), 0, 0};
  }
  ::SendInput(static_cast<UINT>(events.size()), events.data(), sizeof(INPUT));
}

inline void KeyDown(Key key) {
  SendKeys({{key, false}});
}

inline void KeyUp(Key key) {
  SendKeys({{key, true}});
}

// The held keys go down in order, the key is pressed and released, the held keys go up.
inline void Press(const std::vector<Key>& held, Key key) {
  std::vector<std::pair<Key, bool>> keys;
  std::transform(held.begin(), held.end(), std::back_inserter(keys),
                 [](Key k) { return std::pair(k, false); });
  keys.insert(keys.end(), {{key, false}, {key, true}});
  std::transform(held.rbegin(), held.rend(), std::back_inserter(keys),
                 [](Key k) { return std::pair(k, true); });
  SendKeys(keys);
}

// A hotkey: the held keys go down and are seen to stay down before the key is pressed. When a
// window has just come forward Wine takes the key state afresh from X, which knows nothing of keys
// sent with SendInput and so lets go of them; a key pressed just then would come without them.
inline void PressHotkey(const std::vector<Key>& held, Key key) {
  const auto all_down = [&] {
    return std::all_of(held.begin(), held.end(),
                       [](Key k) { return (::GetAsyncKeyState(k.vk) & 0x8000) != 0; });
  };
  for (int tries = 0; tries < 5; ++tries) {
    for (const Key k : held) {
      KeyDown(k);
    }
    if (!WaitFor([&] { return !all_down(); }, 150)) {
      break;  // they stayed down
    }
  }
  std::vector<std::pair<Key, bool>> rest = {{key, false}, {key, true}};
  std::transform(held.rbegin(), held.rend(), std::back_inserter(rest),
                 [](Key k) { return std::pair(k, true); });
  SendKeys(rest);
}

// Whether another program could take this combination (MOD_* bits) as its hotkey now.
inline bool HotkeyFree(UINT modifiers, UINT vk) {
  return ::RegisterHotKey(nullptr, 0x7E57, modifiers, vk) && ::UnregisterHotKey(nullptr, 0x7E57);
}

enum class Button { kLeft, kRight, kMiddle };

// Where the tests last put the pointer: button events carry it, so a press lands there even before
// the platform has caught up with the move (Wine moves nothing for an event at the place it has).
inline POINT g_pointer{};

inline void SendMouse(std::initializer_list<DWORD> flags) {
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

inline DWORD ButtonFlag(Button b, bool down) {
  const DWORD flag = b == Button::kLeft    ? MOUSEEVENTF_LEFTDOWN
                     : b == Button::kRight ? MOUSEEVENTF_RIGHTDOWN
                                           : MOUSEEVENTF_MIDDLEDOWN;
  return down ? flag : flag << 1;  // each button's up flag follows its down flag
}

// Puts the X pointer at |to|, as a mouse does (while a program holds the mouse in a drag, Wine
// lets no other program's SetCursorPos move it), and waits until Wine has it there. A window that
// follows the mouse by its own capture hears of the move only |as_input| as well.
inline bool MoveTo(POINT to, bool as_input = false) {
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

inline bool ClickAt(POINT at, Button button = Button::kLeft) {
  if (!MoveTo(at)) {
    return false;
  }
  SendMouse({ButtonFlag(button, true), ButtonFlag(button, false)});
  return true;
}

inline bool Click(HWND window, Button button = Button::kLeft) {
  return ::IsWindowVisible(window) && ClickAt(Centre(window), button);
}

// Clicks into |window|, as a user switching to it, and waits until it is in front.
inline bool ToFront(HWND window) {
  RECT client{};
  ::GetClientRect(window, &client);
  POINT middle{client.right / 2, client.bottom / 2};
  ::ClientToScreen(window, &middle);
  // Wine now and then drops a click that comes while another window is taking the front; a
  // person clicks again.
  for (int tries = 0; tries < 3; ++tries) {
    if (!ClickAt(middle)) {
      return false;
    }
    if (WaitFor([&] { return ::GetForegroundWindow() == window; }, kPatienceMs / 3)) {
      return true;
    }
  }
  return false;
}

// Lets go of every button and modifier a step that stopped half-way may have left down.
inline void ReleaseHeld() {
  SendMouse({MOUSEEVENTF_LEFTUP, MOUSEEVENTF_RIGHTUP, MOUSEEVENTF_MIDDLEUP});  // what is up stays up
  SendKeys({{kCtrl, true}, {kAlt, true}, {kShift, true}, {kWin, true}});
}

// The colours of a part of the screen within it, row by row, as RGB() makes them.
inline std::vector<COLORREF> Pixels(const RECT& r) {
  const int width = r.right - r.left;
  const int height = r.bottom - r.top;
  BITMAPINFO info{};
  info.bmiHeader = BITMAPINFOHEADER{sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  const HDC screen = ::GetDC(nullptr);
  const HDC dc = ::CreateCompatibleDC(screen);
  void* bits = nullptr;
  const HBITMAP bitmap = ::CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  const HGDIOBJ old = ::SelectObject(dc, bitmap);
  ::BitBlt(dc, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
  ::GdiFlush();
  std::vector<COLORREF> pixels;
  for (int i = 0; bits != nullptr && i < width * height; ++i) {
    const DWORD p = static_cast<const DWORD*>(bits)[i];  // 0x00RRGGBB
    pixels.push_back(RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF));
  }
  ::SelectObject(dc, old);
  ::DeleteObject(bitmap);
  ::DeleteDC(dc);
  ::ReleaseDC(nullptr, screen);
  return pixels;
}

// The icons of the notification area, from the right end; the program's is the only one there.
// Wine 8 paints them itself, right-aligned in slots of a small icon and a 2-pixel border.
inline std::vector<RECT> TrayIcons() {
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

inline bool WaitForTrayIcons(std::size_t count) {
  return WaitFor([&] { return TrayIcons().size() == count; });
}

inline bool ClickTrayIcon(Button button) {
  return WaitForTrayIcons(1) && ClickAt(Centre(TrayIcons()[0]), button);
}

inline bool HasTaskbarButton(HWND window) {
  // Wine's taskbar gives each button the id of the window it stands for.
  const HWND tray = ::FindWindowW(L"Shell_TrayWnd", nullptr);
  for (HWND h = ::GetWindow(tray, GW_CHILD); h != nullptr; h = ::GetWindow(h, GW_HWNDNEXT)) {
    if (::IsWindowVisible(h) && ::GetWindowLongPtrW(h, GWLP_ID) == reinterpret_cast<LONG_PTR>(window)) {
      return true;
    }
  }
  return false;
}

// Waits for a message box of |pid|, answers it with a click and tells what it said: "caption: text";
// nothing when none came or a click could not close it.
inline std::optional<std::wstring> Answer(DWORD pid, int ms = kMessageMs) {
  if (!WaitFor([&] { return !WindowsOf(pid, L"#32770").empty(); }, ms)) {
    return std::nullopt;
  }
  const HWND box = WindowsOf(pid, L"#32770").front();
  std::wstring message = TextOf(box) + L": ";
  for (HWND h = nullptr; (h = ::FindWindowExW(box, h, L"Static", nullptr)) != nullptr;) {
    message += TextOf(h);
  }
  const HWND button = ::FindWindowExW(box, nullptr, L"Button", nullptr);
  // A click that lands while the box is still coming up is repeated.
  return WaitFor([&] { return Click(button) && WaitFor([&] { return !::IsWindow(box); }, 500); })
             ? std::optional(message)
             : std::nullopt;
}

// A private copy of tarnelle.exe (the one in the build folder above this program's) in a scratch
// folder of its own, so set.ini is its own, started from another folder as a shortcut would.
class Program {
 public:
  Program() : exe_(folder_.File(L"tarnelle.exe")) {
    ::CopyFileW(BesideMe(L"..\\tarnelle.exe").c_str(), exe_.c_str(), FALSE);  // a missing copy shows at Start
  }

  Result Start() {
    Process started;
    return started.Start(exe_, {}, elsewhere_.path.wstring()) ? Adopt(std::move(started))
                                                              : Result{L"cannot start the copy"};
  }

  // Takes on a copy of this program started another way, once it shows its window.
  Result Adopt(Process&& started) {
    process_ = std::move(started);
    window_ = nullptr;
    WaitFor([&] {
      for (HWND h : WindowsOf(pid())) {
        window_ = ::FindWindowExW(h, nullptr, nullptr, L"Get Form") != nullptr ? h : window_;
      }
      return window_ != nullptr || !process_.Running();
    });
    return window_ != nullptr ? Result{}
           : process_.Running()
               ? Result{L"no main window came up"}
               : Result{L"it ended at start with code " + std::to_wstring(process_.ExitCode())};
  }

  [[nodiscard]] Process& process() { return process_; }
  [[nodiscard]] HWND window() const { return window_; }
  [[nodiscard]] DWORD pid() const { return process_.pid(); }
  [[nodiscard]] const std::wstring& exe() const { return exe_; }
  [[nodiscard]] std::vector<HWND> Menus() const { return WindowsOf(pid(), L"#32768"); }
  [[nodiscard]] std::vector<HWND> MessageBoxes() const { return WindowsOf(pid(), L"#32770"); }
  [[nodiscard]] std::wstring folder() const { return folder_.path.wstring(); }

  // Returns once the program has handled everything sent to it so far.
  [[nodiscard]] bool Sync() const {
    DWORD_PTR ignored = 0;
    return ::SendMessageTimeoutW(window_, WM_NULL, 0, 0, SMTO_NORMAL, kPatienceMs, &ignored) != 0;
  }

  // Returns once the program has handled every hotkey pressed so far: a press is posted to its
  // queue at once, and a mark posted after it comes out after it.
  [[nodiscard]] bool Settled() const {
    static WPARAM mark = 0x100000;  // a text limit far above any a field needs
    const WPARAM limit = ++mark;
    DWORD_PTR now = 0;
    return ::PostMessageW(SlotText(10), EM_LIMITTEXT, limit, 0) && WaitFor([&] {
             return ::SendMessageTimeoutW(SlotText(10), EM_GETLIMITTEXT, 0, 0, SMTO_NORMAL, kPatienceMs,
                                          &now) &&
                    now == limit;
           });
  }

  [[nodiscard]] std::wstring IniPath() const { return folder_.File(L"set.ini"); }

  bool WriteIni(std::string_view bytes) const {  // byte by byte, as a hand-edited file may be
    std::ofstream file(std::filesystem::path(IniPath()), std::ios::binary);
    return static_cast<bool>(file.write(bytes.data(), static_cast<std::streamsize>(bytes.size())));
  }

  // A value of set.ini as the platform's profile functions read it; nothing when it is missing.
  [[nodiscard]] std::optional<std::wstring> Saved(const std::wstring& key,
                                                  const wchar_t* section = L"Orvanta") const {
    std::wstring value(70000, L'\0');
    value.resize(::GetPrivateProfileStringW(section, key.c_str(), L"\x01", value.data(),
                                            static_cast<DWORD>(value.size()), IniPath().c_str()));
    return value == L"\x01" ? std::nullopt : std::optional(value);
  }

  // The controls, found as a person finds them: by their captions and places.
  [[nodiscard]] HWND Check(int slot) const { return Captioned(L"Start Hotkey " + std::to_wstring(slot)); }
  [[nodiscard]] HWND Mode(bool change) const {
    return Captioned(change ? L"Start Change Form" : L"Get Form");
  }
  [[nodiscard]] HWND Title() const { return Captioned(L"Orvanta Tarnelle"); }
  [[nodiscard]] HWND Strip() const { return ::GetParent(Title()); }
  [[nodiscard]] HWND Link() const { return Captioned(L"Orvanta:  Mossgate is Search Guides!"); }

  // The text field of hotkey box |slot|: the visible one in its checkbox's row, nearest on its left.
  [[nodiscard]] HWND Box(int slot) const {
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

  // The slot's window: the text fields beyond the client area, two a row, the odd slot on the left.
  [[nodiscard]] HWND SlotText(int slot) const {
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

  [[nodiscard]] std::vector<HWND> Pictures() const {  // logo, hide, close
    std::vector<HWND> pictures = Controls();
    std::erase_if(pictures, [&](HWND h) { return ::GetParent(h) != Strip() || h == Title(); });
    std::sort(pictures.begin(), pictures.end(),
              [](HWND a, HWND b) { return RectOf(a).left < RectOf(b).left; });
    pictures.resize(3);  // a missing one is no window, which no click finds
    return pictures;
  }

  // A point of the window's own background: its bottom right corner, where no control is.
  [[nodiscard]] POINT Background() const {
    RECT client{};
    ::GetClientRect(window_, &client);
    POINT corner{client.right - 12, client.bottom - 12};
    ::ClientToScreen(window_, &corner);
    return corner;
  }

  [[nodiscard]] bool Checked(HWND button) const {
    DWORD_PTR state = 0;
    ::SendMessageTimeoutW(button, BM_GETCHECK, 0, 0, SMTO_NORMAL, kPatienceMs, &state);
    return state == BST_CHECKED;
  }
  [[nodiscard]] bool Visible() const { return ::IsWindowVisible(window_) != FALSE; }
  [[nodiscard]] HWND Focus() const { return Gui().hwndFocus; }
  [[nodiscard]] bool InMenu() const {  // its thread in a menu's loop, where keys go to the menu
    return (Gui().flags & GUI_INMENUMODE) != 0;
  }
  [[nodiscard]] bool Dragging() const {  // in its own loop or the platform's
    return (Gui().flags & GUI_INMOVESIZE) != 0 || Gui().hwndCapture == window_;
  }

  // Clicks into box |slot| and waits until keys typed now reach it. The window's activation also
  // moved the X focus, and Wine takes the key state from X when that news arrives, which would let
  // go of keys held down before it: a move Wine has seen after the click shows the news was read.
  bool ClickBox(int slot) const {
    const HWND box = Box(slot);
    return Click(box) && WaitFor([&] { return ::GetForegroundWindow() == window_ && Focus() == box; }) &&
           MoveTo(Offset(Centre(box), 1, 0));
  }

  // Clicks into box |slot|, types the combination and waits until the box shows |shows|.
  Result Type(int slot, const std::vector<Key>& held, Key key, const std::wstring& shows) const {
    if (!ClickBox(slot)) {
      return {L"the box did not take the focus"};
    }
    // A hand is slower than SendInput: each held key is down, and shown, before the next comes.
    for (const Key& k : held) {
      const std::wstring before = TextOf(Box(slot));
      KeyDown(k);
      if (!WaitFor([&] { return TextOf(Box(slot)) != before; })) {
        return {L"the box did not take " + KeyName(k)};
      }
    }
    Press({}, key);
    std::for_each(held.rbegin(), held.rend(), KeyUp);
    return WaitFor([&] { return TextOf(Box(slot)) == shows; })
               ? Result{}
               : Result{L"the box shows \"" + TextOf(Box(slot)) + L"\", not \"" + shows + L"\""};
  }

  // Clicks "Start Hotkey |slot|" and waits until that is handled: the tick turned, or a message came.
  bool Tick(int slot) const {
    const bool before = Checked(Check(slot));
    return Click(Check(slot)) &&
           WaitFor([&] { return (Checked(Check(slot)) != before || !MessageBoxes().empty()) && Sync(); });
  }

  bool ChooseMode(bool change) const {
    return Click(Mode(change)) && WaitFor([&] { return Checked(Mode(change)) && Sync(); });
  }

 private:
  [[nodiscard]] std::vector<HWND> Controls() const {
    std::vector<HWND> controls;
    ::EnumChildWindows(window_, &Collect, reinterpret_cast<LPARAM>(&controls));
    return controls;
  }
  [[nodiscard]] HWND Captioned(std::wstring_view caption) const {
    for (HWND h : Controls()) {
      if (TextOf(h) == caption) {
        return h;
      }
    }
    return nullptr;
  }
  [[nodiscard]] GUITHREADINFO Gui() const {  // what its window thread is doing
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    ::GetGUIThreadInfo(::GetWindowThreadProcessId(window_, nullptr), &info);
    return info;
  }

  ScratchFolder folder_;
  ScratchFolder elsewhere_;
  std::wstring exe_;
  Process process_;
  HWND window_ = nullptr;
};

// A plain window of this process to be remembered and brought back. A hotkey with Alt held over
// it opens no system menu, which would leave the desktop's input in a menu loop.
inline unique_hwnd TestWindow(const wchar_t* title, POINT at) {
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

// A window of another process (target.exe beside this program), which can be made to hang.
class Target {
 public:
  bool Start(const std::wstring& title) {
    return process_.Start(BesideMe(L"target.exe"), L"\"" + title + L"\"") &&
           WaitFor([&] {  // its own: a closing copy's window of the same title may linger
             window_ = nullptr;
             for (HWND h : WindowsOf(process_.pid())) {
               window_ = TextOf(h) == title ? h : window_;
             }
             return window_ != nullptr;
           });
  }
  [[nodiscard]] HWND window() const { return window_; }
  // Stops answering for |ms|, or until the process is ended.
  void Hang(DWORD ms = 0) const { ::PostMessageW(window_, WM_APP, ms, 0); }
  [[nodiscard]] DWORD pid() const { return process_.pid(); }

 private:
  Process process_;
  HWND window_ = nullptr;
};

// Stands in for the user's browser (url_recorder.exe, through Wine's browser setting, which is
// removed again afterwards) and records the pages the program asks to open. Wine's browser
// launcher runs host programs: the host's wine runs the recorder.
class Browser {
 public:
  Browser() {
    const std::wstring recorder = folder_.File(L"url_recorder.exe");
    ::CopyFileW(BesideMe(L"url_recorder.exe").c_str(), recorder.c_str(), FALSE);
    const std::wstring wine = Env(L"TARNELLE_WINE");
    const std::wstring value = (wine.empty() ? L"wine" : wine) + L" \"" + recorder + L"\"";
    ::RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\Wine\\WineBrowser", L"Browsers", REG_SZ, value.c_str(),
                      static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
  }
  ~Browser() { ::RegDeleteKeyValueW(HKEY_CURRENT_USER, L"Software\\Wine\\WineBrowser", L"Browsers"); }
  Browser(const Browser&) = delete;
  Browser& operator=(const Browser&) = delete;

  [[nodiscard]] std::vector<std::string> Urls() const {
    std::vector<std::string> urls;
    std::istringstream log(ReadBytes(folder_.File(L"urls.txt")));
    for (std::string url; std::getline(log, url);) {
      urls.push_back(url);
    }
    return urls;
  }
  bool WaitForUrls(std::size_t count) const {
    return WaitFor([&] { return Urls().size() >= count; });
  }

 private:
  ScratchFolder folder_;
};

}  // namespace tarnelle::driver

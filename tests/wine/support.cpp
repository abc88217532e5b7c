#include "tests/wine/support.h"

#include <algorithm>
#include <atomic>
#include <fstream>
#include <sstream>
#include <thread>

#include "win32/message_box.h"
#include "win32/module.h"

namespace tarnelle::testing {

bool PumpUntil(const std::function<bool()>& done, int timeout_ms) {
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
  PumpUntil([] { return false; }, ms);
}

void PressKey(WORD vk) {
  SendKeyDown(vk);
  SendKeyUp(vk);
}

namespace {

// An absolute position for SendInput, on the whole virtual screen.
INPUT MouseAt(POINT screen, DWORD flags) {
  const int left = ::GetSystemMetrics(SM_XVIRTUALSCREEN);
  const int top = ::GetSystemMetrics(SM_YVIRTUALSCREEN);
  const int width = std::max(1, ::GetSystemMetrics(SM_CXVIRTUALSCREEN) - 1);
  const int height = std::max(1, ::GetSystemMetrics(SM_CYVIRTUALSCREEN) - 1);
  INPUT in{};
  in.type = INPUT_MOUSE;
  in.mi.dx = MulDiv(screen.x - left, 65535, width);
  in.mi.dy = MulDiv(screen.y - top, 65535, height);
  in.mi.dwFlags = flags | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_VIRTUALDESK;
  return in;
}

}  // namespace

void MoveMouseTo(POINT screen) {
  INPUT in = MouseAt(screen, 0);
  ::SendInput(1, &in, sizeof(INPUT));
  // Wine moves the pointer asynchronously; wait until it has arrived, and stays there.
  int settled = 0;
  PumpUntil(
      [&] {
        POINT p;
        settled = (::GetCursorPos(&p) && p.x == screen.x && p.y == screen.y) ? settled + 1 : 0;
        return settled >= 3;
      },
      1000);
}

void SendMouseAt(POINT screen, DWORD buttons) {
  INPUT in = MouseAt(screen, buttons);
  ::SendInput(1, &in, sizeof(INPUT));
}

void SendClick(POINT screen, MouseButton button) {
  MoveMouseTo(screen);
  DWORD down = MOUSEEVENTF_LEFTDOWN;
  DWORD up = MOUSEEVENTF_LEFTUP;
  if (button == MouseButton::kRight) {
    down = MOUSEEVENTF_RIGHTDOWN;
    up = MOUSEEVENTF_RIGHTUP;
  } else if (button == MouseButton::kMiddle) {
    down = MOUSEEVENTF_MIDDLEDOWN;
    up = MOUSEEVENTF_MIDDLEUP;
  }
  // Each event carries the position, so a late pointer update cannot move the click.
  INPUT in[2] = {MouseAt(screen, down), MouseAt(screen, up)};
  ::SendInput(2, in, sizeof(INPUT));
}

struct MessageBoxWatcher::State {
  win32::MessageBoxHandler previous;
};

namespace {

struct Found {
  std::wstring caption;
  HWND dialog = nullptr;
};

BOOL CALLBACK FindDialog(HWND hwnd, LPARAM lp) {
  auto* f = reinterpret_cast<Found*>(lp);
  wchar_t cls[64]{};
  ::GetClassNameW(hwnd, cls, 64);
  if (std::wstring_view(cls) != L"#32770" || !::IsWindowVisible(hwnd)) {
    return TRUE;
  }
  wchar_t title[256]{};
  ::GetWindowTextW(hwnd, title, 256);
  if (f->caption == title) {
    f->dialog = hwnd;
    return FALSE;
  }
  return TRUE;
}

// The message text is the one static control with text of its own.
BOOL CALLBACK FindText(HWND hwnd, LPARAM lp) {
  wchar_t cls[64]{};
  ::GetClassNameW(hwnd, cls, 64);
  if (std::wstring_view(cls) == L"Static") {
    wchar_t text[1024]{};
    if (::GetWindowTextW(hwnd, text, 1024) > 0) {
      *reinterpret_cast<std::wstring*>(lp) = text;
      return FALSE;
    }
  }
  return TRUE;
}

}  // namespace

MessageBoxWatcher::MessageBoxWatcher() : state_(new State) {
  state_->previous = win32::SetMessageBoxHandler(
      [this](HWND owner, std::wstring_view text, std::wstring_view caption, UINT style) {
        ShownMessage shown{std::wstring(text), std::wstring(caption), style, false};
        const DWORD ui_thread = ::GetCurrentThreadId();
        std::wstring on_screen;
        std::atomic<bool> answered{false};
        std::thread watcher([&] {
          for (int i = 0; i < 500 && !answered; ++i) {
            Found f{shown.caption, nullptr};
            ::EnumThreadWindows(ui_thread, &FindDialog, reinterpret_cast<LPARAM>(&f));
            if (f.dialog != nullptr) {
              ::EnumChildWindows(f.dialog, &FindText, reinterpret_cast<LPARAM>(&on_screen));
              ::PostMessageW(f.dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                             reinterpret_cast<LPARAM>(::GetDlgItem(f.dialog, IDOK)));
              answered = true;
              return;
            }
            ::Sleep(10);
          }
        });
        const std::wstring t(text);
        const std::wstring c(caption);
        const int result = ::MessageBoxW(owner, t.c_str(), c.c_str(), style);
        answered = true;
        watcher.join();
        shown.seen_on_screen = !on_screen.empty() && on_screen == shown.text;
        shown_.push_back(shown);
        return result;
      });
}

MessageBoxWatcher::~MessageBoxWatcher() {
  win32::SetMessageBoxHandler(std::move(state_->previous));
  delete state_;
}

namespace {

const wchar_t kTargetClass[] = L"TarnelleTestTarget";

void RegisterTargetClass() {
  static const ATOM atom = [] {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = &::DefWindowProcW;
    wc.hInstance = win32::ThisModule();
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = kTargetClass;
    return ::RegisterClassExW(&wc);
  }();
  (void)atom;
}

}  // namespace

TargetWindow::TargetWindow(const wchar_t* title) {
  RegisterTargetClass();
  hwnd_ = ::CreateWindowExW(0, kTargetClass, title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 300, 200,
                            nullptr, nullptr, win32::ThisModule(), nullptr);
  PumpFor(50);
}

TargetWindow::~TargetWindow() {
  Destroy();
}

void TargetWindow::Destroy() {
  if (hwnd_ != nullptr) {
    ::DestroyWindow(hwnd_);
    hwnd_ = nullptr;
  }
}

POINT CenterOf(HWND hwnd) {
  RECT r{};
  ::GetWindowRect(hwnd, &r);
  return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

std::wstring TextOf(HWND hwnd) {
  wchar_t buf[256]{};
  ::GetWindowTextW(hwnd, buf, 256);
  return buf;
}

LOGFONTW FontOf(HWND hwnd) {
  LOGFONTW lf{};
  ::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(hwnd, WM_GETFONT, 0, 0)), sizeof(lf), &lf);
  return lf;
}

HWND FindShownMenu(HWND after) {
  for (HWND h = ::FindWindowExW(nullptr, nullptr, L"#32768", nullptr); h != nullptr;
       h = ::FindWindowExW(nullptr, h, L"#32768", nullptr)) {
    if (h != after && ::IsWindowVisible(h)) {
      return h;
    }
  }
  return nullptr;
}

std::filesystem::path ExeFolder() {
  wchar_t path[MAX_PATH]{};
  ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  return std::filesystem::path(path).parent_path();
}

std::wstring ReadIniValue(const std::filesystem::path& file, const wchar_t* section, const wchar_t* key,
                          const wchar_t* missing) {
  wchar_t value[512]{};
  ::GetPrivateProfileStringW(section, key, missing, value, 512, file.c_str());
  return value;
}

std::string ReadFileBytes(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

bool ComboIsFree(UINT mods, UINT vk) {
  TargetWindow probe(L"probe");
  if (!::RegisterHotKey(probe.hwnd(), 7, mods, vk)) {
    return false;
  }
  ::UnregisterHotKey(probe.hwnd(), 7);
  return true;
}

bool MakeForeground(HWND hwnd) {
  for (int i = 0; i < 20; ++i) {
    ::SetForegroundWindow(hwnd);
    PumpFor(20);
    if (::GetForegroundWindow() == hwnd) {
      return true;
    }
  }
  return false;
}

}  // namespace tarnelle::testing

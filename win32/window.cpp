#include "win32/window.h"

#include <commctrl.h>

#include "win32/module.h"
#include "win32/trace.h"

namespace tarnelle::win32 {

WindowClass::WindowClass(const ClassLook& look) : name_(look.name) {
  const WNDCLASSEXW wc{
      .cbSize = sizeof(WNDCLASSEXW),
      .style = look.style,
      .lpfnWndProc = &Window::Thunk,
      .cbClsExtra = 0,
      .cbWndExtra = 0,
      .hInstance = ThisModule(),
      .hIcon = nullptr,
      .hCursor = ::LoadCursorW(nullptr, IDC_ARROW),
      .hbrBackground = look.background,
      .lpszMenuName = nullptr,
      .lpszClassName = name_.c_str(),
      .hIconSm = nullptr,
  };
  atom_ = ::RegisterClassExW(&wc);
  if (atom_ == 0) {
    TraceLastError(L"RegisterClassExW");
  }
}

WindowClass::~WindowClass() {
  if (atom_ != 0) {
    std::ignore = ::UnregisterClassW(name_.c_str(), ThisModule());  // fails only while a window is left
  }
}

Window::~Window() {
  if (hwnd_ != nullptr) {
    const HWND h = hwnd_;
    std::ignore = ::DestroyWindow(h);  // WM_NCDESTROY clears hwnd_
    if (hwnd_ == h) {
      ::SetWindowLongPtrW(h, GWLP_USERDATA, 0);
      hwnd_ = nullptr;
    }
  }
}

namespace {
// The window being created on this thread: the thunk binds it at the first message, which may
// come before WM_NCCREATE (WM_GETMINMAXINFO does).
thread_local Window* g_creating = nullptr;
}  // namespace

HWND Window::CreateFrom(const WindowClass& cls, DWORD ex_style, const wchar_t* title, DWORD style, int x,
                        int y, int width, int height, HWND parent, HMENU menu_or_id) {
  if (!cls.registered()) {
    return nullptr;  // already reported
  }
  Window* const previous = g_creating;
  g_creating = this;
  const HWND h = ::CreateWindowExW(ex_style, cls.name(), title, style, x, y, width, height, parent,
                                   menu_or_id, ThisModule(), this);
  g_creating = previous;
  if (h == nullptr) {
    TraceLastError(cls.name());
  }
  return h;
}

LRESULT Window::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
  return ::DefWindowProcW(hwnd_, msg, wp, lp);
}

LRESULT CALLBACK Window::Thunk(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) noexcept {
  auto* self = reinterpret_cast<Window*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (self == nullptr) {
    if (msg == WM_NCCREATE) {
      self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
    } else {
      self = g_creating;
    }
    if (self == nullptr) {
      return ::DefWindowProcW(hwnd, msg, wp, lp);
    }
    self->hwnd_ = hwnd;
    ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  const LRESULT result = self->OnMessage(msg, wp, lp);
  if (msg == WM_NCDESTROY) {
    ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    self->hwnd_ = nullptr;
    self->OnDestroyed();
  }
  return result;
}

ControlHook::~ControlHook() {
  Detach();
}

bool ControlHook::Attach(HWND control) {
  Detach();
  if (control == nullptr) {
    return false;
  }
  std::ignore = ::SetWindowLongPtrW(control, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));  // was 0
  next_ = reinterpret_cast<WNDPROC>(
      ::SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ControlHook::Proc)));
  if (next_ == nullptr) {
    TraceLastError(L"SetWindowLongPtrW");
    std::ignore = ::SetWindowLongPtrW(control, GWLP_USERDATA, 0);
    return false;
  }
  control_ = control;
  return true;
}

void ControlHook::Detach() noexcept {
  if (control_ == nullptr) {
    return;
  }
  // Only while it is the control's procedure: a hook still on above it keeps calling it (a control
  // being destroyed hears its last message through every hook).
  if (::GetWindowLongPtrW(control_, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&ControlHook::Proc)) {
    std::ignore = ::SetWindowLongPtrW(control_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(next_));
  }
  std::ignore = ::SetWindowLongPtrW(control_, GWLP_USERDATA, 0);
  control_ = nullptr;
}

LRESULT ControlHook::OnControlMessage(UINT msg, WPARAM wp, LPARAM lp) {
  return CallNext(msg, wp, lp);
}

LRESULT ControlHook::CallNext(UINT msg, WPARAM wp, LPARAM lp) {
  return ::CallWindowProcW(next_, control_, msg, wp, lp);
}

LRESULT CALLBACK ControlHook::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) noexcept {
  auto* self = reinterpret_cast<ControlHook*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (self == nullptr) {
    return ::DefWindowProcW(hwnd, msg, wp, lp);  // cannot happen while the hook is on
  }
  if (msg == WM_NCDESTROY) {
    // The control goes away with its parent: forget it before the platform does.
    const WNDPROC next = self->next_;
    self->Detach();
    return ::CallWindowProcW(next, hwnd, msg, wp, lp);
  }
  return self->OnControlMessage(msg, wp, lp);
}

HWND CreateControl(const wchar_t* cls, const wchar_t* text, DWORD style, DWORD ex_style, HWND parent, int id,
                   const RECT& bounds) noexcept {
  const HWND h = ::CreateWindowExW(ex_style, cls, text, WS_CHILD | WS_VISIBLE | style, bounds.left,
                                   bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top, parent,
                                   ControlId(id), ThisModule(), nullptr);
  if (h == nullptr) {
    TraceLastError(cls);
  }
  return h;
}

std::wstring WindowText(HWND window) {
  std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
  const int n = ::GetWindowTextW(window, text.data(), static_cast<int>(text.size()));
  text.resize(static_cast<std::size_t>(n > 0 ? n : 0));
  return text;
}

void Place(HWND window, const RECT& r) noexcept {
  std::ignore = Check(::SetWindowPos(window, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                                     SWP_NOZORDER | SWP_NOACTIVATE),
                      L"SetWindowPos");
}

RECT CentredOnPrimary(SIZE size) noexcept {
  MONITORINFO mi{};
  mi.cbSize = sizeof(mi);
  std::ignore = Check(::GetMonitorInfoW(::MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY), &mi),
                      L"GetMonitorInfoW");
  const int x = mi.rcMonitor.left + (mi.rcMonitor.right - mi.rcMonitor.left - size.cx) / 2;
  const int y = mi.rcMonitor.top + (mi.rcMonitor.bottom - mi.rcMonitor.top - size.cy) / 2;
  return RECT{x, y, x + size.cx, y + size.cy};
}

UINT DpiOf(HWND window) noexcept {
  // Both calls need Windows 10 1607.
  const UINT dpi = window != nullptr ? ::GetDpiForWindow(window) : ::GetDpiForSystem();
  return dpi != 0 ? dpi : USER_DEFAULT_SCREEN_DPI;
}

void SetFont(HWND control, HFONT font, bool redraw) noexcept {
  ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), redraw ? TRUE : FALSE);
}

}  // namespace tarnelle::win32

#include "win32/window.h"

#include <commctrl.h>

#include "win32/module.h"

namespace tarnelle::win32 {

WindowClass::WindowClass(WNDCLASSEXW wc) : name_(wc.lpszClassName), instance_(wc.hInstance) {
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = Window::Procedure();
  if (instance_ == nullptr) {
    instance_ = wc.hInstance = ThisModule();
  }
  wc.lpszClassName = name_.c_str();
  atom_ = ::RegisterClassExW(&wc);
}

WindowClass::~WindowClass() {
  if (atom_ != 0) {
    ::UnregisterClassW(name_.c_str(), instance_);
  }
}

Window::~Window() {
  if (hwnd_ != nullptr) {
    const HWND h = hwnd_;
    ::DestroyWindow(h);  // WM_NCDESTROY clears hwnd_
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
  Window* const previous = g_creating;
  g_creating = this;
  const HWND h = ::CreateWindowExW(ex_style, cls.name(), title, style, x, y, width, height, parent,
                                   menu_or_id, ThisModule(), this);
  g_creating = previous;
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
  if (control == nullptr ||
      !::SetWindowSubclass(control, &ControlHook::Proc, 0, reinterpret_cast<DWORD_PTR>(this))) {
    return false;
  }
  control_ = control;
  return true;
}

void ControlHook::Detach() noexcept {
  if (control_ != nullptr) {
    ::RemoveWindowSubclass(control_, &ControlHook::Proc, 0);
    control_ = nullptr;
  }
}

LRESULT ControlHook::OnControlMessage(UINT msg, WPARAM wp, LPARAM lp) {
  return CallNext(msg, wp, lp);
}

LRESULT ControlHook::CallNext(UINT msg, WPARAM wp, LPARAM lp) {
  return ::DefSubclassProc(control_, msg, wp, lp);
}

LRESULT CALLBACK ControlHook::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR /*id*/,
                                   DWORD_PTR ref) noexcept {
  auto* self = reinterpret_cast<ControlHook*>(ref);
  if (msg == WM_NCDESTROY) {
    // The control goes away with its parent: forget it before the platform does.
    ::RemoveWindowSubclass(hwnd, &ControlHook::Proc, 0);
    self->control_ = nullptr;
    return ::DefSubclassProc(hwnd, msg, wp, lp);
  }
  return self->OnControlMessage(msg, wp, lp);
}

}  // namespace tarnelle::win32

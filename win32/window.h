#pragma once
// The one window base of the program, after the "scratch program": the static thunk finds the
// object (captured at WM_NCCREATE, kept in GWLP_USERDATA), is noexcept so that no exception
// crosses the platform, lets unhandled messages reach the default procedure, and forgets the
// object at WM_NCDESTROY.

#include <windows.h>
#include <string>

namespace tarnelle::win32 {

// A registered window class; unregisters itself. Keep one per class name, for example as a
// function-local static of the window that uses it.
class WindowClass {
 public:
  // |wc.lpfnWndProc| is replaced: every class of ours is served by Window's thunk.
  explicit WindowClass(WNDCLASSEXW wc);
  ~WindowClass();
  WindowClass(const WindowClass&) = delete;
  WindowClass& operator=(const WindowClass&) = delete;

  [[nodiscard]] LPCWSTR name() const noexcept { return name_.c_str(); }

 private:
  std::wstring name_;
  HINSTANCE instance_;
  ATOM atom_;
};

class Window {
 public:
  Window() = default;
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;
  virtual ~Window();

  [[nodiscard]] HWND hwnd() const noexcept { return hwnd_; }

  // The procedure of every class registered through WindowClass.
  static WNDPROC Procedure() noexcept { return &Thunk; }

 protected:
  // Creates the window of |cls| bound to this object; returns nullptr on failure.
  HWND CreateFrom(const WindowClass& cls, DWORD ex_style, const wchar_t* title, DWORD style, int x, int y,
                  int width, int height, HWND parent, HMENU menu_or_id);

  // Handles one message; the base gives everything to DefWindowProcW.
  virtual LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp);

  // Called once the window is gone (after WM_NCDESTROY).
  virtual void OnDestroyed() {}

 private:
  static LRESULT CALLBACK Thunk(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) noexcept;

  HWND hwnd_ = nullptr;
};

// Subclasses an existing control (an EDIT or a BUTTON) with SetWindowSubclass, so that its
// own procedure keeps working and we see its messages first. Removes itself on destruction.
class ControlHook {
 public:
  ControlHook() = default;
  ControlHook(const ControlHook&) = delete;
  ControlHook& operator=(const ControlHook&) = delete;
  virtual ~ControlHook();

  bool Attach(HWND control);
  void Detach() noexcept;
  [[nodiscard]] HWND control() const noexcept { return control_; }

 protected:
  // The default passes the message on to the control's own procedure.
  virtual LRESULT OnControlMessage(UINT msg, WPARAM wp, LPARAM lp);
  LRESULT CallNext(UINT msg, WPARAM wp, LPARAM lp);

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id,
                               DWORD_PTR ref) noexcept;
  HWND control_ = nullptr;
};

}  // namespace tarnelle::win32

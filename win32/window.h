#pragma once
// The one window base of the program, after the "scratch program": the static thunk finds the
// object (captured at WM_NCCREATE, kept in GWLP_USERDATA), is noexcept so that no exception
// crosses the platform, lets unhandled messages reach the default procedure, and forgets the
// object at WM_NCDESTROY. Beside it, the small idioms every window of ours shares.

#include <windows.h>
#include <string>

namespace tarnelle::win32 {

// How a window class of ours looks; every one is served by Window's thunk and the arrow cursor.
struct ClassLook {
  const wchar_t* name;
  UINT style = 0;
  HBRUSH background = nullptr;
};

// A registered window class; unregisters itself. Keep one per class name, for example as a
// function-local static of the window that uses it.
class WindowClass {
 public:
  explicit WindowClass(const ClassLook& look);
  ~WindowClass();
  WindowClass(const WindowClass&) = delete;
  WindowClass& operator=(const WindowClass&) = delete;

  [[nodiscard]] LPCWSTR name() const noexcept { return name_.c_str(); }
  [[nodiscard]] bool registered() const noexcept { return atom_ != 0; }

 private:
  std::wstring name_;
  ATOM atom_ = 0;
};

class Window {
 public:
  Window() = default;
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;
  virtual ~Window();

  [[nodiscard]] HWND hwnd() const noexcept { return hwnd_; }

 protected:
  // Creates the window of |cls| bound to this object; nullptr (reported) on failure.
  [[nodiscard]] HWND CreateFrom(const WindowClass& cls, DWORD ex_style, const wchar_t* title, DWORD style,
                                int x, int y, int width, int height, HWND parent, HMENU menu_or_id);

  // Handles one message; the base gives everything to DefWindowProcW.
  virtual LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp);

  // Called once the window is gone (after WM_NCDESTROY).
  virtual void OnDestroyed() {}

 private:
  friend class WindowClass;
  static LRESULT CALLBACK Thunk(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) noexcept;

  HWND hwnd_ = nullptr;
};

// Subclasses an existing control of a system class (an EDIT, a BUTTON, a STATIC), so that its own
// procedure keeps working and we see its messages first. The hook rides in the control's user data,
// which those classes leave to the program: finding it costs nothing per message, where a window
// property costs a call to the window server under Wine. Hooks on one control come off in the
// reverse order they went on. Removes itself on destruction.
class ControlHook {
 public:
  ControlHook() = default;
  ControlHook(const ControlHook&) = delete;
  ControlHook& operator=(const ControlHook&) = delete;
  virtual ~ControlHook();

  [[nodiscard]] bool Attach(HWND control);
  void Detach() noexcept;
  [[nodiscard]] HWND control() const noexcept { return control_; }

 protected:
  // The default passes the message on to the control's own procedure.
  virtual LRESULT OnControlMessage(UINT msg, WPARAM wp, LPARAM lp);
  LRESULT CallNext(UINT msg, WPARAM wp, LPARAM lp);

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) noexcept;
  HWND control_ = nullptr;
  WNDPROC next_ = nullptr;  // the control's procedure before this hook
};

// A child window's identifier in the form CreateWindowExW takes it.
[[nodiscard]] inline HMENU ControlId(int id) noexcept {
  return reinterpret_cast<HMENU>(static_cast<INT_PTR>(id));
}

// Creates a visible control of a system class (BUTTON, EDIT, STATIC...) at |bounds|, in pixels of
// |parent|'s client area; nullptr (reported) on failure.
[[nodiscard]] HWND CreateControl(const wchar_t* cls, const wchar_t* text, DWORD style, DWORD ex_style,
                                 HWND parent, int id, const RECT& bounds) noexcept;

// The window's text, whole.
[[nodiscard]] std::wstring WindowText(HWND window);

// Moves and sizes a child or top-level window to |r| (in its parent's client pixels or the
// screen's), keeping its z-order and activation.
void Place(HWND window, const RECT& r) noexcept;

// Where a window of |size| pixels stands centred on the primary screen.
[[nodiscard]] RECT CentredOnPrimary(SIZE size) noexcept;

// The dots per inch the window is drawn at; the system's for no window. 96 when unknown.
[[nodiscard]] UINT DpiOf(HWND window) noexcept;

// Hands a control the font it draws with; the caller keeps the font alive.
void SetFont(HWND control, HFONT font, bool redraw) noexcept;

}  // namespace tarnelle::win32

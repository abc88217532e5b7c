#pragma once
// Dragging a window that has no title bar of the platform's.

#include <windows.h>

namespace tarnelle::shell {

// Starts moving |window| with the mouse, as if its title bar had been pressed; returns when the
// platform's move loop ends. A maximised window is left alone.
void MoveForm(HWND window) noexcept;

// A drag started with the right or middle button. The platform's move loop ends only on a
// left-button release, so with another button held the window would go on following the
// pointer after that button is let go; this one follows it while that button is held.
class ButtonDrag {
 public:
  // A press of |button_down| (WM_LBUTTONDOWN, WM_RBUTTONDOWN or WM_MBUTTONDOWN) on |window|'s
  // background: the left button hands the drag to the platform (MoveForm), the others follow.
  void Start(HWND window, UINT button_down) noexcept;
  // Starts following the pointer; |button_up| is the release that ends it (WM_RBUTTONUP or
  // WM_MBUTTONUP). A maximised window is left alone.
  void Begin(HWND window, UINT button_up) noexcept;
  // Feed the window's WM_MOUSEMOVE, button releases and WM_CAPTURECHANGED; true when the
  // message belonged to the drag.
  bool OnMouseMove() noexcept;
  bool OnButtonUp(UINT msg) noexcept;
  void OnCaptureChanged() noexcept { window_ = nullptr; }
  [[nodiscard]] bool active() const noexcept { return window_ != nullptr; }

 private:
  HWND window_ = nullptr;
  UINT button_up_ = 0;
  POINT grab_{};    // the pointer where the drag began, in screen pixels
  POINT origin_{};  // the window's top-left corner then
};

}  // namespace tarnelle::shell

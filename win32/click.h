#pragma once
// A click as the platform's own buttons count one: a left press on a window, then its release
// over the same window. Sliding off before the release cancels it, and the second press of a
// double-click (WM_LBUTTONDBLCLK, never fed here) makes no second click.

#include <windows.h>
#include <windowsx.h>
#include <tuple>

namespace tarnelle::win32 {

class ClickTracker {
 public:
  // WM_LBUTTONDOWN: the window takes the mouse so that it hears the release wherever it comes.
  void OnButtonDown(HWND window) noexcept {
    pressed_ = true;
    ::SetCapture(window);
  }

  // WM_LBUTTONUP: true when this release completes a click.
  [[nodiscard]] bool OnButtonUp(HWND window, LPARAM lp) noexcept {
    const bool was_pressed = pressed_;
    pressed_ = false;
    if (::GetCapture() == window) {
      std::ignore = ::ReleaseCapture();  // fails only without the capture, which was checked
    }
    RECT client{};
    const POINT at{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
    return was_pressed && ::GetClientRect(window, &client) && ::PtInRect(&client, at);
  }

  // WM_CAPTURECHANGED: someone else took the mouse, so no release will count.
  void OnCaptureChanged() noexcept { pressed_ = false; }

 private:
  bool pressed_ = false;
};

}  // namespace tarnelle::win32

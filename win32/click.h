#pragma once
// A click as the platform's own buttons count one: a left press on a window, then its release
// over the same window. Sliding off before the release cancels it, and the second press of a
// double-click makes no second click, though after a cancelled press it is a press of its own.

#include <windows.h>
#include <windowsx.h>
#include <tuple>

namespace tarnelle::win32 {

class ClickTracker {
 public:
  // WM_LBUTTONDOWN: the window takes the mouse so that it hears the release wherever it comes.
  void OnButtonDown(HWND window) noexcept {
    pressed_ = true;
    clicked_ = false;
    ::SetCapture(window);
  }

  // WM_LBUTTONDBLCLK: a press again soon at the same place, which starts a click only if the
  // first press made none.
  void OnDoubleClick(HWND window) noexcept {
    if (!clicked_) {
      OnButtonDown(window);
    }
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
    clicked_ = was_pressed && ::GetClientRect(window, &client) && ::PtInRect(&client, at);
    return clicked_;
  }

  // WM_CAPTURECHANGED: someone else took the mouse, so no release will count.
  void OnCaptureChanged() noexcept { pressed_ = false; }

 private:
  bool pressed_ = false;
  bool clicked_ = false;  // the last release completed a click
};

}  // namespace tarnelle::win32

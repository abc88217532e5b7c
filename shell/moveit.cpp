#include "shell/moveit.h"

#include <windowsx.h>

#include "win32/trace.h"

namespace tarnelle::shell {
namespace {

// Where the pointer was when the message being handled was sent, in screen pixels.
POINT MessagePoint() noexcept {
  const LPARAM pos = static_cast<LPARAM>(::GetMessagePos());
  return POINT{GET_X_LPARAM(pos), GET_Y_LPARAM(pos)};
}

}  // namespace

void MoveForm(HWND window) noexcept {
  if (::IsZoomed(window)) {
    return;
  }
  // The press that got us here may have captured the mouse; the move loop needs it free. Both
  // results mean nothing: without a capture there is nothing to release, and the loop's
  // answer is not one.
  std::ignore = ::ReleaseCapture();
  ::SendMessageW(window, WM_NCLBUTTONDOWN, HTCAPTION, 0);
}

void ButtonDrag::Start(HWND window, UINT button_down) noexcept {
  if (button_down == WM_LBUTTONDOWN) {
    MoveForm(window);
  } else if (button_down == WM_RBUTTONDOWN || button_down == WM_MBUTTONDOWN) {
    Begin(window, button_down + 1);  // each button's release follows its press
  }
}

void ButtonDrag::Begin(HWND window, UINT button_up) noexcept {
  RECT r{};
  if (::IsZoomed(window) || !win32::Check(::GetWindowRect(window, &r), L"GetWindowRect")) {
    return;
  }
  grab_ = MessagePoint();
  origin_ = POINT{r.left, r.top};
  button_up_ = button_up;
  window_ = window;
  ::SetCapture(window);
}

bool ButtonDrag::OnMouseMove() noexcept {
  if (window_ == nullptr) {
    return false;
  }
  const POINT p = MessagePoint();
  std::ignore =
      win32::Check(::SetWindowPos(window_, nullptr, origin_.x + p.x - grab_.x, origin_.y + p.y - grab_.y, 0,
                                  0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE),
                   L"SetWindowPos");
  return true;
}

bool ButtonDrag::OnButtonUp(UINT msg) noexcept {
  if (window_ == nullptr || msg != button_up_) {
    return false;
  }
  std::ignore = ::ReleaseCapture();  // WM_CAPTURECHANGED ends the drag; without a capture, nothing to do
  window_ = nullptr;
  return true;
}

}  // namespace tarnelle::shell

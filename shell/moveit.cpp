#include "shell/moveit.h"

namespace tarnelle::shell {

void MoveForm(HWND window) noexcept {
  if (::IsZoomed(window)) {
    return;
  }
  // The press that got us here may have captured the mouse; the move loop needs it free.
  ::ReleaseCapture();
  ::SendMessageW(window, WM_NCLBUTTONDOWN, HTCAPTION, 0);
}

}  // namespace tarnelle::shell

namespace tarnelle::shell {
namespace {

// Where the pointer was when the message being handled was sent, in screen pixels.
POINT MessagePoint() noexcept {
  const DWORD pos = ::GetMessagePos();
  return POINT{static_cast<short>(LOWORD(pos)), static_cast<short>(HIWORD(pos))};
}

}  // namespace

void ButtonDrag::Begin(HWND window, UINT button_up) noexcept {
  RECT r{};
  if (::IsZoomed(window) || !::GetWindowRect(window, &r)) {
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
  ::SetWindowPos(window_, nullptr, origin_.x + p.x - grab_.x, origin_.y + p.y - grab_.y, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  return true;
}

bool ButtonDrag::OnButtonUp(UINT msg) noexcept {
  if (window_ == nullptr || msg != button_up_) {
    return false;
  }
  ::ReleaseCapture();  // WM_CAPTURECHANGED ends the drag
  window_ = nullptr;
  return true;
}

}  // namespace tarnelle::shell

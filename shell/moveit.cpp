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

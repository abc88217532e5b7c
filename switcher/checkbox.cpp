#include "switcher/checkbox.h"

namespace tarnelle::switcher {

bool CheckBox::Create(HWND parent, const wchar_t* caption, int control_id, const RECT& bounds) {
  const HWND h =
      win32::CreateControl(L"BUTTON", caption, WS_TABSTOP | BS_AUTOCHECKBOX, 0, parent, control_id, bounds);
  return h != nullptr && Attach(h);
}

std::int16_t CheckBox::Value() const {
  return ::SendMessageW(control(), BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
}

void CheckBox::SetValue(std::int16_t value) {
  const std::int16_t next = value != 0 ? 1 : 0;
  if (next == Value()) {
    return;
  }
  ::SendMessageW(control(), BM_SETCHECK, next != 0 ? BST_CHECKED : BST_UNCHECKED, 0);
  NotifyClicked();
}

void CheckBox::NotifyClicked() {
  if (on_click) {
    on_click();
  }
}

LRESULT CheckBox::OnControlMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP: {
      // The button toggles itself (and reports the click) while it handles the release; the
      // release is reported after that, as the checkbox already holds its new value.
      const LRESULT result = CallNext(msg, wp, lp);
      if (on_mouse_up && control() != nullptr) {
        on_mouse_up();
      }
      return result;
    }
    default:
      return CallNext(msg, wp, lp);
  }
}

}  // namespace tarnelle::switcher

#include "win32/owner_window.h"

namespace tarnelle::win32 {

bool OwnerWindow::Create() {
  static const WindowClass cls({.name = L"Tarnelle.Owner"});
  return CreateFrom(cls, WS_EX_TOOLWINDOW, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr) != nullptr;
}

LRESULT OwnerWindow::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_CLOSE && on_close) {
    on_close();
    return 0;
  }
  return Window::OnMessage(msg, wp, lp);
}

}  // namespace tarnelle::win32

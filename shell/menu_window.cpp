#include "shell/menu_window.h"

#include "shell/links.h"
#include "win32/units.h"

namespace tarnelle::shell {

namespace {

// The design size of the window's client area, in twips.
constexpr int kClientWidthTwips = 4560;
constexpr int kClientHeightTwips = 3030;

HMENU BuildMenuBar() {
  HMENU bar = ::CreateMenu();
  HMENU cd = ::CreatePopupMenu();
  HMENU about = ::CreatePopupMenu();
  if (bar == nullptr || cd == nullptr || about == nullptr) {
    for (HMENU m : {about, cd, bar}) {
      if (m != nullptr) {
        ::DestroyMenu(m);
      }
    }
    return nullptr;
  }
  ::AppendMenuW(about, MF_STRING, MenuWindow::kAboutTarnelle, L"About Tarnelle");
  ::AppendMenuW(about, MF_STRING, MenuWindow::kCheckVerson, L"Check Verson");
  ::AppendMenuW(cd, MF_STRING, MenuWindow::kShow, L"Show");
  ::AppendMenuW(cd, MF_POPUP, reinterpret_cast<UINT_PTR>(about), L"About");
  ::AppendMenuW(cd, MF_STRING, MenuWindow::kExit, L"Exit");
  ::AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(cd), L"cd");
  return bar;
}

int ScreenDpi() {
  HDC screen = ::GetDC(nullptr);
  const int dpi = screen != nullptr ? ::GetDeviceCaps(screen, LOGPIXELSX) : 96;
  if (screen != nullptr) {
    ::ReleaseDC(nullptr, screen);
  }
  return dpi > 0 ? dpi : 96;
}

}  // namespace

bool MenuWindow::Create() {
  if (hwnd() != nullptr) {
    return true;
  }
  static const win32::WindowClass cls([] {
    WNDCLASSEXW wc{};
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = ::GetSysColorBrush(COLOR_3DFACE);
    wc.lpszClassName = L"TarnelleMenuWindow";
    return wc;  // no icon
  }());
  HMENU bar = BuildMenuBar();
  if (bar == nullptr) {
    return false;
  }
  const int dpi = ScreenDpi();
  RECT frame{0, 0, units::TwipsToPixels(kClientWidthTwips, dpi),
             units::TwipsToPixels(kClientHeightTwips, dpi)};
  const DWORD style = WS_OVERLAPPEDWINDOW;  // not WS_VISIBLE: the window is never shown
  ::AdjustWindowRectEx(&frame, style, TRUE, 0);
  if (CreateFrom(cls, 0, L"Form1", style, CW_USEDEFAULT, CW_USEDEFAULT, frame.right - frame.left,
                 frame.bottom - frame.top, nullptr, bar) == nullptr) {
    ::DestroyMenu(bar);
    return false;
  }
  return true;  // the window destroys its menu bar with itself
}

HMENU MenuWindow::menu_bar() const noexcept {
  return hwnd() != nullptr ? ::GetMenu(hwnd()) : nullptr;
}

HMENU MenuWindow::popup() const noexcept {
  HMENU bar = menu_bar();
  return bar != nullptr ? ::GetSubMenu(bar, 0) : nullptr;
}

void MenuWindow::Popup(HWND owner) {
  if (!Create()) {
    return;
  }
  // Without the foreground the menu would not close when the user clicks elsewhere.
  ::SetForegroundWindow(owner);
  POINT at{};
  ::GetCursorPos(&at);
  const BOOL chosen = ::TrackPopupMenuEx(popup(), TPM_LEFTALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD, at.x, at.y,
                                         owner, nullptr);
  // Hands the owner a message of its own after the menu loop: without it the next popup may
  // close the moment it opens.
  ::PostMessageW(owner, WM_NULL, 0, 0);
  Run(static_cast<UINT>(chosen));
}

void MenuWindow::Run(UINT command) {
  switch (command) {
    case kShow:
      if (on_show) {
        const std::function<void()> show = on_show;
        show();
      }
      break;
    case kAboutTarnelle:
      OpenLink(hwnd(), kAboutUrl);
      break;
    case kCheckVerson:
      OpenLink(hwnd(), kVersionUrl);
      break;
    case kExit:
      if (on_exit) {
        const std::function<void()> exit = on_exit;
        exit();
      }
      break;
    default:
      break;
  }
}

}  // namespace tarnelle::shell

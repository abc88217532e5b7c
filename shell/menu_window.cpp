#include "shell/menu_window.h"

#include "shell/links.h"
#include "win32/trace.h"
#include "win32/unique.h"
#include "win32/units.h"

namespace tarnelle::shell {

namespace {

// The menu bar whose only item is the popup `cd`.
win32::unique_hmenu BuildMenuBar() {
  win32::unique_hmenu bar(::CreateMenu());
  win32::unique_hmenu cd(::CreatePopupMenu());
  win32::unique_hmenu about(::CreatePopupMenu());
  if (!bar || !cd || !about) {
    win32::TraceLastError(L"CreateMenu");
    return {};
  }
  const bool filled = ::AppendMenuW(about.get(), MF_STRING, MenuWindow::kAboutTarnelle, L"About Tarnelle") &&
                      ::AppendMenuW(about.get(), MF_STRING, MenuWindow::kCheckVerson, L"Check Verson") &&
                      ::AppendMenuW(cd.get(), MF_STRING, MenuWindow::kShow, L"Show") &&
                      ::AppendMenuW(cd.get(), MF_POPUP, reinterpret_cast<UINT_PTR>(about.get()), L"About") &&
                      ::AppendMenuW(cd.get(), MF_STRING, MenuWindow::kExit, L"Exit");
  if (!filled) {
    win32::TraceLastError(L"AppendMenuW");
    return {};
  }
  std::ignore = about.release();  // cd destroys its submenu
  if (!win32::Check(::AppendMenuW(bar.get(), MF_POPUP, reinterpret_cast<UINT_PTR>(cd.get()), L"cd"),
                    L"AppendMenuW")) {
    return {};
  }
  std::ignore = cd.release();  // and the bar its popup
  return bar;
}

}  // namespace

bool MenuWindow::Create() {
  if (hwnd() != nullptr) {
    return true;
  }
  static const win32::WindowClass cls(
      {.name = L"TarnelleMenuWindow", .background = ::GetSysColorBrush(COLOR_3DFACE)});  // no icon
  win32::unique_hmenu bar = BuildMenuBar();
  if (!bar) {
    return false;
  }
  // Not yet a window: sized for the system's DPI.
  const int dpi = static_cast<int>(win32::DpiOf(nullptr));
  RECT frame{0, 0, units::TwipsToPixels(client_.cx, dpi), units::TwipsToPixels(client_.cy, dpi)};
  const DWORD style = WS_OVERLAPPEDWINDOW;  // not WS_VISIBLE: the window is never shown
  std::ignore = win32::Check(::AdjustWindowRectEx(&frame, style, TRUE, 0), L"AdjustWindowRectEx");
  if (CreateFrom(cls, 0, L"Form1", style, CW_USEDEFAULT, CW_USEDEFAULT, frame.right - frame.left,
                 frame.bottom - frame.top, nullptr, bar.get()) == nullptr) {
    return false;
  }
  std::ignore = bar.release();  // the window destroys its menu bar with itself
  return true;
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
  std::ignore = ::SetForegroundWindow(owner);  // refused under a foreground lock; the menu opens anyway
  POINT at{};
  std::ignore = win32::Check(::GetCursorPos(&at), L"GetCursorPos");
  const BOOL chosen = ::TrackPopupMenuEx(popup(), TPM_LEFTALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD, at.x, at.y,
                                         owner, nullptr);
  // Hands the owner a message of its own after the menu loop: without it the next popup may
  // close the moment it opens.
  std::ignore = win32::Check(::PostMessageW(owner, WM_NULL, 0, 0), L"PostMessageW");
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

#include "shell/tray.h"

#include "shell/shell32.h"
#include "win32/trace.h"

namespace tarnelle::shell {

// The decoder has no Windows headers; its copies of the mouse messages must be the platform's.
static_assert(kTrayLeftButtonUp == WM_LBUTTONUP);
static_assert(kTrayRightButtonUp == WM_RBUTTONUP);

UINT TaskbarCreatedMessage() noexcept {
  static const UINT message = ::RegisterWindowMessageW(L"TaskbarCreated");
  return message;
}

Tray::~Tray() {
  if (added_) {
    std::ignore = Delete();  // the shell drops an icon whose window is gone in time anyway
  }
}

void Tray::Fill(HWND owner, HICON icon) noexcept {
  data_ = NOTIFYICONDATAW{};
  // The first version of the record: every shell understands it, and the tip is never set.
  data_.cbSize = NOTIFYICONDATAW_V1_SIZE;
  data_.hWnd = owner;
  // Any number that stays the same from add to delete will do; the icon's handle is one.
  data_.uID = static_cast<UINT>(reinterpret_cast<UINT_PTR>(icon));
  data_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  data_.uCallbackMessage = kTrayMessage;
  data_.hIcon = icon;
  // An elevated program hears no broadcast from the (unelevated) shell unless it says so; without
  // TaskbarCreated a restarted shell would never show the icon again.
  if (const UINT restarted = TaskbarCreatedMessage(); restarted != 0) {
    std::ignore = win32::Check(::ChangeWindowMessageFilterEx(owner, restarted, MSGFLT_ALLOW, nullptr),
                               L"ChangeWindowMessageFilterEx");
  }
}

bool Tray::Add() noexcept {
  const bool ok = NotifyIcon(NIM_ADD, &data_) != FALSE;
  added_ = true;  // even when the shell is not there yet: TaskbarCreated will bring it
  return ok;
}

bool Tray::Delete() noexcept {
  added_ = false;
  return NotifyIcon(NIM_DELETE, &data_) != FALSE;
}

bool Tray::ReAdd() noexcept {
  if (!added_) {
    return false;
  }
  return NotifyIcon(NIM_ADD, &data_) != FALSE;
}

}  // namespace tarnelle::shell

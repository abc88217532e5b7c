#pragma once
// The notification-area icon: one record, filled once, passed unchanged to every call so that
// the shell always sees the same (window, id) pair. The owner deletes the icon it added.

#include <windows.h>
#include <shellapi.h>

#include "shell/tray_decode.h"

namespace tarnelle::shell {

// The message the icon's notifications arrive as (wParam: the record's uID; the low word of
// lParam: the mouse message, see DecodeTrayNotification). Its own number, so that the main
// window's real mouse movements are never taken for a notification.
inline constexpr UINT kTrayMessage = WM_APP + 1;

// The shell's broadcast after it has (re)started and lost every icon.
[[nodiscard]] UINT TaskbarCreatedMessage() noexcept;

class Tray {
 public:
  Tray() noexcept = default;
  ~Tray();  // deletes the icon if it is still there
  Tray(const Tray&) = delete;
  Tray& operator=(const Tray&) = delete;

  // Fills the record for |owner| and |icon|: the first version's size, NIF_MESSAGE | NIF_ICON |
  // NIF_TIP with an empty tip, kTrayMessage, and the icon handle's value as the id. Lets the
  // shell's TaskbarCreated through to |owner| even when the program runs elevated. Does not
  // show anything; the icon must outlive the tray icon.
  void Fill(HWND owner, HICON icon) noexcept;

  // NIM_ADD / NIM_DELETE with the record; each returns what the shell answered.
  [[nodiscard]] bool Add() noexcept;
  [[nodiscard]] bool Delete() noexcept;
  // Adds the icon again after TaskbarCreatedMessage(), if it was added and not deleted since.
  [[nodiscard]] bool ReAdd() noexcept;

  [[nodiscard]] const NOTIFYICONDATAW& TrayIconData() const noexcept { return data_; }
  [[nodiscard]] bool added() const noexcept { return added_; }

 private:
  NOTIFYICONDATAW data_{};
  bool added_ = false;
};

}  // namespace tarnelle::shell

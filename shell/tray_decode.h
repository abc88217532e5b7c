#pragma once
// What a notification of the tray icon asks for. The shell sends the mouse message that
// happened over the icon in the low word of lParam.

#include <cstdint>

namespace tarnelle::shell {

enum class TrayAction {
  kNone,  // anything else: hovering, button presses, double-clicks
  kShow,  // left button released over the icon: show the main window
  kMenu,  // right button released over the icon: pop up the tray menu
};

struct TrayDecision {
  TrayAction action = TrayAction::kNone;
  // Every notification ends the link label's hover underline, whatever it asks for.
  bool clear_underline = true;
};

// |lparam| is the notification's lParam as it arrived; only its low word is looked at.
TrayDecision DecodeTrayNotification(std::int64_t lparam) noexcept;

}  // namespace tarnelle::shell

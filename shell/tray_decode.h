#pragma once
// What a notification of the tray icon asks for. The shell sends the mouse message that
// happened over the icon in the low word of lParam.

#include <cstdint>

namespace tarnelle::shell {

// The platform's mouse messages that mean something here (WM_LBUTTONUP, WM_RBUTTONUP).
inline constexpr std::uint32_t kTrayLeftButtonUp = 0x0202;
inline constexpr std::uint32_t kTrayRightButtonUp = 0x0205;

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
[[nodiscard]] TrayDecision DecodeTrayNotification(std::int64_t lparam) noexcept;

}  // namespace tarnelle::shell

#include "shell/tray_decode.h"

namespace tarnelle::shell {

TrayDecision DecodeTrayNotification(std::int64_t lparam) noexcept {
  TrayDecision decision;
  switch (static_cast<std::uint32_t>(lparam & 0xFFFF)) {
    case kTrayLeftButtonUp:
      decision.action = TrayAction::kShow;
      break;
    case kTrayRightButtonUp:
      decision.action = TrayAction::kMenu;
      break;
    default:
      break;
  }
  return decision;
}

}  // namespace tarnelle::shell

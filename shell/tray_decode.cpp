#include "shell/tray_decode.h"

namespace tarnelle::shell {

namespace {
// The mouse messages of the platform that mean something here.
constexpr std::uint32_t kLeftButtonUp = 0x0202;   // WM_LBUTTONUP
constexpr std::uint32_t kRightButtonUp = 0x0205;  // WM_RBUTTONUP
}  // namespace

TrayDecision DecodeTrayNotification(std::int64_t lparam) noexcept {
  TrayDecision decision;
  switch (static_cast<std::uint32_t>(lparam & 0xFFFF)) {
    case kLeftButtonUp:
      decision.action = TrayAction::kShow;
      break;
    case kRightButtonUp:
      decision.action = TrayAction::kMenu;
      break;
    default:
      break;
  }
  return decision;
}

}  // namespace tarnelle::shell

#include <gtest/gtest.h>

#include "shell/tray_decode.h"
#include "win32/units.h"

namespace tarnelle {
namespace {

// The shell reports the mouse message over the icon in the low word; newer shells put the icon's
// id or the pointer above it, and lParam is signed.
TEST(TrayNotification, LeftReleaseShowsRightReleaseOpensTheMenuAndNothingElseActs) {
  using shell::TrayAction;
  const std::pair<std::int64_t, TrayAction> cases[] = {
      // clang-format off
      {0x0202, TrayAction::kShow}, {0x12340202, TrayAction::kShow}, {-0xFDFE, TrayAction::kShow},
      {0x0205, TrayAction::kMenu}, {0x7FFF0205, TrayAction::kMenu}, {-0xFDFB, TrayAction::kMenu},
      {0x0200, TrayAction::kNone}, {0x0201, TrayAction::kNone}, {0x0203, TrayAction::kNone},
      {0x0204, TrayAction::kNone}, {0x0206, TrayAction::kNone}, {0x0207, TrayAction::kNone},
      {0x0208, TrayAction::kNone}, {0x007B, TrayAction::kNone}, {0, TrayAction::kNone},
      {0x02020000, TrayAction::kNone}, {0x02050200, TrayAction::kNone},
      // clang-format on
  };
  for (const auto& [lparam, action] : cases) {
    EXPECT_EQ(shell::DecodeTrayNotification(lparam).action, action) << lparam;
  }
}

// 15 twips a pixel at 96 dots per inch; other densities round to the nearest pixel.
TEST(Twips, BecomePixelsRoundedToTheNearest) {
  const int cases[][3] = {{7245, 96, 483}, {4545, 96, 303}, {375, 144, 38}, {255, 144, 26}, {7245, 144, 725}};
  for (const auto& [twips, dpi, pixels] : cases) {
    EXPECT_EQ(units::TwipsToPixels(twips, dpi), pixels) << twips << " at " << dpi;
  }
}

}  // namespace
}  // namespace tarnelle

#include "shell/tray_decode.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace tarnelle::shell {
namespace {

// The platform's mouse messages, as the shell reports them for the icon.
constexpr std::int64_t kMouseMove = 0x0200;
constexpr std::int64_t kLeftDown = 0x0201;
constexpr std::int64_t kLeftUp = 0x0202;
constexpr std::int64_t kLeftDoubleClick = 0x0203;
constexpr std::int64_t kRightDown = 0x0204;
constexpr std::int64_t kRightUp = 0x0205;
constexpr std::int64_t kRightDoubleClick = 0x0206;
constexpr std::int64_t kMiddleDown = 0x0207;
constexpr std::int64_t kMiddleUp = 0x0208;
constexpr std::int64_t kContextMenu = 0x007B;

TEST(ShellTrayDecode, LeftReleaseShowsRightReleaseOpensTheMenuAndNothingElseActs) {
  EXPECT_EQ(DecodeTrayNotification(kLeftUp).action, TrayAction::kShow);
  EXPECT_EQ(DecodeTrayNotification(kRightUp).action, TrayAction::kMenu);
  for (std::int64_t message :
       {kMouseMove, kLeftDown, kLeftDoubleClick, kRightDown, kRightDoubleClick, kMiddleDown, kMiddleUp,
        kContextMenu, std::int64_t{0}, std::int64_t{0x400}, std::int64_t{0xFFFF}}) {
    EXPECT_EQ(DecodeTrayNotification(message).action, TrayAction::kNone) << message;
  }
  // Every notification clears the link's underline.
  for (std::int64_t message = 0; message <= 0x20F; ++message) {
    EXPECT_TRUE(DecodeTrayNotification(message).clear_underline) << message;
  }
}

TEST(ShellTrayDecode, OnlyTheLowWordCounts) {
  // Newer shells put the icon's id or the pointer position above the message.
  EXPECT_EQ(DecodeTrayNotification((std::int64_t{0x1234} << 16) | kLeftUp).action, TrayAction::kShow);
  EXPECT_EQ(DecodeTrayNotification((std::int64_t{0x7FFF} << 16) | kRightUp).action, TrayAction::kMenu);
  // lParam is signed: a high word with its top bit set makes it negative.
  EXPECT_EQ(DecodeTrayNotification(-65536 + kRightUp).action, TrayAction::kMenu);
  EXPECT_EQ(DecodeTrayNotification(-65536 + kLeftUp).action, TrayAction::kShow);
  // The message in the high word with nothing in the low word is nothing.
  EXPECT_EQ(DecodeTrayNotification(kLeftUp << 16).action, TrayAction::kNone);
  EXPECT_EQ(DecodeTrayNotification(kRightUp << 16).action, TrayAction::kNone);
  EXPECT_EQ(DecodeTrayNotification((kRightUp << 16) | kMouseMove).action, TrayAction::kNone);
}

}  // namespace
}  // namespace tarnelle::shell

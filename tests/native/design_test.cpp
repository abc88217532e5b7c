#include "switcher/design.h"

#include <gtest/gtest.h>

#include "switcher/handle_text.h"
#include "win32/units.h"

namespace tarnelle::switcher {
namespace {

using design::Slot;
using design::Twips;

TEST(Design, SlotRowsFollowTheDesignedTable) {
  struct Row {
    int slot;
    Twips box;
    Twips check;
    Twips text;
    int check_tab;
  };
  const Row rows[] = {
      {1, {240, 960, 1335, 375}, {1680, 960, 1605, 255}, {9120, 3600, 855, 270}, 0},
      {2, {3600, 960, 1455, 375}, {5160, 960, 1605, 255}, {10080, 3600, 855, 270}, 1},
      {4, {3600, 1440, 1455, 375}, {5160, 1440, 1695, 255}, {10080, 3960, 855, 270}, 3},
      {7, {240, 2400, 1335, 375}, {1680, 2400, 1575, 255}, {9120, 4680, 855, 270}, 24},
      {8, {3600, 2400, 1455, 375}, {5160, 2400, 1575, 255}, {10080, 4680, 855, 270}, 21},
      {10, {3600, 2880, 1455, 375}, {5160, 2880, 1695, 255}, {10080, 5040, 855, 270}, 23},
  };
  for (const Row& r : rows) {
    const auto d = Slot(r.slot);
    EXPECT_EQ(d.box, r.box) << r.slot;
    EXPECT_EQ(d.check, r.check) << r.slot;
    EXPECT_EQ(d.text, r.text) << r.slot;
    EXPECT_EQ(d.check_tab, r.check_tab) << r.slot;
    EXPECT_EQ(d.box_tab, 24 + r.slot);
    EXPECT_EQ(d.box_color, r.slot % 2 == 1 ? design::Rgb(255, 255, 128) : design::Rgb(128, 255, 128));
  }
}

TEST(Design, AtNinetySixDpiTheClientIs483By303AndTheSlotTextsLieOutside) {
  EXPECT_EQ(units::TwipsToPixels(design::kClient.width, 96), 483);
  EXPECT_EQ(units::TwipsToPixels(design::kClient.height, 96), 303);
  for (int n = 1; n <= design::kSlotCount; ++n) {
    EXPECT_GE(units::TwipsToPixels(Slot(n).text.left, 96), 608) << n;
    EXPECT_GT(Slot(n).text.left, design::kClient.width);
  }
  EXPECT_GT(design::kHandImage.left, design::kClient.width);
  // At 144 dpi twips scale by 1.5 and round to the nearest pixel.
  EXPECT_EQ(units::TwipsToPixels(375, 144), 38);
  EXPECT_FLOAT_EQ(units::PixelsToTwips(514, 96), 7710.0f);
}

TEST(HandleText, RoundTripsSignedHandlesAndRejectsEverythingElse) {
  for (std::int32_t h : {0, 1, 65642, -1, -2147483647 - 1, 2147483647}) {
    EXPECT_EQ(ParseHandleText(FormatHandleText(h)), h);
  }
  EXPECT_EQ(FormatHandleText(-5), L"-5");
  EXPECT_EQ(FormatHandleText(196714), L"196714");
  for (const wchar_t* bad : {L"", L"-", L"12abc", L"0x10", L" 5", L"5 ", L"99999999999", L"2147483648"}) {
    EXPECT_FALSE(ParseHandleText(bad).has_value()) << bad;
  }
}

}  // namespace
}  // namespace tarnelle::switcher

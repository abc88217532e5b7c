#include "hotkeybox/properties.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace tarnelle::hotkeybox {
namespace {

TEST(PropertyStore, NamesMatchWithoutRegardToCase) {
  PropertyStore store;
  store.Write(L"BackColor", std::int32_t{0x0000FF}, static_cast<std::int32_t>(kSysWindowBackground));
  EXPECT_TRUE(store.Contains(L"backcolor"));
  EXPECT_TRUE(store.Contains(L"BACKCOLOR"));
  EXPECT_EQ(store.ReadInt(L"bAcKcOlOr", 7), 0x0000FF);
  // Writing under another spelling replaces the value instead of adding one.
  store.Write(L"BACKCOLOR", std::int32_t{0x00FF00}, static_cast<std::int32_t>(kSysWindowBackground));
  EXPECT_EQ(store.size(), 1u);
  EXPECT_EQ(store.ReadInt(L"BackColor", 7), 0x00FF00);
  EXPECT_FALSE(store.Contains(L"BackColour"));
}

TEST(PropertyStore, ValuesEqualToTheirDefaultAreNotKept) {
  PropertyStore store;
  store.Write(L"Enabled", true, true);
  store.Write(L"INIFileName", std::wstring(L"set.ini"), std::wstring(L"set.ini"));
  store.Write(L"SettingLocation", std::int32_t{0}, std::int32_t{0});
  EXPECT_EQ(store.size(), 0u);
  EXPECT_EQ(store.ReadText(L"INIFileName", L"set.ini"), L"set.ini");

  store.Write(L"RegKeyName", std::wstring(L"Other"), std::wstring(L"Orvanta"));
  ASSERT_TRUE(store.Contains(L"RegKeyName"));
  // Going back to the default drops the value that was kept.
  store.Write(L"regkeyname", std::wstring(L"Orvanta"), std::wstring(L"Orvanta"));
  EXPECT_FALSE(store.Contains(L"RegKeyName"));
  EXPECT_EQ(store.ReadText(L"RegKeyName", L"Orvanta"), L"Orvanta");
}

TEST(PropertyStore, AbsentOrWrongTypeReadsAsTheDefault) {
  PropertyStore store;
  store.Write(L"Enabled", std::int32_t{0}, true);  // an integer where a Boolean is expected
  store.Write(L"BorderStyle", std::wstring(L"1"), std::int32_t{1});
  store.Write(L"Font", true, false);
  EXPECT_EQ(store.size(), 3u);
  EXPECT_TRUE(store.ReadBool(L"Enabled", true));
  EXPECT_EQ(store.ReadInt(L"BorderStyle", 5), 5);
  const FontDesc fallback{L"Tahoma", 8.25, 400, 1, false, false, false};
  EXPECT_EQ(store.ReadFont(L"Font", fallback), fallback);
  EXPECT_EQ(store.ReadText(L"ToolTipText", L"none"), L"none");
  EXPECT_EQ(store.ReadInt(L"Missing", -3), -3);
}

TEST(PropertyStore, EveryKindOfValueRoundTrips) {
  PropertyStore store;
  const FontDesc font{L"Segoe UI", 10.5, 700, 0, true, true, true};
  const FontDesc ambient{L"Tahoma", 8.0, 400, 1, false, false, false};
  store.Write(L"Font", font, ambient);
  store.Write(L"Enabled", false, true);
  store.Write(L"ToolTipText", std::wstring(L"Type a combination"), std::wstring());
  store.Write(L"ForeColor", static_cast<std::int32_t>(0x80000012u),
              static_cast<std::int32_t>(kSysWindowText));
  EXPECT_EQ(store.ReadFont(L"font", ambient), font);
  EXPECT_FALSE(store.ReadBool(L"enabled", true));
  EXPECT_EQ(store.ReadText(L"tooltiptext", L""), L"Type a combination");
  EXPECT_EQ(static_cast<OleColor>(store.ReadInt(L"forecolor", 0)), 0x80000012u);
  // A font that differs from the ambient one only in a detail is still kept.
  FontDesc bold = ambient;
  bold.weight = 700;
  store.Write(L"Font", bold, ambient);
  EXPECT_EQ(store.ReadFont(L"Font", ambient), bold);
}

TEST(OleColor, SystemColoursCarryTheirIndexBelowBit31) {
  EXPECT_TRUE(IsSystemColor(kSysWindowBackground));
  EXPECT_TRUE(IsSystemColor(kSysWindowText));
  EXPECT_EQ(SystemColorIndex(kSysWindowBackground), 5);
  EXPECT_EQ(SystemColorIndex(kSysWindowText), 8);
  EXPECT_FALSE(IsSystemColor(0x00FFFFFFu));
  EXPECT_FALSE(IsSystemColor(0x000000FFu));
}

TEST(SavedKeysFor, AppendsTheThreeSuffixesToTheInstanceName) {
  const SavedKeyNames one = SavedKeysFor(L"Orvanta1");
  EXPECT_EQ(one.text, L"Orvanta1Text");
  EXPECT_EQ(one.key_code, L"Orvanta1KeyCode");
  EXPECT_EQ(one.mod_key_code, L"Orvanta1ModKeyCode");
  EXPECT_EQ(SavedKeysFor(L"Orvanta10").key_code, L"Orvanta10KeyCode");
}

}  // namespace
}  // namespace tarnelle::hotkeybox

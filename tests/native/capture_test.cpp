#include "hotkeybox/capture.h"

#include <gtest/gtest.h>

namespace tarnelle::hotkeybox {
namespace {

TEST(KeyCapture, CtrlThenXGivesCtrlPlusX) {
  KeyCapture c;
  auto namer = [](std::int16_t k) { return std::wstring(1, static_cast<wchar_t>(k)); };
  EXPECT_EQ(c.KeyDown(kVkControl, kShiftCtrl, namer), L"Ctrl + ");
  EXPECT_EQ(c.KeyDown(88, kShiftCtrl, namer), L"Ctrl + X");
  EXPECT_FALSE(c.KeyUp(88));
  EXPECT_FALSE(c.KeyUp(kVkControl));
  EXPECT_EQ(c.record(), (HotkeyRecord{88, kModControl}));
}

}  // namespace
}  // namespace tarnelle::hotkeybox

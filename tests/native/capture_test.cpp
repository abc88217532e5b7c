#include "hotkeybox/capture.h"

#include <gtest/gtest.h>

#include <vector>

namespace tarnelle::hotkeybox {
namespace {

// Names a key by its code, like a layout that labels letters with themselves, and remembers
// which keys it was asked about.
struct FakeLayout {
  std::vector<std::int16_t> asked;
  KeyNamer namer() {
    return [this](std::int16_t k) {
      asked.push_back(k);
      switch (k) {
        case 116:
          return std::wstring(L"F5");
        case 92:
          return std::wstring(L"Right Windows");
        case 0xFF:
          return std::wstring();  // a key the layout has no name for
        default:
          return std::wstring(1, static_cast<wchar_t>(k));
      }
    };
  }
};

TEST(KeyCapture, CtrlThenXGivesCtrlPlusX) {
  KeyCapture c;
  FakeLayout layout;
  EXPECT_EQ(c.KeyDown(kVkControl, kShiftCtrl, layout.namer()), L"Ctrl + ");
  EXPECT_EQ(c.record(), (HotKeyRecord{0, kModControl}));
  EXPECT_EQ(c.KeyDown(88, kShiftCtrl, layout.namer()), L"Ctrl + X");
  EXPECT_FALSE(c.KeyUp(88));
  EXPECT_FALSE(c.KeyUp(kVkControl));
  EXPECT_EQ(c.record(), (HotKeyRecord{88, kModControl}));
  EXPECT_EQ(layout.asked, (std::vector<std::int16_t>{88}));  // modifiers are never named
}

TEST(KeyCapture, ShiftStateGivesWordsInFixedOrderAndHotkeyFlags) {
  struct Case {
    std::int16_t shift;
    const wchar_t* text;
    std::int32_t mods;
  };
  const Case cases[] = {
      {0, L"Q", 0},
      {kShiftShift, L"Shift + Q", kModShift},
      {kShiftCtrl, L"Ctrl + Q", kModControl},
      {kShiftAlt, L"Alt + Q", kModAlt},
      {kShiftCtrl | kShiftShift, L"Ctrl + Shift + Q", kModControl | kModShift},
      {kShiftAlt | kShiftShift, L"Alt + Shift + Q", kModAlt | kModShift},
      {kShiftCtrl | kShiftAlt, L"Ctrl + Alt + Q", kModControl | kModAlt},
      {kShiftCtrl | kShiftAlt | kShiftShift, L"Ctrl + Alt + Shift + Q", kModControl | kModAlt | kModShift},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.shift);
    KeyCapture capture;
    FakeLayout layout;
    EXPECT_EQ(capture.KeyDown(81, c.shift, layout.namer()), c.text);
    EXPECT_EQ(capture.record(), (HotKeyRecord{81, c.mods}));
  }
}

TEST(KeyCapture, ModifierKeysAloneCaptureNothingAndReleaseClears) {
  struct Case {
    std::int16_t key;
    std::int16_t shift;
    const wchar_t* text;
    std::int32_t mods;
  };
  const Case cases[] = {
      {kVkShift, kShiftShift, L"Shift + ", kModShift},
      {kVkControl, kShiftCtrl, L"Ctrl + ", kModControl},
      {kVkMenu, kShiftAlt, L"Alt + ", kModAlt},
      {kVkLeftWin, 0, L"Win + ", kModWin},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.key);
    KeyCapture capture;
    FakeLayout layout;
    capture.Load(HotKeyRecord{88, kModControl});  // a captured hotkey is cleared the same way
    EXPECT_EQ(capture.KeyDown(c.key, c.shift, layout.namer()), c.text);
    EXPECT_EQ(capture.record(), (HotKeyRecord{0, c.mods}));
    EXPECT_TRUE(capture.KeyUp(c.key));  // back to "Press Hotkey"
    EXPECT_EQ(capture.record(), (HotKeyRecord{0, 0}));
    EXPECT_TRUE(layout.asked.empty());
  }
}

TEST(KeyCapture, AltOverCapturedCtrlXDropsTheCombination) {
  KeyCapture c;
  FakeLayout layout;
  c.KeyDown(kVkControl, kShiftCtrl, layout.namer());
  ASSERT_EQ(c.KeyDown(88, kShiftCtrl, layout.namer()), L"Ctrl + X");
  EXPECT_FALSE(c.KeyUp(88));
  EXPECT_EQ(c.KeyDown(kVkMenu, kShiftCtrl | kShiftAlt, layout.namer()), L"Ctrl + Alt + ");
  EXPECT_EQ(c.record(), (HotKeyRecord{0, kModControl | kModAlt}));
  EXPECT_TRUE(c.KeyUp(kVkMenu));
  EXPECT_EQ(c.record(), (HotKeyRecord{0, 0}));
}

TEST(KeyCapture, LeftWinWithAllModifiersAndF5) {
  KeyCapture c;
  FakeLayout layout;
  EXPECT_EQ(c.KeyDown(kVkLeftWin, 0, layout.namer()), L"Win + ");
  EXPECT_TRUE(c.WinKeyDown());
  EXPECT_EQ(c.KeyDown(kVkControl, kShiftCtrl, layout.namer()), L"Win + Ctrl + ");
  EXPECT_EQ(c.KeyDown(kVkMenu, kShiftCtrl | kShiftAlt, layout.namer()), L"Win + Ctrl + Alt + ");
  EXPECT_EQ(c.KeyDown(kVkShift, kShiftCtrl | kShiftAlt | kShiftShift, layout.namer()),
            L"Win + Ctrl + Alt + Shift + ");
  EXPECT_EQ(c.KeyDown(116, kShiftCtrl | kShiftAlt | kShiftShift, layout.namer()),
            L"Win + Ctrl + Alt + Shift + F5");
  EXPECT_EQ(c.record(), (HotKeyRecord{116, 15}));
  // Releasing the left Win key ends "Win + " for the next key, but keeps what was captured.
  EXPECT_FALSE(c.KeyUp(kVkLeftWin));
  EXPECT_FALSE(c.WinKeyDown());
  EXPECT_EQ(c.record(), (HotKeyRecord{116, 15}));
  EXPECT_EQ(c.KeyDown(116, 0, layout.namer()), L"F5");
}

TEST(KeyCapture, F5AloneAndRightWinAreOrdinaryKeys) {
  KeyCapture c;
  FakeLayout layout;
  EXPECT_EQ(c.KeyDown(116, 0, layout.namer()), L"F5");
  EXPECT_FALSE(c.KeyUp(116));
  EXPECT_EQ(c.record(), (HotKeyRecord{116, 0}));
  EXPECT_EQ(c.KeyDown(92, 0, layout.namer()), L"Right Windows");
  EXPECT_FALSE(c.WinKeyDown());
  EXPECT_EQ(c.record(), (HotKeyRecord{92, 0}));
  EXPECT_FALSE(c.KeyUp(92));
  // Every key-down starts from nothing: no "Win + ", no earlier modifiers.
  EXPECT_EQ(c.KeyDown(88, kShiftCtrl, layout.namer()), L"Ctrl + X");
  EXPECT_EQ(c.KeyDown(89, 0, layout.namer()), L"Y");
  EXPECT_EQ(c.record(), (HotKeyRecord{89, 0}));
}

TEST(KeyCapture, RepeatedKeyDownRebuildsTheSameText) {
  KeyCapture c;
  FakeLayout layout;
  const std::wstring first = c.KeyDown(65, kShiftCtrl | kShiftShift, layout.namer());
  const HotKeyRecord record = c.record();
  for (int repeat = 0; repeat < 3; ++repeat) {
    EXPECT_EQ(c.KeyDown(65, kShiftCtrl | kShiftShift, layout.namer()), first);
    EXPECT_EQ(c.record(), record);
  }
  EXPECT_EQ(first, L"Ctrl + Shift + A");
  EXPECT_EQ(layout.asked.size(), 4u);  // named afresh every time
}

TEST(KeyCapture, UnnamedKeyIsCapturedWithModifierWordsOnly) {
  KeyCapture c;
  FakeLayout layout;
  EXPECT_EQ(c.KeyDown(0xFF, kShiftCtrl, layout.namer()), L"Ctrl + ");
  EXPECT_EQ(c.record(), (HotKeyRecord{0xFF, kModControl}));
  EXPECT_FALSE(c.KeyUp(0xFF));  // captured: the box keeps the text
  EXPECT_EQ(c.KeyDown(0xFF, 0, layout.namer()), L"");
  EXPECT_EQ(c.record(), (HotKeyRecord{0xFF, 0}));
}

TEST(KeyCapture, KeyCodeIsWidenedWithItsSign) {
  KeyCapture c;
  c.KeyDown(-2, 0, {});
  EXPECT_EQ(c.record().KeyCode, -2);
}

TEST(KeyCapture, FocusLostForgetsTheLeftWinKey) {
  KeyCapture c;
  FakeLayout layout;
  c.KeyDown(kVkLeftWin, 0, layout.namer());
  ASSERT_TRUE(c.WinKeyDown());
  c.FocusLost();  // the left Win key went up in another window
  EXPECT_FALSE(c.WinKeyDown());
  EXPECT_EQ(c.KeyDown(65, 0, layout.namer()), L"A");
  EXPECT_EQ(c.record(), (HotKeyRecord{65, 0}));
}

TEST(KeyCapture, OnlyTheContextMenuKeyIsRefused) {
  EXPECT_TRUE(KeyCapture::IsRefused(kVkApps));
  for (const int k : {0, 16, 17, 18, 65, 91, 92, 94, 121, 255}) {
    EXPECT_FALSE(KeyCapture::IsRefused(static_cast<std::int16_t>(k))) << k;
  }
}

TEST(KeyCapture, ClearForgetsTheCombinationButNotTheWinKey) {
  KeyCapture c;
  FakeLayout layout;
  c.KeyDown(kVkLeftWin, 0, layout.namer());
  c.KeyDown(70, 0, layout.namer());
  c.Clear();
  EXPECT_EQ(c.record(), (HotKeyRecord{0, 0}));
  EXPECT_TRUE(c.WinKeyDown());
  EXPECT_TRUE(c.KeyUp(70));
}

TEST(KeyCapture, OnlyShiftCtrlAltAndLeftWinAreModifiers) {
  for (int k = -1; k < 256; ++k) {
    const bool modifier = k == 16 || k == 17 || k == 18 || k == 91;
    EXPECT_EQ(IsModifierKey(k), modifier) << k;
  }
}

}  // namespace
}  // namespace tarnelle::hotkeybox

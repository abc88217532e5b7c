#include "hotkeybox/capture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tarnelle::hotkeybox {
namespace {

constexpr std::int16_t kC = kShiftCtrl;
constexpr std::int16_t kA = kShiftAlt;
constexpr std::int16_t kS = kShiftShift;
constexpr std::int16_t kF5 = 116;
constexpr std::int16_t kRightWin = 92;
constexpr std::int16_t kUnnamed = 0xFF;
constexpr std::int16_t kUp = -1;         // the key goes up
constexpr std::int16_t kFocusLost = -2;  // the box loses the focus

// A layout that labels letters with themselves and has no name for one key.
std::wstring Name(std::int16_t key) {
  return key == kF5         ? L"F5"
         : key == kRightWin ? L"Right Windows"
                            : std::wstring(key != kUnnamed, static_cast<wchar_t>(key));
}

struct Event {
  std::int16_t key;
  std::int16_t shift = 0;  // or kUp, kFocusLost
};

TEST(KeyCapture, EventsGiveTheTextShownAndTheHotKeyRecord) {
  const struct {
    std::vector<Event> events;
    std::wstring shows;  // after the last event
    HotKeyRecord record;
  } cases[] = {
      // clang-format off
      {{{kVkControl, kC}, {'X', kC}, {'X', kUp}, {kVkControl, kUp}},    L"Ctrl + X",                {'X', kModControl}},
      {{{'Q'}},                                                          L"Q",                       {'Q', 0}},
      {{{'Q', kS}},                                                      L"Shift + Q",               {'Q', kModShift}},
      {{{'Q', kA | kS}},                                                 L"Alt + Shift + Q",         {'Q', 5}},
      {{{'Q', kS | kA | kC}},                                            L"Ctrl + Alt + Shift + Q",  {'Q', 7}},
      {{{kVkControl, kC}},                                               L"Ctrl + ",                 {0, kModControl}},
      {{{kVkMenu, kA}},                                                  L"Alt + ",                  {0, kModAlt}},
      {{{kVkLeftWin}},                                                   L"Win + ",                  {0, kModWin}},
      {{{kVkShift, kS}, {kVkShift, kUp}},                                kPressHotKey,               {0, 0}},
      {{{'X'}, {'X', kUp}, {kVkShift, kS}, {kVkShift, kUp}},             kPressHotKey,               {0, 0}},
      {{{'X', kC}, {'X', kUp}, {kVkMenu, kC | kA}},                      L"Ctrl + Alt + ",           {0, 3}},
      {{{'X', kC}, {'X', kUp}, {kVkMenu, kC | kA}, {kVkMenu, kUp}},      kPressHotKey,               {0, 0}},
      {{{kVkLeftWin}, {kVkControl, kC}, {kVkMenu, kC | kA}, {kVkShift, 7}, {kF5, 7}},
                                                                 L"Win + Ctrl + Alt + Shift + F5",   {kF5, 15}},
      {{{kVkLeftWin}, {kF5}, {kVkLeftWin, kUp}},                         L"Win + F5",                {kF5, kModWin}},
      {{{kVkLeftWin}, {kF5}, {kVkLeftWin, kUp}, {kF5}},                  L"F5",                      {kF5, 0}},
      {{{kF5}, {kF5, kUp}},                                              L"F5",                      {kF5, 0}},
      {{{kRightWin}, {kRightWin, kUp}},                                  L"Right Windows",           {kRightWin, 0}},
      {{{'X', kC}, {'Y'}},                                               L"Y",                       {'Y', 0}},
      {{{'A', kC | kS}, {'A', kC | kS}, {'A', kC | kS}},                 L"Ctrl + Shift + A",        {'A', 6}},
      {{{kUnnamed, kC}, {kUnnamed, kUp}},                                L"Ctrl + ",                 {kUnnamed, 2}},
      {{{kUnnamed}},                                                     L"",                        {kUnnamed, 0}},
      {{{kVkLeftWin}, {0, kFocusLost}, {'A'}},                           L"A",                       {'A', 0}},
      // clang-format on
  };
  for (const auto& [events, shows, record] : cases) {
    KeyCapture capture;
    std::wstring shown = kPressHotKey;
    for (const auto& [key, shift] : events) {
      if (shift == kFocusLost) {
        capture.FocusLost();
      } else if (shift != kUp) {
        shown = capture.KeyDown(key, shift, Name);
      } else if (capture.KeyUp(key)) {
        shown = kPressHotKey;
      }
    }
    EXPECT_EQ(shown, shows);
    EXPECT_EQ(capture.record(), record) << events.size() << " events ending in " << events.back().key;
  }
}

}  // namespace
}  // namespace tarnelle::hotkeybox

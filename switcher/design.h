#pragma once
// The main window as designed, in twips (1/1440 inch; 15 twips a pixel at 96 dots per inch),
// relative to the client area of the containing window. Pure data and arithmetic.

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>

namespace tarnelle::switcher::design {

struct Twips {
  int left;
  int top;
  int width;
  int height;
  friend constexpr bool operator==(const Twips&, const Twips&) = default;
};

inline constexpr int kSlotCount = 10;

inline constexpr Twips kClient{0, 0, 7245, 4545};

// The title strip and its children (children relative to the strip).
inline constexpr Twips kStrip{0, 0, 12735, 375};
inline constexpr Twips kLogo{120, 0, 330, 330};
inline constexpr Twips kTitle{480, 0, 3495, 375};
inline constexpr Twips kHideImage{5880, 0, 585, 255};
inline constexpr Twips kCloseImage{6480, 0, 720, 285};

inline constexpr Twips kModeGet{240, 480, 1695, 255};
inline constexpr Twips kModeChange{2280, 480, 1935, 255};
inline constexpr Twips kLinkLabel{240, 3480, 3615, 255};
inline constexpr Twips kHandImage{8280, 5640, 480, 480};

// Colours as 0x00BBGGRR.
inline constexpr std::uint32_t Rgb(int r, int g, int b) {
  return static_cast<std::uint32_t>(r) | (static_cast<std::uint32_t>(g) << 8) |
         (static_cast<std::uint32_t>(b) << 16);
}
inline constexpr std::uint32_t kStripColor = Rgb(0, 153, 102);
inline constexpr std::uint32_t kTitleColor = Rgb(255, 255, 255);
inline constexpr std::uint32_t kLinkColor = Rgb(15, 66, 128);
inline constexpr std::uint32_t kOddBoxColor = Rgb(255, 255, 128);
inline constexpr std::uint32_t kEvenBoxColor = Rgb(128, 255, 128);

struct SlotDesign {
  Twips box;
  Twips check;
  Twips text;
  std::uint32_t box_color;
  int box_tab;
  int check_tab;
  int text_tab;
};

// Slot n (1 to 10) sits in row (n - 1) / 2; odd slots on the left, even slots on the right.
constexpr SlotDesign Slot(int n) {
  constexpr std::array<int, kSlotCount> kCheckWidth{1605, 1605, 1575, 1695, 1575,
                                                    1575, 1575, 1575, 1575, 1695};
  constexpr std::array<int, kSlotCount> kCheckTab{0, 1, 2, 3, 4, 20, 24, 21, 22, 23};
  const int row = (n - 1) / 2;
  const bool odd = n % 2 == 1;
  const int top = 960 + 480 * row;
  const auto i = static_cast<std::size_t>(n - 1);
  return SlotDesign{
      Twips{odd ? 240 : 3600, top, odd ? 1335 : 1455, 375},
      Twips{odd ? 1680 : 5160, top, kCheckWidth[i], 255},
      Twips{odd ? 9120 : 10080, 3600 + 360 * row, 855, 270},
      odd ? kOddBoxColor : kEvenBoxColor,
      24 + n,
      kCheckTab[i],
      9 + n,
  };
}

// Focus order of the controls that take the focus, by their design tab index.
inline constexpr int kTabLinkLabel = 5;
inline constexpr int kTabStrip = 6;  // the title inside it has 7
inline constexpr int kTabModeGet = 8;
inline constexpr int kTabModeChange = 9;

// Named as the design names the controls.
enum class Control { kChkCheck, kText, kOrvanta, kLabel1, kPmenu, kSelemode0, kSelemode1 };

struct TabStop {
  Control control;
  int slot;  // 1 to 10 for a slot's controls, 0 for the others
  int tab;
};

inline constexpr std::size_t kTabStopCount = 3 * kSlotCount + 4;

// Every control of the window that has a tab index, in the designed focus order. Created in
// this order, the z-order is the tab order.
constexpr std::array<TabStop, kTabStopCount> TabOrder() {
  std::array<TabStop, kTabStopCount> stops{};
  std::size_t i = 0;
  for (int n = 1; n <= kSlotCount; ++n) {
    const SlotDesign d = Slot(n);
    stops[i++] = TabStop{Control::kChkCheck, n, d.check_tab};
    stops[i++] = TabStop{Control::kText, n, d.text_tab};
    stops[i++] = TabStop{Control::kOrvanta, n, d.box_tab};
  }
  stops[i++] = TabStop{Control::kLabel1, 0, kTabLinkLabel};
  stops[i++] = TabStop{Control::kPmenu, 0, kTabStrip};
  stops[i++] = TabStop{Control::kSelemode0, 0, kTabModeGet};
  stops[i++] = TabStop{Control::kSelemode1, 0, kTabModeChange};
  std::sort(stops.begin(), stops.end(), [](const TabStop& a, const TabStop& b) { return a.tab < b.tab; });
  return stops;
}

// The menu window that carries the tray menu: never shown. Its client area.
inline constexpr int kMenuWindowWidth = 4560;
inline constexpr int kMenuWindowHeight = 3030;

}  // namespace tarnelle::switcher::design

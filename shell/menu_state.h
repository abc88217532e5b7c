#pragma once
// What the tray's Windows and Options submenus show, asked for each time the menu opens, and
// what the user chose from them. Pure.

#include <array>
#include <string>

namespace tarnelle::shell {

struct MenuState {
  struct Item {
    std::wstring text;
    bool enabled = true;
  };
  std::array<Item, 10> windows;
  bool follow_windows = false;
  bool start_missing = false;
  bool press_again_goes_back = false;
  bool start_with_windows = false;
};

struct MenuChoice {
  enum class Kind {
    kBringForward,  // a slot's window, from the Windows menu
    kFollowWindows,
    kStartMissing,
    kPressAgainGoesBack,
    kStartWithWindows,
  };
  Kind kind = Kind::kBringForward;
  int slot = 0;  // 1 to 10, for a slot's choice
};

}  // namespace tarnelle::shell

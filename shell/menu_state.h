#pragma once
// What the tray's Windows and Options submenus show, asked for each time the menu opens, what
// the user chose from them, and the command number each choice has in the menu. Pure.

#include <array>
#include <optional>
#include <string>

namespace tarnelle::shell {

// What a press for a window already in front does: for a slot, as the Options menu says, or one
// of the four; for the Options menu, one of the four.
enum class InFront { kAsInOptions, kNothing, kGoBack, kNextWindow, kMinimise };

struct MenuState {
  struct Slot {
    std::wstring text;        // "N   hotkey   title"
    bool can_bring = false;   // a press would bring a window forward, or start its program
    bool can_forget = false;  // the slot holds a window
    InFront in_front = InFront::kAsInOptions;
  };
  std::array<Slot, 10> windows;
  bool follow_windows = false;
  bool start_missing = false;
  InFront in_front = InFront::kNothing;
  bool start_with_windows = false;
};

struct MenuChoice {
  enum class Kind {
    kBringForward,  // a slot's window comes forward
    kForget,        // the slot holds no window any more
    kSlotInFront,   // what a press of the slot does for its window in front
    kInFront,       // what a press does for a window in front, for the slots left "As in Options"
    kFollowWindows,
    kStartMissing,
    kStartWithWindows,
  };
  Kind kind = Kind::kBringForward;
  int slot = 0;  // 1 to 10, for a slot's choice
  InFront in_front = InFront::kAsInOptions;
  friend bool operator==(const MenuChoice&, const MenuChoice&) = default;
};

// The command number of a choice's menu item, and back; nothing for a number no item has.
[[nodiscard]] unsigned CommandOf(const MenuChoice& choice);
[[nodiscard]] std::optional<MenuChoice> ChoiceOf(unsigned command);

}  // namespace tarnelle::shell

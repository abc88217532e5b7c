#include "shell/menu_state.h"

namespace tarnelle::shell {
namespace {

// The numbers, clear of the menu's own items (Show, About, Exit: below 100).
constexpr unsigned kBringForward = 100;  // + slot
constexpr unsigned kForget = 120;        // + slot
constexpr unsigned kSlotInFront = 1000;  // + 10 * slot + choice
constexpr unsigned kFollowWindows = 201;
constexpr unsigned kStartMissing = 202;
constexpr unsigned kStartWithWindows = 204;
constexpr unsigned kInFront = 210;  // + choice
constexpr unsigned kChoices = 5;

unsigned Value(InFront in_front) {
  return static_cast<unsigned>(in_front);
}

}  // namespace

unsigned CommandOf(const MenuChoice& choice) {
  const auto slot = static_cast<unsigned>(choice.slot);
  using Kind = MenuChoice::Kind;
  switch (choice.kind) {
    case Kind::kBringForward:
      return kBringForward + slot;
    case Kind::kForget:
      return kForget + slot;
    case Kind::kSlotInFront:
      return kSlotInFront + 10 * slot + Value(choice.in_front);
    case Kind::kInFront:
      return kInFront + Value(choice.in_front);
    case Kind::kFollowWindows:
      return kFollowWindows;
    case Kind::kStartMissing:
      return kStartMissing;
    case Kind::kStartWithWindows:
      return kStartWithWindows;
  }
  return 0;
}

std::optional<MenuChoice> ChoiceOf(unsigned command) {
  using Kind = MenuChoice::Kind;
  const auto slot_of = [](unsigned n) { return static_cast<int>(n); };
  if (command > kBringForward && command <= kBringForward + 10) {
    return MenuChoice{Kind::kBringForward, slot_of(command - kBringForward)};
  }
  if (command > kForget && command <= kForget + 10) {
    return MenuChoice{Kind::kForget, slot_of(command - kForget)};
  }
  if (command >= kSlotInFront + 10 && command < kSlotInFront + 110 && command % 10 < kChoices) {
    return MenuChoice{Kind::kSlotInFront, slot_of((command - kSlotInFront) / 10),
                      static_cast<InFront>(command % 10)};
  }
  if (command > kInFront && command < kInFront + kChoices) {  // never "As in Options"
    return MenuChoice{Kind::kInFront, 0, static_cast<InFront>(command - kInFront)};
  }
  switch (command) {
    case kFollowWindows:
      return MenuChoice{Kind::kFollowWindows};
    case kStartMissing:
      return MenuChoice{Kind::kStartMissing};
    case kStartWithWindows:
      return MenuChoice{Kind::kStartWithWindows};
    default:
      return std::nullopt;
  }
}

}  // namespace tarnelle::shell

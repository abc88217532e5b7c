#pragma once
// What the slots keep beyond their handles when the user asks for it (the tray's menus): the
// options, saved the moment they change in [Options]; what a press of each slot does for its
// window in front, saved the moment it changes in [WhenInFront]; and who each slot's window is, in
// [Windows], saved whenever a slot's window changes; all in the settings file beside the hotkeys.
// With nothing chosen nothing of this is read or written but [Options] itself. Pure: the file is
// reached through the slots' calls.

#include <array>
#include <optional>
#include <string_view>

#include "shell/menu_state.h"
#include "switcher/design.h"
#include "switcher/identity.h"
#include "switcher/slot_calls.h"

namespace tarnelle::switcher {

using shell::InFront;
enum class Option { kFollowWindows, kStartMissing };

// An InFront in the settings file: its name ("AsInOptions", "Nothing", "GoBack", "NextWindow",
// "Minimise"), and back; nothing for any other text.
[[nodiscard]] std::wstring_view NameOf(InFront in_front);
[[nodiscard]] std::optional<InFront> ParseInFront(std::wstring_view text);

class SlotMemory {
 public:
  explicit SlotMemory(const SlotCalls& calls) : calls_(calls) {}

  // Reads [Options] and [WhenInFront], and [Windows] when windows are followed; what cannot be
  // used reads as its default. A file with no choice of what a press does for a window in front
  // but "press again to go back" of an older Tarnelle goes back.
  void Load();

  [[nodiscard]] bool Has(Option option) const;
  // Each sets its choice and saves it at once; false when the file refused.
  [[nodiscard]] bool Set(Option option, bool on);
  [[nodiscard]] InFront in_front() const { return in_front_; }  // never "As in Options"
  [[nodiscard]] bool SetInFront(InFront in_front);
  [[nodiscard]] InFront SlotInFront(int slot) const;
  // Whether a press of any slot may go back to the window before.
  [[nodiscard]] bool AnyGoesBack() const;
  [[nodiscard]] bool SetSlotInFront(int slot, InFront in_front);

  // Who the window of |slot| (1 to 10) is, when it is known.
  [[nodiscard]] const std::optional<WindowIdentity>& Identity(int slot) const;
  void SetIdentity(int slot, std::optional<WindowIdentity> identity);
  // Writes [Windows] whole when windows are followed: the ten slot keys and nothing else.
  [[nodiscard]] bool SaveWindows() const;

  // Writes what Load read, where the file has it or something is chosen, so that what a hand edit
  // spoiled is written sane; false when the file refused.
  [[nodiscard]] bool Save() const;

 private:
  [[nodiscard]] bool SaveOptions() const;
  [[nodiscard]] bool SaveSlotChoices() const;

  const SlotCalls& calls_;
  std::array<bool, 2> options_{};
  InFront in_front_ = InFront::kNothing;
  std::array<InFront, design::kSlotCount> slot_in_front_{};  // all "As in Options"
  std::array<std::optional<WindowIdentity>, design::kSlotCount> identities_;
};

}  // namespace tarnelle::switcher

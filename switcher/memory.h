#pragma once
// What the slots keep beyond their handles when the user asks for it (the tray's Options menu):
// the options themselves, saved the moment they change in [Options], and who each slot's window
// is, in [Windows], saved whenever a slot's window changes, both in the settings file beside the
// hotkeys. With every option off nothing of this is read or written but [Options] itself. Pure:
// the file is reached through the slots' calls.

#include <array>
#include <optional>

#include "switcher/design.h"
#include "switcher/identity.h"
#include "switcher/slot_calls.h"

namespace tarnelle::switcher {

enum class Option { kFollowWindows, kStartMissing, kPressAgainGoesBack };

class SlotMemory {
 public:
  explicit SlotMemory(const SlotCalls& calls) : calls_(calls) {}

  // Reads [Options], and [Windows] when windows are followed; what cannot be used is ignored.
  void Load();

  [[nodiscard]] bool Has(Option option) const;
  // Sets an option and saves the options at once; false when the file refused.
  [[nodiscard]] bool Set(Option option, bool on);

  // Who the window of |slot| (1 to 10) is, when it is known.
  [[nodiscard]] const std::optional<WindowIdentity>& Identity(int slot) const;
  void SetIdentity(int slot, std::optional<WindowIdentity> identity);
  // Writes [Windows] whole when windows are followed: the ten slot keys and nothing else.
  [[nodiscard]] bool SaveWindows() const;

  // Writes [Windows] when windows are followed, and [Options] when it is there or any option is
  // on, so that what a hand edit spoiled is written sane; false when the file refused.
  [[nodiscard]] bool Save() const;

 private:
  [[nodiscard]] bool SaveOptions() const;

  const SlotCalls& calls_;
  std::array<bool, 3> options_{};
  std::array<std::optional<WindowIdentity>, design::kSlotCount> identities_;
};

}  // namespace tarnelle::switcher

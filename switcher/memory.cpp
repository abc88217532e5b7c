#include "switcher/memory.h"

#include <string>
#include <utility>
#include <vector>

namespace tarnelle::switcher {
namespace {

constexpr wchar_t kOptionsSection[] = L"Options";
constexpr wchar_t kWindowsSection[] = L"Windows";
constexpr const wchar_t* kOptionKeys[] = {L"FollowWindows", L"StartMissing", L"PressAgainGoesBack"};

std::wstring SlotKey(int slot) {
  return L"Slot" + std::to_wstring(slot);
}

std::size_t IndexOf(Option option) {
  return static_cast<std::size_t>(option);
}

}  // namespace

void SlotMemory::Load() {
  for (std::size_t i = 0; i < options_.size(); ++i) {
    options_[i] = ParseOption(calls_.read_setting(kOptionsSection, kOptionKeys[i]));
  }
  if (!Has(Option::kFollowWindows)) {
    return;
  }
  for (int slot = 1; slot <= design::kSlotCount; ++slot) {
    identities_[static_cast<std::size_t>(slot - 1)] =
        DecodeIdentity(calls_.read_setting(kWindowsSection, SlotKey(slot)));
  }
}

bool SlotMemory::Has(Option option) const {
  return options_[IndexOf(option)];
}

bool SlotMemory::Set(Option option, bool on) {
  options_[IndexOf(option)] = on;
  return SaveOptions();
}

const std::optional<WindowIdentity>& SlotMemory::Identity(int slot) const {
  return identities_.at(static_cast<std::size_t>(slot - 1));
}

void SlotMemory::SetIdentity(int slot, std::optional<WindowIdentity> identity) {
  identities_.at(static_cast<std::size_t>(slot - 1)) = std::move(identity);
}

bool SlotMemory::SaveWindows() const {
  if (!Has(Option::kFollowWindows)) {
    return true;
  }
  std::vector<std::pair<std::wstring, std::wstring>> lines;
  for (int slot = 1; slot <= design::kSlotCount; ++slot) {
    const auto& identity = Identity(slot);
    lines.emplace_back(SlotKey(slot), identity ? EncodeIdentity(*identity) : L"");
  }
  return calls_.write_section(kWindowsSection, lines);
}

bool SlotMemory::Save() const {
  bool saved = SaveWindows();
  const bool any =
      Has(Option::kFollowWindows) || Has(Option::kStartMissing) || Has(Option::kPressAgainGoesBack);
  if (any || calls_.has_section(kOptionsSection)) {
    saved = SaveOptions() && saved;
  }
  return saved;
}

bool SlotMemory::SaveOptions() const {
  for (std::size_t i = 0; i < options_.size(); ++i) {
    if (!calls_.write_setting(kOptionsSection, kOptionKeys[i], options_[i] ? L"1" : L"0")) {
      return false;
    }
  }
  return true;
}

}  // namespace tarnelle::switcher

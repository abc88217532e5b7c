#include "switcher/memory.h"

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

namespace tarnelle::switcher {
namespace {

constexpr wchar_t kOptionsSection[] = L"Options";
constexpr wchar_t kWindowsSection[] = L"Windows";
constexpr wchar_t kSlotChoicesSection[] = L"WhenInFront";
constexpr const wchar_t* kOptionKeys[] = {L"FollowWindows", L"StartMissing"};
constexpr wchar_t kInFrontKey[] = L"WhenInFront";
// What an older Tarnelle kept, and still written for one: 1 when a press goes back.
constexpr wchar_t kGoesBackKey[] = L"PressAgainGoesBack";
constexpr std::wstring_view kInFrontNames[] = {L"AsInOptions", L"Nothing", L"GoBack", L"NextWindow",
                                               L"Minimise"};

std::wstring SlotKey(int slot) {
  return L"Slot" + std::to_wstring(slot);
}

std::size_t IndexOf(int slot) {
  return static_cast<std::size_t>(slot - 1);
}

}  // namespace

std::wstring_view NameOf(InFront in_front) {
  return kInFrontNames[static_cast<std::size_t>(in_front)];
}

std::optional<InFront> ParseInFront(std::wstring_view text) {
  const auto at = std::find(std::begin(kInFrontNames), std::end(kInFrontNames), text);
  if (at == std::end(kInFrontNames)) {
    return std::nullopt;
  }
  return static_cast<InFront>(at - std::begin(kInFrontNames));
}

void SlotMemory::Load() {
  for (std::size_t i = 0; i < options_.size(); ++i) {
    options_[i] = ParseOption(calls_.read_setting(kOptionsSection, kOptionKeys[i]));
  }
  const std::wstring in_front = calls_.read_setting(kOptionsSection, kInFrontKey);
  if (in_front.empty()) {
    in_front_ = ParseOption(calls_.read_setting(kOptionsSection, kGoesBackKey)) ? InFront::kGoBack
                                                                                : InFront::kNothing;
  } else {
    const std::optional<InFront> read = ParseInFront(in_front);
    in_front_ = read && *read != InFront::kAsInOptions ? *read : InFront::kNothing;
  }
  for (int slot = 1; slot <= design::kSlotCount; ++slot) {
    slot_in_front_[IndexOf(slot)] =
        ParseInFront(calls_.read_setting(kSlotChoicesSection, SlotKey(slot))).value_or(InFront::kAsInOptions);
  }
  if (!Has(Option::kFollowWindows)) {
    return;
  }
  for (int slot = 1; slot <= design::kSlotCount; ++slot) {
    identities_[IndexOf(slot)] = DecodeIdentity(calls_.read_setting(kWindowsSection, SlotKey(slot)));
  }
}

bool SlotMemory::Has(Option option) const {
  return options_[static_cast<std::size_t>(option)];
}

bool SlotMemory::Set(Option option, bool on) {
  options_[static_cast<std::size_t>(option)] = on;
  return SaveOptions();
}

bool SlotMemory::SetInFront(InFront in_front) {
  in_front_ = in_front;
  return SaveOptions();
}

InFront SlotMemory::SlotInFront(int slot) const {
  return slot_in_front_.at(IndexOf(slot));
}

bool SlotMemory::AnyGoesBack() const {
  const auto back = [this](InFront c) {
    return c == InFront::kGoBack || (c == InFront::kAsInOptions && in_front_ == InFront::kGoBack);
  };
  return back(in_front_) || std::any_of(slot_in_front_.begin(), slot_in_front_.end(), back);
}

bool SlotMemory::SetSlotInFront(int slot, InFront in_front) {
  slot_in_front_.at(IndexOf(slot)) = in_front;
  return SaveSlotChoices();
}

const std::optional<WindowIdentity>& SlotMemory::Identity(int slot) const {
  return identities_.at(IndexOf(slot));
}

void SlotMemory::SetIdentity(int slot, std::optional<WindowIdentity> identity) {
  identities_.at(IndexOf(slot)) = std::move(identity);
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
  const bool options = std::any_of(options_.begin(), options_.end(), [](bool on) { return on; }) ||
                       in_front_ != InFront::kNothing;
  if (options || calls_.has_section(kOptionsSection)) {
    saved = SaveOptions() && saved;
  }
  const bool slot_choices = std::any_of(slot_in_front_.begin(), slot_in_front_.end(),
                                        [](InFront c) { return c != InFront::kAsInOptions; });
  if (slot_choices || calls_.has_section(kSlotChoicesSection)) {
    saved = SaveSlotChoices() && saved;
  }
  return saved;
}

bool SlotMemory::SaveOptions() const {
  for (std::size_t i = 0; i < options_.size(); ++i) {
    if (!calls_.write_setting(kOptionsSection, kOptionKeys[i], options_[i] ? L"1" : L"0")) {
      return false;
    }
  }
  return calls_.write_setting(kOptionsSection, kInFrontKey, std::wstring(NameOf(in_front_))) &&
         calls_.write_setting(kOptionsSection, kGoesBackKey, in_front_ == InFront::kGoBack ? L"1" : L"0");
}

bool SlotMemory::SaveSlotChoices() const {
  std::vector<std::pair<std::wstring, std::wstring>> lines;
  for (int slot = 1; slot <= design::kSlotCount; ++slot) {
    lines.emplace_back(SlotKey(slot), std::wstring(NameOf(SlotInFront(slot))));
  }
  return calls_.write_section(kSlotChoicesSection, lines);
}

}  // namespace tarnelle::switcher

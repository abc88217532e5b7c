#include "switcher/memory.h"

#include <string>

namespace tarnelle::switcher {
namespace {

constexpr wchar_t kOptionsSection[] = L"Options";
constexpr wchar_t kWindowsSection[] = L"Windows";
constexpr const wchar_t* kOptionKeys[] = {L"FollowWindows", L"StartMissing", L"PressAgainGoesBack"};
// An identity line is three escaped fields; a line longer than this is none of ours.
constexpr DWORD kLineChars = 8192;

std::wstring SlotKey(int slot) {
  return L"Slot" + std::to_wstring(slot);
}

std::size_t IndexOf(Option option) {
  return static_cast<std::size_t>(option);
}

}  // namespace

void SlotMemory::Load() {
  for (std::size_t i = 0; i < options_.size(); ++i) {
    options_[i] = ParseOption(file_.Read(kOptionsSection, kOptionKeys[i], L""));
  }
  if (!Has(Option::kFollowWindows)) {
    return;
  }
  for (int slot = 1; slot <= design::kSlotCount; ++slot) {
    identities_[static_cast<std::size_t>(slot - 1)] =
        DecodeIdentity(file_.Read(kWindowsSection, SlotKey(slot), L"", kLineChars));
  }
}

bool SlotMemory::Has(Option option) const {
  return options_[IndexOf(option)];
}

bool SlotMemory::Set(Option option, bool on) {
  options_[IndexOf(option)] = on;
  return SaveOptions().ok;
}

const std::optional<WindowIdentity>& SlotMemory::Identity(int slot) const {
  return identities_.at(static_cast<std::size_t>(slot - 1));
}

void SlotMemory::SetIdentity(int slot, std::optional<WindowIdentity> identity) {
  identities_.at(static_cast<std::size_t>(slot - 1)) = std::move(identity);
}

settings::WriteResult SlotMemory::Save() const {
  settings::WriteResult result;
  const auto keep_first = [&result](const settings::WriteResult& r) {
    if (!r.ok && result.ok) {
      result = r;
    }
  };
  if (Has(Option::kFollowWindows)) {
    for (int slot = 1; slot <= design::kSlotCount; ++slot) {
      const auto& identity = Identity(slot);
      keep_first(file_.Write(kWindowsSection, SlotKey(slot), identity ? EncodeIdentity(*identity) : L""));
    }
  }
  const bool any =
      Has(Option::kFollowWindows) || Has(Option::kStartMissing) || Has(Option::kPressAgainGoesBack);
  if (any || file_.HasSection(kOptionsSection)) {
    keep_first(SaveOptions());
  }
  return result;
}

settings::WriteResult SlotMemory::SaveOptions() const {
  for (std::size_t i = 0; i < options_.size(); ++i) {
    const settings::WriteResult r = file_.Write(kOptionsSection, kOptionKeys[i], options_[i] ? L"1" : L"0");
    if (!r.ok) {
      return r;
    }
  }
  return {};
}

}  // namespace tarnelle::switcher

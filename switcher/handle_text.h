#pragma once
// A remembered window is kept as text in its slot: the platform's 32-bit window handle taken as a
// signed 32-bit integer, in plain decimal. Empty text means none.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "settings/values.h"

namespace tarnelle::switcher {

[[nodiscard]] inline std::wstring FormatHandleText(std::int32_t handle) {
  return settings::FormatDecimal32(handle);
}

// Only text the program wrote (or the same form typed by hand) is a handle; anything else,
// which only a user's edit can make, is none.
[[nodiscard]] inline std::optional<std::int32_t> ParseHandleText(std::wstring_view text) {
  return settings::ParseDecimal32(text);
}

}  // namespace tarnelle::switcher

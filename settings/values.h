#pragma once
// Numbers kept as text: saved key codes and remembered window handles. Pure and strict: only
// plain decimal digits with an optional leading minus sign that fit in 32 bits are numbers.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tarnelle::settings {

[[nodiscard]] std::optional<std::int32_t> ParseDecimal32(std::wstring_view text);

// A saved number that is not one (empty, "55zz", "0x41", out of range) loads as 0.
[[nodiscard]] inline std::int32_t ParseSavedNumber(std::wstring_view text) {
  return ParseDecimal32(text).value_or(0);
}

[[nodiscard]] std::wstring FormatDecimal32(std::int32_t value);

}  // namespace tarnelle::settings

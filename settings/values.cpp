#include "settings/values.h"

#include <limits>

namespace tarnelle::settings {

std::optional<std::int32_t> ParseDecimal32(std::wstring_view text) {
  bool negative = false;
  if (!text.empty() && text.front() == L'-') {
    negative = true;
    text.remove_prefix(1);
  }
  if (text.empty()) {
    return std::nullopt;
  }
  // Padding zeros do not count towards the ten digits a 32-bit number can have.
  const std::size_t significant = text.find_first_not_of(L'0');
  const std::wstring_view digits = significant == std::wstring_view::npos ? L"" : text.substr(significant);
  if (digits.size() > 10) {
    return std::nullopt;
  }
  for (const wchar_t c : text) {
    if (c < L'0' || c > L'9') {
      return std::nullopt;
    }
  }
  std::int64_t value = 0;
  for (const wchar_t c : digits) {
    value = value * 10 + (c - L'0');
  }
  if (negative) {
    value = -value;
  }
  if (value < std::numeric_limits<std::int32_t>::min() || value > std::numeric_limits<std::int32_t>::max()) {
    return std::nullopt;
  }
  return static_cast<std::int32_t>(value);
}

std::wstring FormatDecimal32(std::int32_t value) {
  return std::to_wstring(value);
}

}  // namespace tarnelle::settings

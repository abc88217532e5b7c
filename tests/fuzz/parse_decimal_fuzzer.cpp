// Saved numbers: every 32-bit number survives being written and read back, and the parser
// takes exactly the texts that an independent reading with std::wcstoll takes.

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <limits>
#include <optional>
#include <string>

#include "settings/values.h"

namespace {

using tarnelle::settings::FormatDecimal32;
using tarnelle::settings::ParseDecimal32;

void Require(bool condition) {
  if (!condition) {
    std::abort();
  }
}

// A plain decimal (an optional minus, then only the digits 0-9) within 32 bits.
std::optional<std::int32_t> Reference(const std::wstring& text) {
  std::size_t first_digit = !text.empty() && text[0] == L'-' ? 1 : 0;
  if (first_digit == text.size()) {
    return std::nullopt;
  }
  for (std::size_t i = first_digit; i < text.size(); ++i) {
    if (text[i] < L'0' || text[i] > L'9') {
      return std::nullopt;
    }
  }
  errno = 0;
  wchar_t* end = nullptr;
  const long long value = std::wcstoll(text.c_str(), &end, 10);
  if (errno == ERANGE || end != text.c_str() + text.size() ||
      value < std::numeric_limits<std::int32_t>::min() || value > std::numeric_limits<std::int32_t>::max()) {
    return std::nullopt;
  }
  return static_cast<std::int32_t>(value);
}

// Bytes to characters; some bytes stand for characters beyond ASCII that look like digits or a
// minus sign, which are not numbers here.
wchar_t Widen(std::uint8_t b) {
  if (b >= 0x80 && b <= 0x89) {
    return static_cast<wchar_t>(0xFF10 + (b - 0x80));  // full-width digits
  }
  if (b >= 0x8A && b <= 0x93) {
    return static_cast<wchar_t>(0x0660 + (b - 0x8A));  // Arabic-Indic digits
  }
  if (b == 0x94) {
    return static_cast<wchar_t>(0x2212);  // minus sign
  }
  return static_cast<wchar_t>(b);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size >= sizeof(std::int32_t)) {
    std::int32_t n = 0;
    std::memcpy(&n, data, sizeof n);
    const std::wstring text = FormatDecimal32(n);
    Require(ParseDecimal32(text) == n);
    Require(Reference(text) == n);
  }

  std::wstring text;
  for (std::size_t i = 0; i < size; ++i) {
    text += Widen(data[i]);
  }
  const std::optional<std::int32_t> parsed = ParseDecimal32(text);
  Require(parsed == Reference(text));
  if (parsed) {
    // What was taken is the canonical form, perhaps with a minus on zero and padding zeros.
    const bool negative = text[0] == L'-';
    std::wstring digits = text.substr(negative ? 1 : 0);
    digits.erase(0, digits.find_first_not_of(L'0'));
    const std::wstring canonical = digits.empty() ? L"0" : (negative ? L"-" : L"") + digits;
    Require(FormatDecimal32(*parsed) == canonical);
    Require(tarnelle::settings::ParseSavedNumber(text) == *parsed);
  } else {
    Require(tarnelle::settings::ParseSavedNumber(text) == 0);
  }
  return 0;
}

// Saved key codes and the remembered window's handle text (ParseHandleText is this parser), which
// anyone may edit in the settings file: only plain decimal digits after an optional minus that fit
// in 32 bits are a number, and every number reads back from the text FormatDecimal32 writes.

#include <algorithm>
#include <cstring>

#include "fuzz.h"
#include "settings/values.h"

using tarnelle::settings::FormatDecimal32;
using tarnelle::settings::ParseDecimal32;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::wstring text = tarnelle::fuzz::WideText(data, size);
  const bool negative = text.starts_with(L'-');
  const std::wstring digits = text.substr(negative ? 1 : 0);
  const bool plain = !digits.empty() && std::all_of(digits.begin(), digits.end(),
                                                    [](wchar_t c) { return c >= L'0' && c <= L'9'; });
  // Digit strings of one length compare as their numbers do.
  const std::wstring significant = digits.substr(std::min(digits.find_first_not_of(L'0'), digits.size()));
  const std::wstring limit = negative ? L"2147483648" : L"2147483647";
  const bool fits =
      significant.size() < limit.size() || (significant.size() == limit.size() && significant <= limit);
  const auto value = ParseDecimal32(text);
  FUZZ_EXPECT(value.has_value() == (plain && fits));
  FUZZ_EXPECT(!value || FormatDecimal32(*value) ==
                            (significant.empty() ? L"0" : (negative ? L"-" : L"") + significant));
  if (size >= 4) {
    std::int32_t number;
    std::memcpy(&number, data, sizeof number);
    FUZZ_EXPECT(ParseDecimal32(FormatDecimal32(number)) == number);
  }
  return 0;
}

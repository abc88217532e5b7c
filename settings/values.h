#pragma once
// Numbers kept as text: saved key codes and remembered window handles. Pure and strict: only
// plain decimal digits with an optional leading minus sign that fit in 32 bits are numbers.
// Also the pure half of finding the INI file: the program's folder and the file's path.

#include <cstddef>
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

// Text that the platform copies into a caller's buffer, such as a module's path: |fill|(buffer,
// size) returns the characters written, 0 on failure, or size (or more) when it had to cut the
// text short. The buffer grows from |first_size| until the text fits or |limit| is reached;
// the result is empty when the text cannot be had whole.
template <typename Fill>
[[nodiscard]] std::wstring ReadGrowingText(Fill fill, std::size_t first_size, std::size_t limit) {
  std::wstring buffer(first_size > 0 ? first_size : 1, L'\0');
  for (;;) {
    const std::size_t n = fill(buffer.data(), buffer.size());
    if (n == 0) {
      return {};
    }
    if (n < buffer.size()) {
      buffer.resize(n);
      return buffer;
    }
    if (buffer.size() >= limit) {
      return {};
    }
    buffer.resize(buffer.size() * 2 < limit ? buffer.size() * 2 : limit);
  }
}

// The folder of the file at |path|, as the platform reports folders: no trailing separator,
// except at a drive's root ("D:\tarnelle.exe" gives "D:\"). Empty when |path| names no folder.
[[nodiscard]] std::wstring FolderOfPath(std::wstring_view path);

// The full path of an INI file |name| in |folder| (as the platform reports a folder: no
// trailing separator, except at a drive's root such as "D:\").
[[nodiscard]] std::wstring JoinIniPath(std::wstring_view folder, std::wstring_view name);

}  // namespace tarnelle::settings

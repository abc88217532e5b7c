#pragma once
// The pure half of finding an INI file: the program's folder and the file's path, as the
// platform reports folders. Pure.

#include <cstddef>
#include <string>
#include <string_view>

namespace tarnelle::settings {

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

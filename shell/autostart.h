#pragma once
// Starting with the user's session: the value "Tarnelle" under the current user's Run key,
// holding the quoted full path of the program.

#include <string>
#include <string_view>

namespace tarnelle::shell {

// Where the value is, as the user would look for it.
inline constexpr wchar_t kRunKeyName[] =
    L"HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";

// Whether the session starts |exe|: the value exists and names this program.
[[nodiscard]] bool StartsWithSession(std::wstring_view exe);

// Writes the value for |exe|, or removes it; false (traced) when the registry refused.
[[nodiscard]] bool SetStartWithSession(std::wstring_view exe, bool on);

}  // namespace tarnelle::shell

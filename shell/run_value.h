#pragma once
// The Run value that starts the program with the user's session: its quoted full path. Pure.

#include <string>
#include <string_view>

namespace tarnelle::shell {

[[nodiscard]] std::wstring RunValueFor(std::wstring_view exe);
// Whether |value| names |exe|, quoted or not, paths compared without regard to case.
[[nodiscard]] bool RunValueNames(std::wstring_view value, std::wstring_view exe);

}  // namespace tarnelle::shell

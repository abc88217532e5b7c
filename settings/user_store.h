#pragma once
// The per-user settings store: text values addressed by application name, section and key,
// kept in the current user's registry under Software\<application>\<section>.

#include <string>
#include <string_view>

#include "settings/ini.h"

namespace tarnelle::settings {

[[nodiscard]] std::wstring ReadUserSetting(std::wstring_view application, std::wstring_view section,
                                           std::wstring_view key, std::wstring_view fallback);

[[nodiscard]] WriteResult WriteUserSetting(std::wstring_view application, std::wstring_view section,
                                           std::wstring_view key, std::wstring_view value);

}  // namespace tarnelle::settings

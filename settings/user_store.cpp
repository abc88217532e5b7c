#include "settings/user_store.h"

#include <windows.h>

#include "win32/unique.h"

namespace tarnelle::settings {
namespace {

// Software\<application>\<section>; empty when either part is missing, since an empty part
// would address a different key.
std::wstring StoreKeyPath(std::wstring_view application, std::wstring_view section) {
  if (application.empty() || section.empty()) {
    return {};
  }
  std::wstring path = L"Software\\";
  path += application;
  path += L'\\';
  path += section;
  return path;
}

}  // namespace

std::wstring ReadUserSetting(std::wstring_view application, std::wstring_view section, std::wstring_view key,
                             std::wstring_view fallback) {
  const std::wstring path = StoreKeyPath(application, section);
  if (path.empty()) {
    return std::wstring(fallback);
  }
  win32::unique_hkey store;
  if (::RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_QUERY_VALUE, store.put()) != ERROR_SUCCESS) {
    return std::wstring(fallback);  // no hotkey saved yet
  }
  const std::wstring name(key);
  std::wstring buffer(64, L'\0');
  // Only what this store writes counts: REG_SZ, with nothing expanded. The value may grow
  // between the calls; a few rounds settle it.
  for (int round = 0; round < 4; ++round) {
    DWORD bytes = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
    const LSTATUS status = ::RegGetValueW(store.get(), nullptr, name.c_str(), RRF_RT_REG_SZ | RRF_NOEXPAND,
                                          nullptr, buffer.data(), &bytes);
    if (status == ERROR_SUCCESS) {
      buffer.resize(bytes / sizeof(wchar_t));
      return std::wstring(buffer.c_str());  // without the terminator, up to the first NUL
    }
    if (status != ERROR_MORE_DATA) {
      return std::wstring(fallback);  // missing, or not a string
    }
    buffer.assign(bytes / sizeof(wchar_t) + 1, L'\0');
  }
  return std::wstring(fallback);
}

WriteResult WriteUserSetting(std::wstring_view application, std::wstring_view section, std::wstring_view key,
                             std::wstring_view value) {
  const std::wstring path = StoreKeyPath(application, section);
  if (path.empty()) {
    return {false, ERROR_INVALID_PARAMETER};
  }
  win32::unique_hkey store;
  LSTATUS status = ::RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                     KEY_SET_VALUE, nullptr, store.put(), nullptr);
  if (status != ERROR_SUCCESS) {
    return {false, static_cast<DWORD>(status)};
  }
  const std::wstring name(key);
  const std::wstring data(value);
  const auto bytes = static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t));
  status = ::RegSetValueExW(store.get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                            bytes);
  if (status != ERROR_SUCCESS) {
    return {false, static_cast<DWORD>(status)};
  }
  return {};
}

}  // namespace tarnelle::settings

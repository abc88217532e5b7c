#include "shell/autostart.h"

#include <windows.h>

#include "shell/run_value.h"
#include "win32/trace.h"
#include "win32/unique.h"

namespace tarnelle::shell {
namespace {

constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr wchar_t kValueName[] = L"Tarnelle";

}  // namespace

bool StartsWithSession(std::wstring_view exe) {
  win32::unique_hkey run;
  if (::RegOpenKeyExW(HKEY_CURRENT_USER, kRunKey, 0, KEY_QUERY_VALUE, run.put()) != ERROR_SUCCESS) {
    return false;
  }
  // A path may be as long as the platform allows, and the value may grow between two reads.
  std::wstring value(MAX_PATH, L'\0');
  for (int tries = 0; tries < 4; ++tries) {
    auto bytes = static_cast<DWORD>(value.size() * sizeof(wchar_t));
    const LSTATUS status =
        ::RegGetValueW(run.get(), nullptr, kValueName, RRF_RT_REG_SZ, nullptr, value.data(), &bytes);
    if (status == ERROR_SUCCESS) {
      value.resize(bytes / sizeof(wchar_t));
      return RunValueNames(value.c_str(), exe);  // up to its terminating NUL
    }
    if (status != ERROR_MORE_DATA) {
      return false;
    }
    value.resize(bytes / sizeof(wchar_t) + 1);
  }
  return false;
}

bool SetStartWithSession(std::wstring_view exe, bool on) {
  win32::unique_hkey run;
  LSTATUS status = ::RegCreateKeyExW(HKEY_CURRENT_USER, kRunKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                     KEY_SET_VALUE, nullptr, run.put(), nullptr);
  if (status == ERROR_SUCCESS) {
    if (on) {
      const std::wstring value = RunValueFor(exe);
      status =
          ::RegSetValueExW(run.get(), kValueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                           static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    } else {
      status = ::RegDeleteValueW(run.get(), kValueName);
      if (status == ERROR_FILE_NOT_FOUND) {
        status = ERROR_SUCCESS;  // nothing to remove is what was asked for
      }
    }
  }
  if (status != ERROR_SUCCESS) {
    win32::TraceError(L"Run value", static_cast<DWORD>(status));
    return false;
  }
  return true;
}

}  // namespace tarnelle::shell

#include "settings/ini.h"

#include <string>

#include "settings/values.h"

namespace tarnelle::settings {
namespace {

std::wstring& CurrentPath() {
  static std::wstring path;
  return path;
}

// The longest path the platform can hand back, NUL included.
constexpr std::size_t kLongestPath = 32768;

std::wstring ExecutableFolder() {
  const std::wstring path = ReadGrowingText(
      [](wchar_t* buffer, std::size_t size) -> std::size_t {
        return ::GetModuleFileNameW(nullptr, buffer, static_cast<DWORD>(size));
      },
      MAX_PATH, kLongestPath);
  return FolderOfPath(path);
}

}  // namespace

void SetINIFile(std::wstring_view name) {
  const std::wstring folder = ExecutableFolder();
  if (folder.empty()) {
    // Without a folder the profile functions would fall back to the Windows folder.
    CurrentPath().clear();
    return;
  }
  CurrentPath() = JoinIniPath(folder, name);
}

const std::wstring& INIPath() {
  return CurrentPath();
}

std::wstring ReadINI(std::wstring_view section, std::wstring_view key, std::wstring_view fallback) {
  const std::wstring& path = CurrentPath();
  if (path.empty()) {
    return std::wstring(fallback);
  }
  const std::wstring section_z(section);
  const std::wstring key_z(key);
  const std::wstring fallback_z(fallback);
  wchar_t buffer[kIniBufferChars] = {};
  const DWORD n = ::GetPrivateProfileStringW(section_z.c_str(), key_z.c_str(), fallback_z.c_str(), buffer,
                                             kIniBufferChars, path.c_str());
  if (n == 0) {
    return {};
  }
  // Up to the first NUL; the last character is kept for the terminator.
  const std::wstring_view text(buffer, kIniBufferChars - 1);
  return std::wstring(text.substr(0, text.find(L'\0')));
}

WriteResult WriteINI(std::wstring_view section, std::wstring_view key, std::wstring_view value) {
  const std::wstring& path = CurrentPath();
  if (path.empty()) {
    // A bare name would send the write into the Windows folder.
    return {false, ERROR_FILE_NOT_FOUND};
  }
  const std::wstring section_z(section);
  const std::wstring key_z(key);
  const std::wstring value_z(value);
  ::SetLastError(ERROR_SUCCESS);
  if (::WritePrivateProfileStringW(section_z.c_str(), key_z.c_str(), value_z.c_str(), path.c_str())) {
    return {};
  }
  const DWORD error = ::GetLastError();
  // Some refusals leave no error code; the caller still has to see one.
  return {false, error != ERROR_SUCCESS ? error : ERROR_WRITE_FAULT};
}

}  // namespace tarnelle::settings

#include "settings/ini.h"

#include <string>

#include "settings/paths.h"

namespace tarnelle::settings {
namespace {

IniFile& ProcessFile() {
  static IniFile file;
  return file;
}

// The longest path the platform can hand back, NUL included.
constexpr std::size_t kLongestPath = 32768;

}  // namespace

std::wstring ThisProgramPath() {
  return ReadGrowingText(
      [](wchar_t* buffer, std::size_t size) -> std::size_t {
        return ::GetModuleFileNameW(nullptr, buffer, static_cast<DWORD>(size));
      },
      MAX_PATH, kLongestPath);
}

IniFile IniFile::InProgramFolder(std::wstring_view name) {
  const std::wstring folder = FolderOfPath(ThisProgramPath());
  if (folder.empty()) {
    return IniFile{};
  }
  return IniFile(JoinIniPath(folder, name));
}

std::wstring IniFile::Read(std::wstring_view section, std::wstring_view key, std::wstring_view fallback,
                           DWORD chars) const {
  if (path_.empty()) {
    return std::wstring(fallback);
  }
  const std::wstring section_z(section);
  const std::wstring key_z(key);
  const std::wstring fallback_z(fallback);
  std::wstring buffer(chars, L'\0');
  // A missing file is no failure here: it reads as the fallback, as the platform answers.
  const DWORD n = ::GetPrivateProfileStringW(section_z.c_str(), key_z.c_str(), fallback_z.c_str(),
                                             buffer.data(), chars, path_.c_str());
  if (n == 0) {
    return {};
  }
  // Up to the first NUL; the last character is kept for the terminator.
  buffer.resize(chars - 1);
  return buffer.substr(0, buffer.find(L'\0'));
}

bool IniFile::HasSection(std::wstring_view section) const {
  if (path_.empty()) {
    return false;
  }
  const std::wstring section_z(section);
  wchar_t keys[4] = {};  // the first letters of the key names are enough to know there are some
  return ::GetPrivateProfileStringW(section_z.c_str(), nullptr, L"", keys, 4, path_.c_str()) > 0;
}

WriteResult IniFile::Write(std::wstring_view section, std::wstring_view key, std::wstring_view value) const {
  if (path_.empty()) {
    // A bare name would send the write into the Windows folder.
    return {false, ERROR_FILE_NOT_FOUND};
  }
  const std::wstring section_z(section);
  const std::wstring key_z(key);
  const std::wstring value_z(value);
  ::SetLastError(ERROR_SUCCESS);
  if (::WritePrivateProfileStringW(section_z.c_str(), key_z.c_str(), value_z.c_str(), path_.c_str())) {
    return {};
  }
  const DWORD error = ::GetLastError();
  // Some refusals leave no error code; the caller still has to see one.
  return {false, error != ERROR_SUCCESS ? error : ERROR_WRITE_FAULT};
}

WriteResult IniFile::WriteSection(std::wstring_view section,
                                  const std::vector<std::pair<std::wstring, std::wstring>>& keys) const {
  if (path_.empty()) {
    return {false, ERROR_FILE_NOT_FOUND};
  }
  // "name=value" after "name=value", each ended by a NUL, and one more NUL at the end.
  std::wstring lines;
  for (const auto& [name, value] : keys) {
    lines += name + L'=' + value + L'\0';
  }
  lines += L'\0';
  const std::wstring section_z(section);
  ::SetLastError(ERROR_SUCCESS);
  if (::WritePrivateProfileSectionW(section_z.c_str(), lines.c_str(), path_.c_str())) {
    return {};
  }
  const DWORD error = ::GetLastError();
  return {false, error != ERROR_SUCCESS ? error : ERROR_WRITE_FAULT};
}

void SetINIFile(std::wstring_view name) {
  ProcessFile() = IniFile::InProgramFolder(name);
}

const std::wstring& INIPath() {
  return ProcessFile().path();
}

std::wstring ReadINI(std::wstring_view section, std::wstring_view key, std::wstring_view fallback) {
  return ProcessFile().Read(section, key, fallback);
}

WriteResult WriteINI(std::wstring_view section, std::wstring_view key, std::wstring_view value) {
  return ProcessFile().Write(section, key, value);
}

}  // namespace tarnelle::settings

#pragma once
// INI files, read and written key by key through the platform's profile functions; this module
// never opens a file itself. An IniFile names its file; the process-wide file of SetINIFile,
// ReadINI and WriteINI is one IniFile that the whole program shares.

#include <windows.h>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tarnelle::settings {

// The characters a read takes at most into its buffer, NUL included.
inline constexpr DWORD kIniBufferChars = 255;

struct WriteResult {
  bool ok = true;
  DWORD error = ERROR_SUCCESS;  // GetLastError when the platform refused the write
};

class IniFile {
 public:
  IniFile() = default;  // no file: reads give their fallback, writes are refused
  explicit IniFile(std::wstring path) : path_(std::move(path)) {}

  // The file |name| in the folder of the running executable; no file when that folder cannot
  // be had, since the profile functions would take a bare name to the Windows folder.
  [[nodiscard]] static IniFile InProgramFolder(std::wstring_view name);

  [[nodiscard]] const std::wstring& path() const noexcept { return path_; }

  // The value; |fallback| when the key, its section or the file is missing; empty for an empty
  // value. At most |chars| - 1 characters.
  [[nodiscard]] std::wstring Read(std::wstring_view section, std::wstring_view key,
                                  std::wstring_view fallback, DWORD chars = kIniBufferChars) const;

  // Whether the file has |section| with at least one key in it.
  [[nodiscard]] bool HasSection(std::wstring_view section) const;

  // Writes one key, creating the file and the section as needed.
  [[nodiscard]] WriteResult Write(std::wstring_view section, std::wstring_view key,
                                  std::wstring_view value) const;

  // Replaces the whole of |section| with |keys| (name and value each), creating it as needed.
  [[nodiscard]] WriteResult WriteSection(
      std::wstring_view section, const std::vector<std::pair<std::wstring, std::wstring>>& keys) const;

 private:
  std::wstring path_;
};

// The full path of the running program; empty when it cannot be had.
[[nodiscard]] std::wstring ThisProgramPath();

// The process-wide file: SetINIFile chooses |name| in the program's folder, and ReadINI and
// WriteINI go to the file chosen last.
void SetINIFile(std::wstring_view name);
// The current INI path; empty until the first SetINIFile.
[[nodiscard]] const std::wstring& INIPath();
[[nodiscard]] std::wstring ReadINI(std::wstring_view section, std::wstring_view key,
                                   std::wstring_view fallback);
[[nodiscard]] WriteResult WriteINI(std::wstring_view section, std::wstring_view key, std::wstring_view value);

}  // namespace tarnelle::settings

#pragma once
// One INI file for the whole process, in the program's folder, read and written key by key
// through the platform's profile functions; this module never opens the file itself.

#include <windows.h>
#include <string>
#include <string_view>

namespace tarnelle::settings {

// The characters ReadINI reads at most into its buffer, NUL included.
inline constexpr DWORD kIniBufferChars = 255;

// Chooses the file |name| in the folder of the running executable.
void SetINIFile(std::wstring_view name);

// The current INI path; empty until the first SetINIFile.
[[nodiscard]] const std::wstring& INIPath();

// The value; |fallback| when the key, its section or the file is missing; empty for an empty
// value. At most kIniBufferChars - 1 characters.
[[nodiscard]] std::wstring ReadINI(std::wstring_view section, std::wstring_view key,
                                   std::wstring_view fallback);

struct WriteResult {
  bool ok = true;
  DWORD error = ERROR_SUCCESS;  // GetLastError when the platform refused the write
};

// Writes one key, creating the file and the section as needed.
WriteResult WriteINI(std::wstring_view section, std::wstring_view key, std::wstring_view value);

}  // namespace tarnelle::settings

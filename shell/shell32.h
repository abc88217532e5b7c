#pragma once
// The two shell calls the program makes, bound at run time from the system folder. Imported
// statically, SHELL32 would bring its own imports (SHLWAPI, SHCORE...) in before the program
// has told the loader to take DLLs from the system folder only, and the loader looks in the
// program's folder first.

#include <windows.h>
#include <shellapi.h>

namespace tarnelle::shell {

// Shell_NotifyIconW; FALSE when SHELL32 cannot be had.
BOOL NotifyIcon(DWORD message, NOTIFYICONDATAW* data) noexcept;

// ShellExecuteW, with COM started on this thread first (the first time); the result is not used
// by anyone, so none is returned.
void Execute(HWND parent, const wchar_t* operation, const wchar_t* file, const wchar_t* parameters,
             const wchar_t* directory, int show) noexcept;

}  // namespace tarnelle::shell

#include "shell/shell32.h"

#include <objbase.h>

#include "win32/com.h"
#include "win32/module.h"
#include "win32/unique.h"

namespace tarnelle::shell {
namespace {

HMODULE Shell32() noexcept {
  static const win32::unique_hmodule module(
      ::LoadLibraryExW(L"shell32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32));
  return module.get();
}

template <typename Function>
Function Bind(const char* name) noexcept {
  return win32::BindFunction<Function>(Shell32(), name);
}

}  // namespace

BOOL NotifyIcon(DWORD message, NOTIFYICONDATAW* data) noexcept {
  static const auto notify = Bind<decltype(&::Shell_NotifyIconW)>("Shell_NotifyIconW");
  return notify != nullptr ? notify(message, data) : FALSE;
}

void Execute(HWND parent, const wchar_t* operation, const wchar_t* file, const wchar_t* parameters,
             const wchar_t* directory, int show) noexcept {
  static const auto execute = Bind<decltype(&::ShellExecuteW)>("ShellExecuteW");
  // The shell may hand the page to a handler it reaches through COM. Started at the first page
  // opened rather than at start, on the window's thread, the one that opens pages; a failure is
  // traced, and the shell then tries without.
  static const win32::ComScope com(COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
  if (execute != nullptr) {
    execute(parent, operation, file, parameters, directory, show);
  }
}

}  // namespace tarnelle::shell

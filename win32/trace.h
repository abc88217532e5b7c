#pragma once
// Failed platform calls, reported to the debugger with the system's own text for the error (in
// the manner of WIL's LOG_LAST_ERROR): the program goes on, and whoever watches sees why.

#include <windows.h>
#include <string_view>
#include <tuple>  // std::ignore, for results ignored on purpose

namespace tarnelle::win32 {

// Reports that |call| failed with |error|: a system error code, an LSTATUS or an HRESULT.
void TraceError(std::wstring_view call, DWORD error) noexcept;

// Reports that |call| failed, with the thread's last error.
void TraceLastError(std::wstring_view call) noexcept;

// For calls that answer with a BOOL and set the last error: reports a failure, returns success.
inline bool Check(BOOL result, std::wstring_view call) noexcept {
  if (result == FALSE) {
    TraceLastError(call);
  }
  return result != FALSE;
}

}  // namespace tarnelle::win32

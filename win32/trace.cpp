#include "win32/trace.h"

#include <cwchar>

namespace tarnelle::win32 {

void TraceError(std::wstring_view call, DWORD error) noexcept {
  wchar_t reason[256] = {};
  const DWORD n = ::FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
                                   0, reason, static_cast<DWORD>(std::size(reason)), nullptr);
  if (n == 0) {
    reason[0] = L'\0';
  }
  // The system's text ends in a line break of its own.
  wchar_t line[512] = {};
  std::swprintf(line, std::size(line), L"tarnelle: %.*ls failed (0x%08lX): %ls%ls",
                static_cast<int>(call.size()), call.data(), static_cast<unsigned long>(error), reason,
                n == 0 ? L"\n" : L"");
  ::OutputDebugStringW(line);
}

void TraceLastError(std::wstring_view call) noexcept {
  TraceError(call, ::GetLastError());
}

}  // namespace tarnelle::win32

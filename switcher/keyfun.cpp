#include "switcher/keyfun.h"

#include <windows.h>
#include <tuple>

namespace tarnelle::switcher::keyfun {
namespace {

// Handles are sign-extended from their 32 significant bits, as the platform does.
HWND ToHwnd(std::int32_t handle) {
  return reinterpret_cast<HWND>(static_cast<std::intptr_t>(handle));
}

}  // namespace

std::int32_t GetForm() {
  return static_cast<std::int32_t>(reinterpret_cast<std::intptr_t>(::GetForegroundWindow()));
}

void ChangeForm(std::int32_t handle) {
  if (handle == 0) {
    return;
  }
  const HWND hwnd = ToHwnd(handle);
  if (::IsIconic(hwnd) == TRUE) {
    if (::GetWindowThreadProcessId(hwnd, nullptr) == ::GetCurrentThreadId()) {
      std::ignore = ::ShowWindow(hwnd, SW_RESTORE);  // answers the old visibility, not success
    } else {
      std::ignore = ::ShowWindowAsync(hwnd, SW_RESTORE);  // a window gone meanwhile: nothing to restore
    }
  }
  // Refused when another program holds the foreground lock; nothing more can be done then.
  std::ignore = ::SetForegroundWindow(hwnd);
}

}  // namespace tarnelle::switcher::keyfun

#pragma once
// COM for the thread, started where the platform asks for it. ole32 is bound at run time from the
// system folder, so that a program that never needs COM never loads it.

#include <windows.h>

#include "win32/unique.h"

namespace tarnelle::win32 {

// COM on this thread for as long as the object lives: CoInitializeEx now, CoUninitialize when
// it goes, if the start succeeded.
class ComScope {
 public:
  explicit ComScope(DWORD model) noexcept;
  ~ComScope();
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;

  [[nodiscard]] HRESULT result() const noexcept { return result_; }

 private:
  unique_hmodule ole32_;
  HRESULT result_ = E_FAIL;
};

}  // namespace tarnelle::win32

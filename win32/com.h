#pragma once
// COM for the thread, and one owner for an interface pointer.

#include <windows.h>
#include <objbase.h>

#include "win32/unique.h"

namespace tarnelle::win32 {

// COM on this thread for as long as the object lives: CoInitializeEx now, CoUninitialize when
// it goes, if the start succeeded.
class ComScope {
 public:
  explicit ComScope(DWORD model) noexcept : result_(::CoInitializeEx(nullptr, model)) {}
  ~ComScope() {
    if (SUCCEEDED(result_)) {
      ::CoUninitialize();
    }
  }
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;

  [[nodiscard]] HRESULT result() const noexcept { return result_; }

 private:
  HRESULT result_;
};

namespace detail {
template <typename Interface>
void ReleaseInterface(Interface* p) noexcept {
  p->Release();
}
}  // namespace detail

template <typename Interface>
using com_ptr = UniqueAny<Interface*, &detail::ReleaseInterface<Interface>>;

}  // namespace tarnelle::win32

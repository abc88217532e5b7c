#include "win32/com.h"

#include <objbase.h>

#include "win32/module.h"
#include "win32/trace.h"

namespace tarnelle::win32 {

ComScope::ComScope(DWORD model) noexcept
    : ole32_(::LoadLibraryExW(L"ole32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32)) {
  const auto initialize = BindFunction<decltype(&::CoInitializeEx)>(ole32_.get(), "CoInitializeEx");
  if (initialize == nullptr) {
    TraceLastError(L"ole32.dll CoInitializeEx");
    return;
  }
  result_ = initialize(nullptr, model);
  if (FAILED(result_)) {
    TraceError(L"CoInitializeEx", static_cast<DWORD>(result_));
  }
}

ComScope::~ComScope() {
  if (SUCCEEDED(result_)) {
    if (const auto uninitialize = BindFunction<decltype(&::CoUninitialize)>(ole32_.get(), "CoUninitialize")) {
      uninitialize();
    }
  }
}

}  // namespace tarnelle::win32

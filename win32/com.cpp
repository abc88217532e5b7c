#include "win32/com.h"

#include <objbase.h>

#include "win32/trace.h"

namespace tarnelle::win32 {
namespace {

template <typename Function>
Function Bind(HMODULE module, const char* name) noexcept {
  // Through a function pointer of no arguments, the one cast between function types that is
  // not suspicious.
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(::GetProcAddress(module, name)));
}

}  // namespace

ComScope::ComScope(DWORD model) noexcept
    : ole32_(::LoadLibraryExW(L"ole32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32)) {
  const auto initialize =
      ole32_ ? Bind<decltype(&::CoInitializeEx)>(ole32_.get(), "CoInitializeEx") : nullptr;
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
    if (const auto uninitialize = Bind<decltype(&::CoUninitialize)>(ole32_.get(), "CoUninitialize")) {
      uninitialize();
    }
  }
}

}  // namespace tarnelle::win32

#pragma once
#include <windows.h>

// The image of whichever module this code is linked into: the program, or a test.
extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace tarnelle::win32 {

inline HINSTANCE ThisModule() noexcept {
  return reinterpret_cast<HINSTANCE>(&__ImageBase);
}

// The function |name| of |module| as a |Function|; null when either is missing.
template <typename Function>
Function BindFunction(HMODULE module, const char* name) noexcept {
  // Through a function pointer of no arguments, the one cast between function types that is
  // not suspicious.
  return module != nullptr
             ? reinterpret_cast<Function>(reinterpret_cast<void (*)()>(::GetProcAddress(module, name)))
             : nullptr;
}

}  // namespace tarnelle::win32

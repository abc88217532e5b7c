#pragma once
#include <windows.h>

// The image of whichever module this code is linked into: the program, or a test.
extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace tarnelle::win32 {

inline HINSTANCE ThisModule() noexcept {
  return reinterpret_cast<HINSTANCE>(&__ImageBase);
}

}  // namespace tarnelle::win32

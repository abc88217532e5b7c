// Loads each DLL named on the command line with a plain LoadLibraryW, as a program that never
// called SetDefaultDllDirectories would, and prints "<name>\t<path it got>" per line. The program
// folder comes first in that search, so a DLL planted there is what such a program gets.

#include <windows.h>

#include <cwchar>

int wmain(int argc, wchar_t** argv) {
  for (int i = 1; i < argc; ++i) {
    wchar_t path[MAX_PATH] = {};
    const HMODULE module = ::LoadLibraryW(argv[i]);
    if (module != nullptr) {
      ::GetModuleFileNameW(module, path, MAX_PATH);
    }
    std::wprintf(L"%ls\t%ls\n", argv[i], module != nullptr ? path : L"(not loaded)");
  }
  return 0;
}

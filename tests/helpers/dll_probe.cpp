// A careless program: loads each DLL named on its command line the plain way, searching its own
// folder first, so the planted DLLs it runs are the ones this platform hands out.

#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  for (int i = 1; i < __argc; ++i) {
    ::LoadLibraryW(__wargv[i]);
  }
  return 0;
}

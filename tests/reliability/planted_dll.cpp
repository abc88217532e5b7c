// Stands in for a DLL someone dropped beside the program under a system DLL's name. Whoever loads
// it runs this code: it leaves an empty file "<this DLL's path>.loaded" as proof, and nothing else.

#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID /*reserved*/) {
  if (reason != DLL_PROCESS_ATTACH) {
    return TRUE;
  }
  wchar_t path[MAX_PATH + 16] = {};
  const DWORD n = ::GetModuleFileNameW(self, path, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) {
    return TRUE;
  }
  ::lstrcpyW(path + n, L".loaded");
  const HANDLE marker = ::CreateFileW(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
  if (marker != INVALID_HANDLE_VALUE) {
    ::CloseHandle(marker);
  }
  return TRUE;
}

// Stands in for a DLL someone dropped beside a program under a system DLL's name: whoever loads it
// runs this, which leaves an empty "<its own path>.loaded" as proof.

#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
  wchar_t path[MAX_PATH + 8]{};
  const DWORD n = ::GetModuleFileNameW(self, path, MAX_PATH);
  if (reason == DLL_PROCESS_ATTACH && n > 0 && n < MAX_PATH) {
    ::lstrcpyW(path + n, L".loaded");
    ::CloseHandle(::CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  }
  return TRUE;
}

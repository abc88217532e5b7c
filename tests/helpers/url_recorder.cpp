// Stands in for the user's browser: appends the address it is asked to open to urls.txt beside
// itself, a line per call.

#include <windows.h>

#include <cstdio>
#include <string>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR url, int) {
  wchar_t self[MAX_PATH]{};
  const std::wstring path(self, ::GetModuleFileNameW(nullptr, self, MAX_PATH));
  FILE* log = _wfopen((path.substr(0, path.find_last_of(L'\\') + 1) + L"urls.txt").c_str(), L"ab");
  return log != nullptr && std::fprintf(log, "%ls\n", url) > 0 && std::fclose(log) == 0 ? 0 : 1;
}

// Stands in for the user's browser: appends the address it is asked to open to urls.txt beside
// itself, a line per call.

#include <windows.h>

#include <cstdio>
#include <share.h>
#include <string>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR url, int) {
  wchar_t self[MAX_PATH]{};
  const std::wstring path(self, ::GetModuleFileNameW(nullptr, self, MAX_PATH));
  const std::wstring file = path.substr(0, path.find_last_of(L'\\') + 1) + L"urls.txt";
  // Pages asked for at once start recorders at once: each waits its turn, so none overwrites another.
  FILE* log = nullptr;
  for (int tries = 0; (log = _wfsopen(file.c_str(), L"ab", _SH_DENYRW)) == nullptr && tries < 2000; ++tries) {
    ::Sleep(5);
  }
  return log != nullptr && std::fprintf(log, "%ls\n", url) > 0 && std::fclose(log) == 0 ? 0 : 1;
}

// Stands in for the user's browser: appends the address it is asked to open to urls.txt beside
// itself, a line per call; appends are whole, so calls at once do not mix their lines.

#include <windows.h>

#include <string>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR url, int) {
  wchar_t self[MAX_PATH]{};
  std::wstring log(self, ::GetModuleFileNameW(nullptr, self, MAX_PATH));
  log = log.substr(0, log.find_last_of(L'\\') + 1) + L"urls.txt";
  const std::string line = std::string(url, url + std::wcslen(url)) + "\n";  // addresses are ASCII
  const HANDLE file = ::CreateFileW(log.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_ALWAYS, 0, nullptr);
  DWORD written = 0;
  const BOOL ok = ::WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  ::CloseHandle(file);
  return ok ? 0 : 1;
}

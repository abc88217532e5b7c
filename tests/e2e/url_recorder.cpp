// Stands in for the user's web browser: appends the address it was asked to open, one line
// per call (UTF-8), to the file named by TARNELLE_URL_LOG, or to "urls.txt" beside itself.
// The log is opened for appending under a share lock, so calls that overlap do not mix lines.

#include <windows.h>
#include <shellapi.h>

#include <string>

namespace {

std::wstring LogPath() {
  wchar_t buffer[MAX_PATH]{};
  const DWORD n = ::GetEnvironmentVariableW(L"TARNELLE_URL_LOG", buffer, MAX_PATH);
  if (n > 0 && n < MAX_PATH) {
    return buffer;
  }
  std::wstring self(MAX_PATH, L'\0');
  self.resize(::GetModuleFileNameW(nullptr, self.data(), MAX_PATH));
  const auto slash = self.find_last_of(L"\\/");
  return (slash == std::wstring::npos ? std::wstring() : self.substr(0, slash + 1)) + L"urls.txt";
}

std::string Utf8(const std::wstring& text) {
  const int n = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                      nullptr, nullptr);
  std::string out(static_cast<std::size_t>(n), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr,
                        nullptr);
  return out;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  // Only the arguments: the program's own name differs from caller to caller.
  int argc = 0;
  wchar_t** argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
  std::wstring line;
  for (int i = 1; argv != nullptr && i < argc; ++i) {
    if (!line.empty()) {
      line += L' ';
    }
    line += argv[i];
  }
  ::LocalFree(argv);
  const std::string bytes = Utf8(line) + "\n";

  const std::wstring path = LogPath();
  HANDLE file = INVALID_HANDLE_VALUE;
  // Another call may hold the file for a moment; wait for it rather than lose a line.
  for (int attempt = 0; attempt < 200 && file == INVALID_HANDLE_VALUE; ++attempt) {
    file = ::CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
      ::Sleep(10);
    }
  }
  if (file == INVALID_HANDLE_VALUE) {
    return 1;
  }
  DWORD written = 0;
  const BOOL ok = ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  ::CloseHandle(file);
  return ok && written == bytes.size() ? 0 : 1;
}

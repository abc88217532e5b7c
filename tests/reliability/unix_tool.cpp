// Starts the host (Unix) program named on its command line, as Wine does for a file that is not a
// Windows program, and ends. The suite goes through it to change a file's Unix attributes: a Wine
// process that forks a host program itself loses its view of the display afterwards (Wine 8), so
// the fork happens here, in a process that ends at once.
//
//   rel_unix_tool.exe /usr/bin/chattr +i /path/of/the/file

#include <windows.h>

#include <string>

int wmain() {
  // Everything after this program's own name, as it was given.
  const wchar_t* rest = ::GetCommandLineW();
  const bool quoted = *rest == L'"';
  if (quoted) {
    ++rest;
  }
  while (*rest != L'\0' && (quoted ? *rest != L'"' : *rest != L' ')) {
    ++rest;
  }
  if (*rest == L'"') {
    ++rest;
  }
  while (*rest == L' ') {
    ++rest;
  }
  if (*rest == L'\0') {
    return 2;
  }
  std::wstring command(rest);
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info{};
  if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &info)) {
    return 1;
  }
  // Wine gives no handles for a host program; close whatever came back.
  if (info.hThread != nullptr) {
    ::CloseHandle(info.hThread);
  }
  if (info.hProcess != nullptr) {
    ::CloseHandle(info.hProcess);
  }
  return 0;
}

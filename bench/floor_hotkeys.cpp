// The memory floor: the least a program can do to hold what tarnelle.exe holds all day, its
// hotkeys, with no window to show and no icon: one message-only window carrying the hotkeys, and
// a press only noting the window in front.
//
//   floor_hotkeys.exe [--slot N:MODS:VK]...      (as floor.exe)

#include <windows.h>

#include <cwchar>

namespace {

HWND g_remembered = nullptr;

LRESULT CALLBACK HotkeyProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_HOTKEY) {
    g_remembered = ::GetForegroundWindow();
    return 0;
  }
  return ::DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = &HotkeyProc;
  wc.hInstance = instance;
  wc.lpszClassName = L"TarnelleBench.HotkeyFloor";
  ::RegisterClassExW(&wc);
  const HWND window =
      ::CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, nullptr);
  for (int i = 1; i + 1 < __argc; i += 2) {
    wchar_t* end = __wargv[i + 1];
    const int n = static_cast<int>(std::wcstol(end, &end, 10));
    const auto mods = static_cast<UINT>(std::wcstoul(end + (*end == L':'), &end, 10));
    const auto vk = static_cast<UINT>(std::wcstoul(end + (*end == L':'), &end, 10));
    if (std::wcscmp(__wargv[i], L"--slot") != 0 || *end != L'\0' || n < 1 || n > 10) {
      return 2;
    }
    ::RegisterHotKey(window, n, mods, vk);
  }
  MSG msg;
  while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
    ::DispatchMessageW(&msg);
  }
  return 0;
}

// A plain window of its own process, titled by the command line, for the tests to remember and
// bring back. WM_APP makes its thread stop answering anything for wParam milliseconds, or until
// the process is ended. Started with no title, as a program that was not running is started, it
// takes a moment to show its window, as programs do. Titled "--core", its window is of the class a
// store app draws in, to be set into another program's frame.

#include <windows.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  if (__argc < 2) {
    ::Sleep(1000);
  }
  const bool core = __argc > 1 && ::lstrcmpW(__wargv[1], L"--core") == 0;
  WNDCLASSW core_class{};
  core_class.lpfnWndProc = &::DefWindowProcW;
  core_class.hInstance = instance;
  core_class.lpszClassName = L"Windows.UI.Core.CoreWindow";
  if (core && ::RegisterClassW(&core_class) == 0) {
    return 1;
  }
  ::CreateWindowExW(0, core ? core_class.lpszClassName : L"Static", __argc > 1 ? __wargv[1] : L"",
                    WS_OVERLAPPEDWINDOW | WS_VISIBLE | SS_NOTIFY, 20, 420, 220, 150, nullptr, nullptr,
                    instance, nullptr);
  MSG msg;
  while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (msg.message == WM_APP) {
      ::Sleep(msg.wParam != 0 ? static_cast<DWORD>(msg.wParam) : INFINITE);
    }
    // A hotkey with Alt held over it must not open its system menu.
    if (msg.message != WM_SYSKEYDOWN && msg.message != WM_SYSKEYUP && msg.message != WM_SYSCHAR) {
      ::DispatchMessageW(&msg);
    }
  }
  return 0;
}

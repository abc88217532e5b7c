// A plain window of its own process, titled by the command line, for the tests to remember and
// bring back. WM_APP makes its thread stop answering anything until the process is ended.

#include <windows.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  ::CreateWindowExW(0, L"Static", __argc > 1 ? __wargv[1] : L"", WS_OVERLAPPEDWINDOW | WS_VISIBLE | SS_NOTIFY,
                    20, 420, 220, 150, nullptr, nullptr, instance, nullptr);
  MSG msg;
  while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (msg.message == WM_APP) {
      ::Sleep(INFINITE);
    }
    // A hotkey with Alt held over it must not open its system menu.
    if (msg.message != WM_SYSKEYDOWN && msg.message != WM_SYSKEYUP && msg.message != WM_SYSCHAR) {
      ::DispatchMessageW(&msg);
    }
  }
  return 0;
}

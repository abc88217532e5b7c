// A plain window of its own process, titled by the command line, for the tests to remember and
// bring back. WM_APP makes its thread stop answering anything until the process is ended.

#include <windows.h>

#include <string>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR command_line, int) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = [](HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) -> LRESULT {
    if (msg == WM_APP) {
      ::Sleep(INFINITE);
    } else if (msg == WM_DESTROY) {
      ::PostQuitMessage(0);
    }
    // A hotkey with Alt held over it must not open its system menu.
    const bool menu_key = msg == WM_SYSKEYDOWN || msg == WM_SYSKEYUP || msg == WM_SYSCHAR;
    return menu_key ? 0 : ::DefWindowProcW(hwnd, msg, wp, lp);
  };
  wc.hInstance = instance;
  wc.hbrBackground = ::GetSysColorBrush(COLOR_WINDOW);
  wc.lpszClassName = L"TarnelleTarget";
  ::RegisterClassExW(&wc);
  const std::wstring title(command_line);
  ::CreateWindowExW(0, wc.lpszClassName, title.substr(1, title.size() - 2).c_str(),
                    WS_OVERLAPPEDWINDOW | WS_VISIBLE, 20, 420, 220, 150, nullptr, nullptr, instance, nullptr);
  MSG msg;
  while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
    ::DispatchMessageW(&msg);
  }
  return 0;
}

// The floor: the least a Win32 program can do to offer what tarnelle.exe offers, so that the
// benchmark can tell the platform's own cost from ours. It makes one window (with the hidden
// owner that keeps it off the taskbar) and one notification-area icon; each hotkey press does
// only the platform calls of a store or a switch.
//
//   floor.exe [--slot N:MODS:VK]...
//
// N is the slot (1 to 10), MODS the hotkey modifier mask, VK the virtual key. The hotkeys live on
// the main window: its hidden EDIT 300+N holds slot N's stored window as signed decimal text, as
// Tarnelle's slot texts do, and WM_APP+2 with wParam 0 (store) or 1 (switch) sets the mode, as the
// option buttons do.

#include <windows.h>
#include <shellapi.h>

#include <cstdint>
#include <cwchar>

namespace {

constexpr int kSlots = 10;

struct Slot {
  HWND remembered = nullptr;
  HWND text = nullptr;
};

Slot g_slots[kSlots + 1];
bool g_change_mode = false;
NOTIFYICONDATAW g_tray{};

LRESULT CALLBACK MainProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  const auto n = static_cast<int>(wp);
  if (msg == WM_HOTKEY && n >= 1 && n <= kSlots && !g_change_mode) {
    Slot& s = g_slots[n];
    s.remembered = ::GetForegroundWindow();
    wchar_t digits[16];  // signed decimal, as Tarnelle writes a handle
    std::swprintf(digits, 16, L"%d", static_cast<int>(reinterpret_cast<std::intptr_t>(s.remembered)));
    ::SetWindowTextW(s.text, digits);
  } else if (msg == WM_HOTKEY && n >= 1 && n <= kSlots && g_slots[n].remembered != nullptr) {
    if (::IsIconic(g_slots[n].remembered) == TRUE) {
      ::ShowWindow(g_slots[n].remembered, SW_RESTORE);
    }
    ::SetForegroundWindow(g_slots[n].remembered);
  } else if (msg == WM_APP + 2) {
    g_change_mode = wp != 0;
  } else if (msg == WM_CLOSE) {
    ::Shell_NotifyIconW(NIM_DELETE, &g_tray);
  } else if (msg == WM_DESTROY) {
    ::PostQuitMessage(0);
  }
  return msg == WM_HOTKEY || msg == WM_APP + 2 ? 0 : ::DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = &MainProc;
  wc.hInstance = instance;
  wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = ::GetSysColorBrush(COLOR_BTNFACE);
  wc.lpszClassName = L"TarnelleBench.Floor";
  ::RegisterClassExW(&wc);
  // Tarnelle's size, centred; an owned tool window gets no taskbar button from any shell.
  const HWND owner = ::CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"", WS_POPUP, 0, 0, 0, 0, nullptr,
                                       nullptr, instance, nullptr);
  const HWND main = ::CreateWindowExW(
      WS_EX_TOOLWINDOW, wc.lpszClassName, L"floor", WS_POPUP, (::GetSystemMetrics(SM_CXSCREEN) - 483) / 2,
      (::GetSystemMetrics(SM_CYSCREEN) - 303) / 2, 483, 303, owner, nullptr, instance, nullptr);
  for (int i = 1; i + 1 < __argc; i += 2) {
    wchar_t* end = __wargv[i + 1];
    const int n = static_cast<int>(std::wcstol(end, &end, 10));
    const auto mods = static_cast<UINT>(std::wcstoul(end + (*end == L':'), &end, 10));
    const auto vk = static_cast<UINT>(std::wcstoul(end + (*end == L':'), &end, 10));
    if (std::wcscmp(__wargv[i], L"--slot") != 0 || *end != L'\0' || n < 1 || n > kSlots) {
      return 2;
    }
    g_slots[n].text =
        ::CreateWindowExW(0, L"EDIT", L"", WS_CHILD, 0, 0, 0, 0, main,
                          reinterpret_cast<HMENU>(static_cast<INT_PTR>(300 + n)), instance, nullptr);
    ::RegisterHotKey(main, n, mods, vk);  // a refused one shows as a slot that never answers
  }
  g_tray.cbSize = NOTIFYICONDATAW_V1_SIZE;
  g_tray.hWnd = main;
  g_tray.uID = 1;
  g_tray.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  g_tray.uCallbackMessage = WM_APP + 1;
  g_tray.hIcon = ::LoadIconW(instance, MAKEINTRESOURCEW(1));
  ::Shell_NotifyIconW(NIM_ADD, &g_tray);
  ::ShowWindow(main, SW_SHOW);
  ::UpdateWindow(main);
  MSG msg;
  while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
    ::DispatchMessageW(&msg);
  }
  return 0;
}

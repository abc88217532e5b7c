// The floor: the least a Win32 program can do to offer what tarnelle.exe offers, so that the
// benchmark can tell the platform's own cost from ours. At start it makes one window (with the
// hidden owner that keeps it off the taskbar) and one notification-area icon; each hotkey press
// does only the platform calls of a store or a switch.
//
//   floor.exe [--mode get|change] [--slot N:MODS:VK[:HANDLE]]...
//
// N is the slot (1 to 10), MODS the hotkey modifier mask (1 Alt, 2 Ctrl, 4 Shift, 8 Win), VK the
// virtual key, HANDLE an optional window to bring forward (signed decimal). Numbers may be given
// in hex with 0x.
//
// The driver finds the hotkey window as a message-only window of class "TarnelleBench.Floor":
// EDIT 300+N holds slot N's stored window as signed decimal text, as Tarnelle's TextN does. A
// posted WM_APP+2 with wParam 0 (store) or 1 (switch) changes the mode, as the option buttons do.

#include <windows.h>
#include <shellapi.h>
#include <cwchar>
#include <cstdint>

namespace {

constexpr wchar_t kHotkeyClass[] = L"TarnelleBench.Floor";
constexpr wchar_t kMainClass[] = L"TarnelleBench.FloorMain";
constexpr int kSlots = 10;
constexpr int kTextId = 300;
constexpr UINT kTrayMessage = WM_APP + 1;
constexpr UINT kSetMode = WM_APP + 2;
constexpr int kClientWidth = 483;
constexpr int kClientHeight = 303;

struct Slot {
  bool used = false;
  UINT mods = 0;
  UINT vk = 0;
  HWND remembered = nullptr;
  HWND text = nullptr;
};

Slot g_slots[kSlots + 1];
bool g_change_mode = false;
NOTIFYICONDATAW g_tray{};

// Handles are sign-extended from their 32 significant bits.
HWND HandleFrom(std::int32_t value) {
  return reinterpret_cast<HWND>(static_cast<std::intptr_t>(value));
}

void WriteHandle(HWND edit, HWND handle) {
  const auto value = static_cast<std::int32_t>(reinterpret_cast<std::intptr_t>(handle));
  wchar_t digits[16];
  std::swprintf(digits, 16, L"%d", static_cast<int>(value));
  ::SetWindowTextW(edit, digits);
}

LRESULT CALLBACK HotkeyProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_HOTKEY) {
    const auto n = static_cast<int>(wp);
    if (n < 1 || n > kSlots || !g_slots[n].used) {
      return 0;
    }
    Slot& s = g_slots[n];
    if (!g_change_mode) {
      s.remembered = ::GetForegroundWindow();
      WriteHandle(s.text, s.remembered);
    } else if (s.remembered != nullptr) {
      if (::IsIconic(s.remembered) == TRUE) {
        ::ShowWindow(s.remembered, SW_RESTORE);
      }
      ::SetForegroundWindow(s.remembered);
    }
    return 0;
  }
  if (msg == kSetMode) {
    g_change_mode = wp != 0;
    return 0;
  }
  return ::DefWindowProcW(hwnd, msg, wp, lp);
}

LRESULT CALLBACK MainProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_CLOSE:
      ::Shell_NotifyIconW(NIM_DELETE, &g_tray);
      ::DestroyWindow(hwnd);
      return 0;
    case WM_DESTROY:
      ::PostQuitMessage(0);
      return 0;
    default:
      return ::DefWindowProcW(hwnd, msg, wp, lp);
  }
}

bool ParseNumber(const wchar_t* text, const wchar_t** end, long long* out) {
  wchar_t* stop = nullptr;
  *out = std::wcstoll(text, &stop, 0);
  *end = stop;
  return stop != text;
}

// N:MODS:VK[:HANDLE]
bool ParseSlot(const wchar_t* text) {
  long long n = 0;
  long long mods = 0;
  long long vk = 0;
  long long handle = 0;
  const wchar_t* p = text;
  if (!ParseNumber(p, &p, &n) || *p != L':' || !ParseNumber(p + 1, &p, &mods) || *p != L':' ||
      !ParseNumber(p + 1, &p, &vk)) {
    return false;
  }
  if (*p == L':' && !ParseNumber(p + 1, &p, &handle)) {
    return false;
  }
  if (*p != L'\0' || n < 1 || n > kSlots) {
    return false;
  }
  Slot& s = g_slots[n];
  s.used = true;
  s.mods = static_cast<UINT>(mods);
  s.vk = static_cast<UINT>(vk);
  s.remembered = HandleFrom(static_cast<std::int32_t>(handle));
  return true;
}

bool ParseCommandLine() {
  int argc = 0;
  LPWSTR* argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
  if (argv == nullptr) {
    return false;
  }
  bool ok = true;
  for (int i = 1; i < argc && ok; ++i) {
    const bool has_value = i + 1 < argc;
    if (std::wcscmp(argv[i], L"--mode") == 0 && has_value) {
      const wchar_t* mode = argv[++i];
      ok = std::wcscmp(mode, L"get") == 0 || std::wcscmp(mode, L"change") == 0;
      g_change_mode = std::wcscmp(mode, L"change") == 0;
    } else if (std::wcscmp(argv[i], L"--slot") == 0 && has_value) {
      ok = ParseSlot(argv[++i]);
    } else {
      ok = false;
    }
  }
  ::LocalFree(argv);
  return ok;
}

HWND CreateHotkeyWindow(HINSTANCE inst) {
  bool any = false;
  for (int n = 1; n <= kSlots; ++n) {
    any = any || g_slots[n].used;
  }
  if (!any) {
    return nullptr;  // a start-up run: nothing but the window and the icon
  }
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = &HotkeyProc;
  wc.hInstance = inst;
  wc.lpszClassName = kHotkeyClass;
  ::RegisterClassExW(&wc);
  const HWND hwnd =
      ::CreateWindowExW(0, kHotkeyClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, inst, nullptr);
  for (int n = 1; n <= kSlots; ++n) {
    Slot& s = g_slots[n];
    if (!s.used) {
      continue;
    }
    s.text = ::CreateWindowExW(0, L"EDIT", L"", WS_CHILD, 0, 0, 0, 0, hwnd,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(kTextId + n)), inst, nullptr);
    if (s.remembered != nullptr) {
      WriteHandle(s.text, s.remembered);
    }
    // A refused hotkey shows as a slot that never answers; the driver reports it.
    ::RegisterHotKey(hwnd, n, s.mods, s.vk);
  }
  return hwnd;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE inst, HINSTANCE, PWSTR, int) {
  if (!ParseCommandLine()) {
    return 2;
  }
  CreateHotkeyWindow(inst);

  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = &MainProc;
  wc.hInstance = inst;
  wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
  wc.lpszClassName = kMainClass;
  ::RegisterClassExW(&wc);
  const int x = (::GetSystemMetrics(SM_CXSCREEN) - kClientWidth) / 2;
  const int y = (::GetSystemMetrics(SM_CYSCREEN) - kClientHeight) / 2;
  // Like tarnelle.exe's window it has no taskbar button: an owned tool window gets none from any
  // shell, Wine's included, which ignores WS_EX_TOOLWINDOW alone.
  const HWND owner = ::CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"", WS_POPUP, 0, 0, 0, 0, nullptr,
                                       nullptr, inst, nullptr);
  const HWND main = ::CreateWindowExW(WS_EX_TOOLWINDOW, kMainClass, L"floor", WS_POPUP, x, y, kClientWidth,
                                      kClientHeight, owner, nullptr, inst, nullptr);
  if (main == nullptr) {
    return 1;
  }

  g_tray.cbSize = NOTIFYICONDATAW_V1_SIZE;
  g_tray.hWnd = main;
  g_tray.uID = 1;
  g_tray.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  g_tray.uCallbackMessage = kTrayMessage;
  g_tray.hIcon = ::LoadIconW(inst, MAKEINTRESOURCEW(1));
  ::Shell_NotifyIconW(NIM_ADD, &g_tray);
  ::ShowWindow(main, SW_SHOW);
  ::UpdateWindow(main);

  MSG msg;
  while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
    ::DispatchMessageW(&msg);
  }
  return 0;
}

// The floor: the least code that shows what tarnelle.exe shows, so that the benchmark can tell
// the platform's own cost of this design from ours. One borderless tool window of Tarnelle's size
// and caption, centred, with the hidden owner that keeps it off the taskbar, under the program's
// own manifest (common controls 6, per-monitor DPI); in it the designed controls, of the same
// kinds and number, at their designed places and in the designed fonts: the title strip with its
// title and three pictures, the two option buttons, ten coloured hotkey boxes, ten checkboxes,
// ten slot texts outside the client area, the link label; and the icon in the notification
// area. No class of the program is used; each hotkey press does only the platform calls of a
// store or a switch.
//
//   floor.exe [--slot N:MODS:VK]...
//
// N is the slot (1 to 10), MODS the hotkey modifier mask, VK the virtual key. The hotkeys live on
// the main window: its EDIT 300+N (slot N's text, outside the window as Tarnelle's are) holds the
// stored window as signed decimal text, and WM_APP+2 with wParam 0 (store) or 1 (switch) sets the
// mode, as the option buttons do.

#include <windows.h>
#include <shellapi.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <utility>

#include "app/resource.h"
#include "switcher/design.h"
#include "win32/units.h"

namespace {

namespace design = tarnelle::switcher::design;

constexpr int kSlots = design::kSlotCount;
constexpr int kIdCheck = 100;  // + slot
constexpr int kIdBox = 200;    // + slot
constexpr int kIdText = 300;   // + slot
constexpr int kIdModeGet = 400;
constexpr int kIdModeChange = 401;
constexpr int kIdLinkLabel = 402;
constexpr int kIdStrip = 403;
constexpr int kIdPictures = 404;   // the logo, hide and close pictures: 404 to 406
constexpr int kIdHideImage = 405;  // the one picture stretched to its place

HWND g_remembered[kSlots + 1];
HWND g_text[kSlots + 1];
bool g_change_mode = false;
NOTIFYICONDATAW g_tray{};
HBRUSH g_strip_brush = nullptr;
HBRUSH g_box_brush[2] = {};  // even and odd slots
UINT g_dpi = USER_DEFAULT_SCREEN_DPI;

RECT Pixels(const design::Twips& t) {
  const auto px = [](int twips) { return tarnelle::units::TwipsToPixels(twips, static_cast<int>(g_dpi)); };
  return RECT{px(t.left), px(t.top), px(t.left) + px(t.width), px(t.top) + px(t.height)};
}

HWND Child(const wchar_t* cls, const wchar_t* text, DWORD style, DWORD ex_style, HWND parent, int id,
           const design::Twips& where, HFONT font) {
  const RECT r = Pixels(where);
  const HWND h = ::CreateWindowExW(ex_style, cls, text, WS_CHILD | WS_VISIBLE | style, r.left, r.top,
                                   r.right - r.left, r.bottom - r.top, parent,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
  if (font != nullptr) {
    ::SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  }
  return h;
}

HFONT Font(const wchar_t* face, int points, LONG weight, BYTE charset) {
  LOGFONTW lf{};
  lf.lfHeight = -::MulDiv(points, static_cast<int>(g_dpi), 72);
  lf.lfWeight = weight;
  lf.lfCharSet = charset;
  lf.lfQuality = CLEARTYPE_QUALITY;
  std::wcscpy(lf.lfFaceName, face);
  return ::CreateFontIndirectW(&lf);
}

// A picture resource: a 32-bit bitmap file with premultiplied alpha, copied into a DIB section.
HBITMAP LoadPicture(int id) {
  const HRSRC found = ::FindResourceW(nullptr, MAKEINTRESOURCEW(id), RT_RCDATA);
  const auto* file = static_cast<const BYTE*>(::LockResource(::LoadResource(nullptr, found)));
  if (file == nullptr) {
    return nullptr;
  }
  BITMAPFILEHEADER head;
  BITMAPINFO info{};
  std::memcpy(&head, file, sizeof(head));
  std::memcpy(&info.bmiHeader, file + sizeof(head), sizeof(info.bmiHeader));
  void* bits = nullptr;
  const HBITMAP bitmap = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (bits != nullptr) {
    std::memcpy(bits, file + head.bfOffBits,
                static_cast<std::size_t>(info.bmiHeader.biWidth) *
                    static_cast<std::size_t>(std::abs(info.bmiHeader.biHeight)) * 4);
  }
  return bitmap;
}

// The title strip and its pictures: the strip's colour behind, a picture (if any) blended over it.
LRESULT CALLBACK StripProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  const auto picture = reinterpret_cast<HBITMAP>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (msg == WM_CTLCOLORSTATIC) {  // the title
    ::SetTextColor(reinterpret_cast<HDC>(wp), design::kTitleColor);
    ::SetBkMode(reinterpret_cast<HDC>(wp), TRANSPARENT);
    return reinterpret_cast<LRESULT>(g_strip_brush);
  }
  if (msg != WM_PAINT || picture == nullptr) {
    return ::DefWindowProcW(hwnd, msg, wp, lp);
  }
  PAINTSTRUCT ps;
  const HDC dc = ::BeginPaint(hwnd, &ps);
  RECT r;
  ::GetClientRect(hwnd, &r);
  BITMAP b;
  ::GetObjectW(picture, sizeof(b), &b);
  const bool stretch = ::GetDlgCtrlID(hwnd) == kIdHideImage;
  const HDC source = ::CreateCompatibleDC(dc);
  const HGDIOBJ old = ::SelectObject(source, picture);
  ::GdiAlphaBlend(dc, 0, 0, stretch ? r.right : b.bmWidth, stretch ? r.bottom : b.bmHeight, source, 0, 0,
                  b.bmWidth, b.bmHeight, BLENDFUNCTION{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA});
  ::SelectObject(source, old);
  ::DeleteDC(source);
  ::EndPaint(hwnd, &ps);
  return 0;
}

LRESULT CALLBACK MainProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  const auto n = static_cast<int>(wp);
  if (msg == WM_HOTKEY && n >= 1 && n <= kSlots && !g_change_mode) {
    g_remembered[n] = ::GetForegroundWindow();
    wchar_t digits[16];  // signed decimal, as Tarnelle writes a handle
    std::swprintf(digits, 16, L"%d", static_cast<int>(reinterpret_cast<std::intptr_t>(g_remembered[n])));
    ::SetWindowTextW(g_text[n], digits);
  } else if (msg == WM_HOTKEY && n >= 1 && n <= kSlots && g_remembered[n] != nullptr) {
    if (::IsIconic(g_remembered[n]) == TRUE) {
      ::ShowWindow(g_remembered[n], SW_RESTORE);
    }
    ::SetForegroundWindow(g_remembered[n]);
  } else if (msg == WM_APP + 2) {
    g_change_mode = wp != 0;
  } else if (msg == WM_CTLCOLOREDIT) {
    const int id = ::GetDlgCtrlID(reinterpret_cast<HWND>(lp));
    if (id > kIdBox && id <= kIdBox + kSlots) {  // a hotkey box in its slot's colour
      ::SetBkColor(reinterpret_cast<HDC>(wp), design::Slot(id - kIdBox).box_color);
      return reinterpret_cast<LRESULT>(g_box_brush[(id - kIdBox) % 2]);
    }
  } else if (msg == WM_CTLCOLORSTATIC && ::GetDlgCtrlID(reinterpret_cast<HWND>(lp)) == kIdLinkLabel) {
    ::SetTextColor(reinterpret_cast<HDC>(wp), design::kLinkColor);
    ::SetBkColor(reinterpret_cast<HDC>(wp), ::GetSysColor(COLOR_BTNFACE));
    return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_BTNFACE));
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
  g_strip_brush = ::CreateSolidBrush(design::kStripColor);
  wc.lpfnWndProc = &StripProc;
  wc.hbrBackground = g_strip_brush;
  wc.lpszClassName = L"TarnelleBench.Strip";
  ::RegisterClassExW(&wc);
  g_box_brush[0] = ::CreateSolidBrush(design::kEvenBoxColor);
  g_box_brush[1] = ::CreateSolidBrush(design::kOddBoxColor);

  // Tarnelle's size and caption, centred; an owned tool window gets no taskbar button.
  g_dpi = ::GetDpiForSystem();
  const RECT size = Pixels(design::kClient);
  const HWND owner = ::CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"", WS_POPUP, 0, 0, 0, 0, nullptr,
                                       nullptr, instance, nullptr);
  const HWND main = ::CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_CONTROLPARENT, L"TarnelleBench.Floor",
                                      L"\u8bbe\u7f6e" /* 设置 */, WS_POPUP | WS_CLIPCHILDREN,
                                      (::GetSystemMetrics(SM_CXSCREEN) - size.right) / 2,
                                      (::GetSystemMetrics(SM_CYSCREEN) - size.bottom) / 2, size.right,
                                      size.bottom, owner, nullptr, instance, nullptr);
  g_dpi = ::GetDpiForWindow(main);
  const HFONT form = Font(L"\u5fae\u8f6f\u96c5\u9ed1" /* 微软雅黑 */, 9, FW_NORMAL, GB2312_CHARSET);
  const HFONT text = Font(L"\u5b8b\u4f53" /* 宋体 */, 9, FW_NORMAL, GB2312_CHARSET);
  const HFONT title = Font(L"\u5fae\u8f6f\u96c5\u9ed1", 12, FW_BOLD, ANSI_CHARSET);

  // In the designed focus order, which is also the z-order.
  for (const design::TabStop& stop : design::TabOrder()) {
    const design::SlotDesign d = design::Slot(stop.slot == 0 ? 1 : stop.slot);  // a slot's places
    switch (stop.control) {
      case design::Control::kChkCheck: {
        wchar_t check[16];
        std::swprintf(check, 16, L"Start Hotkey %d", stop.slot);
        Child(L"BUTTON", check, WS_TABSTOP | BS_AUTOCHECKBOX, 0, main, kIdCheck + stop.slot, d.check, form);
        break;
      }
      case design::Control::kText:
        g_text[stop.slot] = Child(L"EDIT", L"", WS_TABSTOP | WS_GROUP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE,
                                  main, kIdText + stop.slot, d.text, text);
        break;
      case design::Control::kOrvanta:
        Child(L"EDIT", L"Press Hotkey", WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, main,
              kIdBox + stop.slot, d.box, form);
        break;
      case design::Control::kLabel1:
        Child(L"STATIC", L"Orvanta:  Mossgate is Search Guides!", SS_NOTIFY | SS_LEFT, 0, main, kIdLinkLabel,
              design::kLinkLabel, form);
        break;
      case design::Control::kPmenu: {
        const HWND strip =
            Child(L"TarnelleBench.Strip", L"", WS_CLIPCHILDREN, 0, main, kIdStrip, design::kStrip, nullptr);
        Child(L"STATIC", L"Orvanta Tarnelle", SS_NOTIFY | SS_LEFT, 0, strip, 0, design::kTitle, title);
        const std::pair<int, const design::Twips*> pictures[] = {
            {IDR_LOGO, &design::kLogo}, {IDR_HIDE, &design::kHideImage}, {IDR_CLOSE, &design::kCloseImage}};
        for (int i = 0; i < 3; ++i) {
          const HWND picture = Child(L"TarnelleBench.Strip", L"", WS_CLIPSIBLINGS, 0, strip, kIdPictures + i,
                                     *pictures[i].second, nullptr);
          ::SetWindowLongPtrW(picture, GWLP_USERDATA,
                              reinterpret_cast<LONG_PTR>(LoadPicture(pictures[i].first)));
        }
        break;
      }
      case design::Control::kSelemode0:
        ::SendMessageW(Child(L"BUTTON", L"Get Form", BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP, 0, main,
                             kIdModeGet, design::kModeGet, form),
                       BM_SETCHECK, BST_CHECKED, 0);
        break;
      case design::Control::kSelemode1:
        Child(L"BUTTON", L"Start Change Form", BS_AUTORADIOBUTTON, 0, main, kIdModeChange,
              design::kModeChange, form);
        break;
    }
  }

  for (int i = 1; i + 1 < __argc; i += 2) {
    wchar_t* end = __wargv[i + 1];
    const int n = static_cast<int>(std::wcstol(end, &end, 10));
    const auto mods = static_cast<UINT>(std::wcstoul(end + (*end == L':'), &end, 10));
    const auto vk = static_cast<UINT>(std::wcstoul(end + (*end == L':'), &end, 10));
    if (std::wcscmp(__wargv[i], L"--slot") != 0 || *end != L'\0' || n < 1 || n > kSlots) {
      return 2;
    }
    ::RegisterHotKey(main, n, mods, vk);  // a refused one shows as a slot that never answers
  }
  const int icon_size = ::GetSystemMetricsForDpi(SM_CXSMICON, g_dpi);
  g_tray.cbSize = NOTIFYICONDATAW_V1_SIZE;
  g_tray.hWnd = main;
  g_tray.uID = 1;
  g_tray.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  g_tray.uCallbackMessage = WM_APP + 1;
  g_tray.hIcon = static_cast<HICON>(::LoadImageW(instance, MAKEINTRESOURCEW(IDI_TARNELLE), IMAGE_ICON,
                                                 icon_size, icon_size, LR_DEFAULTCOLOR));
  ::Shell_NotifyIconW(NIM_ADD, &g_tray);
  ::ShowWindow(main, SW_SHOW);
  ::UpdateWindow(main);
  MSG msg;
  while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
    ::DispatchMessageW(&msg);
  }
  return 0;
}

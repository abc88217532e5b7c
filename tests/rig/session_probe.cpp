// Checks the Wine session the tests run in, from the inside: one 1024x768 desktop with a
// taskbar that takes notification-area icons, and the Chinese UI font names mapped to a font
// that has Han glyphs. Prints one "ok"/"not ok" line per check; exits 1 if any failed.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cwchar>

namespace {

int failures = 0;

void Report(bool ok, const char* what) {
  std::printf("%s - session: %s\n", ok ? "ok" : "not ok", what);
  if (!ok) {
    ++failures;
  }
}

// Wine substitutes an unknown face name with a Latin font, which has none of these glyphs.
bool HasHanGlyphs(const wchar_t* face) {
  LOGFONTW lf{};
  lf.lfHeight = -16;
  lf.lfCharSet = DEFAULT_CHARSET;
  std::wcsncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
  const HFONT font = ::CreateFontIndirectW(&lf);
  const HDC dc = ::GetDC(nullptr);
  const HGDIOBJ old = ::SelectObject(dc, font);
  const wchar_t text[] = L"\u70ed\u952e\u7a97\u53e3";
  WORD glyphs[4] = {};
  const DWORD converted = ::GetGlyphIndicesW(dc, text, 4, glyphs, GGI_MARK_NONEXISTING_GLYPHS);
  ::SelectObject(dc, old);
  ::ReleaseDC(nullptr, dc);
  ::DeleteObject(font);
  if (converted != 4) {
    return false;
  }
  for (const WORD g : glyphs) {
    if (g == 0xFFFF) {
      return false;
    }
  }
  return true;
}

bool TrayTakesIcons() {
  const HWND owner = ::CreateWindowExW(0, L"STATIC", L"session probe", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                       ::GetModuleHandleW(nullptr), nullptr);
  NOTIFYICONDATAW nid{};
  nid.cbSize = sizeof(nid);
  nid.hWnd = owner;
  nid.uID = 1;
  nid.uFlags = NIF_ICON | NIF_TIP;
  nid.hIcon = ::LoadIconW(nullptr, MAKEINTRESOURCEW(32512));  // IDI_APPLICATION
  std::wcsncpy(nid.szTip, L"session probe", 63);
  const bool added = ::Shell_NotifyIconW(NIM_ADD, &nid) != FALSE;
  if (added) {
    ::Shell_NotifyIconW(NIM_DELETE, &nid);
  }
  ::DestroyWindow(owner);
  return added;
}

}  // namespace

int wmain() {
  RECT desktop{};
  ::GetWindowRect(::GetDesktopWindow(), &desktop);
  Report(desktop.right - desktop.left == 1024 && desktop.bottom - desktop.top == 768, "desktop is 1024x768");
  // Without a virtual desktop Wine keeps a tray window too, but hidden.
  const HWND taskbar = ::FindWindowW(L"Shell_TrayWnd", nullptr);
  RECT bar{};
  const bool shown = taskbar != nullptr && ::IsWindowVisible(taskbar) && ::GetWindowRect(taskbar, &bar);
  Report(shown && bar.left == desktop.left && bar.right == desktop.right && bar.bottom == desktop.bottom,
         "a taskbar is shown along the bottom of the desktop");
  Report(TrayTakesIcons(), "the notification area takes an icon");
  Report(HasHanGlyphs(L"\u5fae\u8f6f\u96c5\u9ed1"), "\"Microsoft YaHei\" (Chinese name) has Han glyphs");
  Report(HasHanGlyphs(L"\u5b8b\u4f53"), "\"SimSun\" (Chinese name) has Han glyphs");
  return failures == 0 ? 0 : 1;
}

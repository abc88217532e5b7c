#include "switcher/strip.h"

#include "switcher/design.h"
#include "win32/font.h"
#include "win32/module.h"
#include "win32/units.h"

namespace tarnelle::switcher {
namespace {
constexpr wchar_t kYaHei[] = L"\u5fae\u8f6f\u96c5\u9ed1";  // 微软雅黑
}  // namespace

bool TitleStrip::Create(HWND parent, int control_id) {
  static const win32::WindowClass cls([] {
    WNDCLASSEXW wc{};
    wc.lpszClassName = L"Tarnelle.TitleStrip";
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    return wc;
  }());
  background_.reset(::CreateSolidBrush(design::kStripColor));
  if (CreateFrom(cls, 0, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 0, 0, parent,
                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(control_id))) == nullptr) {
    return false;
  }
  title_ = ::CreateWindowExW(0, L"STATIC", L"Orvanta Tarnelle", WS_CHILD | WS_VISIBLE | SS_NOTIFY | SS_LEFT,
                             0, 0, 0, 0, hwnd(), nullptr, win32::ThisModule(), nullptr);
  title_hook_.Attach(title_);
  return title_ != nullptr;
}

void TitleStrip::Layout(UINT dpi) {
  const int d = static_cast<int>(dpi);
  auto px = [d](int twips) { return units::TwipsToPixels(twips, d); };
  title_font_ = win32::CreateFontFor(win32::FontSpec{kYaHei, 12.0, FW_BOLD, ANSI_CHARSET}, dpi);
  ::SendMessageW(title_, WM_SETFONT, reinterpret_cast<WPARAM>(title_font_.get()), TRUE);
  const design::Twips& s = design::kStrip;
  ::SetWindowPos(hwnd(), nullptr, px(s.left), px(s.top), px(s.width), px(s.height),
                 SWP_NOZORDER | SWP_NOACTIVATE);
  const design::Twips& t = design::kTitle;
  ::SetWindowPos(title_, nullptr, px(t.left), px(t.top), px(t.width), px(t.height),
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT TitleStrip::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_ERASEBKGND: {
      RECT r{};
      ::GetClientRect(hwnd(), &r);
      ::FillRect(reinterpret_cast<HDC>(wp), &r, background_.get());
      return 1;
    }
    case WM_CTLCOLORSTATIC: {
      const HDC dc = reinterpret_cast<HDC>(wp);
      ::SetTextColor(dc, design::kTitleColor);
      ::SetBkMode(dc, TRANSPARENT);
      return reinterpret_cast<LRESULT>(background_.get());
    }
    case WM_MOUSEMOVE:
      if (on_mouse_move) {
        on_mouse_move(wp);
      }
      return 0;
    default:
      return Window::OnMessage(msg, wp, lp);
  }
}

LRESULT TitleStrip::TitleHook::OnControlMessage(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_MOUSEMOVE && strip_.on_mouse_move) {
    strip_.on_mouse_move(wp);
    return 0;
  }
  return CallNext(msg, wp, lp);
}

}  // namespace tarnelle::switcher

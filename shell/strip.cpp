#include "shell/strip.h"

#include "shell/moveit.h"

#include <utility>

#include "win32/module.h"
#include "win32/trace.h"

namespace tarnelle::shell {

bool TitleStrip::Create(HWND parent, int control_id, const StripLook& look, const StripPlaces& places,
                        HFONT title_font) {
  static const win32::WindowClass cls({.name = L"Tarnelle.TitleStrip"});
  background_.reset(::CreateSolidBrush(look.background));
  title_color_ = look.title_color;
  const RECT& strip = places.strip;
  if (CreateFrom(cls, 0, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, strip.left, strip.top,
                 strip.right - strip.left, strip.bottom - strip.top, parent,
                 win32::ControlId(control_id)) == nullptr) {
    return false;
  }
  // SS_NOTIFY: without it the title lets every mouse message through to the strip but the
  // cursor's, and a press on it would not be seen as the title's.
  title_ = win32::CreateControl(L"STATIC", look.title, SS_NOTIFY | SS_LEFT, 0, hwnd(), 0, places.title);
  if (title_ == nullptr) {
    return false;
  }
  win32::SetFont(title_, title_font, false);  // not shown yet
  const HINSTANCE module = win32::ThisModule();
  const std::pair<win32::Image*, int> pictures[] = {
      {&logo, look.logo}, {&hide, look.hide}, {&close, look.close}};
  const RECT* place = &places.logo;
  int picture_id = control_id;  // the pictures' identifiers follow the strip's
  for (const auto& [image, id] : pictures) {
    if (!image->Create(hwnd(), *place++, ++picture_id)) {
      return false;
    }
    image->SetPicture(win32::LoadPictureResource(module, id));
  }
  hide.SetStretch(true);
  return title_hook_.Attach(title_);
}

void TitleStrip::Layout(const StripPlaces& places, HFONT title_font) {
  win32::SetFont(title_, title_font, true);
  win32::Place(hwnd(), places.strip);
  win32::Place(title_, places.title);
  win32::Place(logo.hwnd(), places.logo);
  win32::Place(hide.hwnd(), places.hide);
  win32::Place(close.hwnd(), places.close);
}

LRESULT TitleStrip::OnEraseBackground(HDC dc) {
  RECT r{};
  if (::GetClientRect(hwnd(), &r)) {
    ::FillRect(dc, &r, background_.get());
  }
  return 1;
}

LRESULT TitleStrip::OnCtlColorStatic(HDC dc) {
  ::SetTextColor(dc, title_color_);
  ::SetBkMode(dc, TRANSPARENT);
  return reinterpret_cast<LRESULT>(background_.get());
}

void TitleStrip::OnLeftButtonDown() {
  // Started at the press, the platform's move loop follows the pointer from its first step.
  MoveForm(::GetAncestor(hwnd(), GA_ROOT));
}

LRESULT TitleStrip::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_ERASEBKGND:
      return OnEraseBackground(reinterpret_cast<HDC>(wp));
    case WM_CTLCOLORSTATIC:
      return OnCtlColorStatic(reinterpret_cast<HDC>(wp));
    case WM_LBUTTONDOWN:
      OnLeftButtonDown();
      return 0;
    default:
      return Window::OnMessage(msg, wp, lp);
  }
}

LRESULT TitleStrip::TitleHook::OnControlMessage(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_LBUTTONDOWN) {
    strip_.OnLeftButtonDown();
    return 0;
  }
  return CallNext(msg, wp, lp);
}

}  // namespace tarnelle::shell

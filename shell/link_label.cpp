#include "shell/link_label.h"

#include <commctrl.h>

#include "win32/module.h"
#include "win32/picture.h"
#include "win32/trace.h"

namespace tarnelle::shell {

bool LinkLabel::Create(HWND parent, int id, const RECT& r, HFONT font, HFONT underlined) {
  // Its tip and its hand cursor are made when the pointer first comes over it.
  const HWND label = win32::CreateControl(L"STATIC", look_.caption, SS_NOTIFY | SS_LEFT, 0, parent, id, r);
  font_ = font;
  underlined_font_ = underlined;
  if (label == nullptr || !Attach(label)) {
    return false;
  }
  win32::SetFont(label, font_, false);
  return true;
}

void LinkLabel::SetFonts(HFONT font, HFONT underlined) {
  font_ = font;
  underlined_font_ = underlined;
  win32::SetFont(control(), this->font(), true);
}

void LinkLabel::SetUnderline(bool on) {
  if (underlined_ == on) {
    return;
  }
  underlined_ = on;
  win32::SetFont(control(), font(), true);
}

HCURSOR LinkLabel::HandCursor() {
  if (!hand_cursor_) {  // a cursor that could not be made is not tried again
    hand_cursor_ = win32::LoadCursorFromIcon(win32::ThisModule(), look_.hand_cursor, look_.hand_hot_spot);
  }
  return hand_cursor_->get();
}

void LinkLabel::ShowTip(UINT msg, WPARAM wp, LPARAM lp) {
  if (tip_ != nullptr) {
    return;  // it follows the label's mouse messages itself from then on
  }
  const HWND parent = ::GetParent(control());
  tip_ = ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                           CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, parent, nullptr, win32::ThisModule(),
                           nullptr);
  TTTOOLINFOW tip{};
  tip.cbSize = sizeof(tip);
  tip.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tip.hwnd = parent;
  tip.uId = reinterpret_cast<UINT_PTR>(control());
  tip.lpszText = const_cast<wchar_t*>(look_.tip);
  // Without its tip the link still works.
  if (tip_ == nullptr || ::SendMessageW(tip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tip)) == FALSE) {
    win32::TraceLastError(L"link tip");
    return;
  }
  // The move that brought the pointer here came before the tip could see it.
  MSG relayed{control(), msg, wp, lp, 0, {}};
  ::SendMessageW(tip_, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relayed));
}

LRESULT LinkLabel::OnControlMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_MOUSEMOVE:
      SetUnderline(true);
      ShowTip(msg, wp, lp);
      break;
    case WM_SETCURSOR:
      if (const HCURSOR hand = HandCursor()) {
        ::SetCursor(hand);
        return TRUE;
      }
      break;
    case WM_LBUTTONDOWN:
      click_.OnButtonDown(control());
      return 0;
    case WM_LBUTTONDBLCLK:
      click_.OnDoubleClick(control());
      return 0;
    case WM_CAPTURECHANGED:
      click_.OnCaptureChanged();
      break;
    case WM_LBUTTONUP:
      if (click_.OnButtonUp(control(), lp) && on_click) {
        on_click();
      }
      return 0;
    default:
      break;
  }
  return CallNext(msg, wp, lp);
}

}  // namespace tarnelle::shell

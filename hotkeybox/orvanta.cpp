#include "hotkeybox/orvanta.h"

#include <commctrl.h>
#include <imm.h>
#include <windowsx.h>
#include <utility>

#include "settings/ini.h"
#include "win32/message_box.h"
#include "win32/module.h"
#include "win32/trace.h"
#include "win32/units.h"

namespace tarnelle::hotkeybox {

// The portable core keeps its own copies of the platform's numbers; they must be the platform's.
static_assert(kModAlt == MOD_ALT && kModControl == MOD_CONTROL && kModShift == MOD_SHIFT &&
              kModWin == MOD_WIN);
static_assert(kVkShift == VK_SHIFT && kVkControl == VK_CONTROL && kVkMenu == VK_MENU);
static_assert(kVkLeftWin == VK_LWIN && kVkApps == VK_APPS && kVkProcessKey == VK_PROCESSKEY);
static_assert(SystemColorIndex(kSysWindowBackground) == COLOR_WINDOW);
static_assert(SystemColorIndex(kSysWindowText) == COLOR_WINDOWTEXT);
static_assert(kFontWeightNormal == FW_NORMAL && kFontCharsetDefault == DEFAULT_CHARSET);

namespace {

constexpr wchar_t kNotSetHotKey[] = L"Not set hotkey";
constexpr wchar_t kHotKeyTaken[] = L"Hotkey already exists, please change a hotkey.";
constexpr int kTextBoxId = 1;
constexpr int kKeyNameChars = 255;

// Read from the message being handled, not from the hardware, so a key's modifiers are the
// ones that were down when it was pressed.
std::int16_t ShiftState() {
  std::int16_t s = 0;
  if (::GetKeyState(VK_SHIFT) < 0) {
    s |= kShiftShift;
  }
  if (::GetKeyState(VK_CONTROL) < 0) {
    s |= kShiftCtrl;
  }
  if (::GetKeyState(VK_MENU) < 0) {
    s |= kShiftAlt;
  }
  return s;
}

// Named by scan code alone: without the extended-key bit the arrows and the editing block get
// the names of their keypad twins.
std::wstring KeyName(std::int16_t k) {
  const UINT scan = ::MapVirtualKeyW(static_cast<std::uint16_t>(k), MAPVK_VK_TO_VSC);
  wchar_t name[kKeyNameChars] = {};
  const int n = ::GetKeyNameTextW(static_cast<LONG>(scan << 16), name, kKeyNameChars);
  return std::wstring(name, static_cast<std::size_t>(n > 0 ? n : 0));
}

// The text box's frame for a border style and appearance: none, flat or 3D.
struct Frame {
  DWORD style;
  DWORD ex_style;
};
Frame FrameFor(std::int32_t border_style, std::int32_t appearance) {
  if (border_style == 0) {
    return {0, 0};
  }
  return appearance != 0 ? Frame{0, WS_EX_CLIENTEDGE} : Frame{WS_BORDER, 0};
}

COLORREF ToColorRef(OleColor c) {
  return IsSystemColor(c) ? ::GetSysColor(SystemColorIndex(c)) : static_cast<COLORREF>(c & 0x00FFFFFFu);
}

}  // namespace

win32::FontSpec FontSpecOf(const FontDesc& font) {
  return win32::FontSpec{font.name,   font.points,    font.weight,       font.charset,
                         font.italic, font.underline, font.strikethrough};
}

class Orvanta::TextBoxEvents final : public win32::ControlHook {
 public:
  explicit TextBoxEvents(Orvanta& box) : box_(box) {}

 protected:
  LRESULT OnControlMessage(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  using MouseEvent = void (OrvantaEvents::*)(std::int16_t&, std::int16_t&, float&, float&);
  void Mouse(MouseEvent event, std::int16_t button, LPARAM lp);
  LRESULT OnGetDlgCode(WPARAM wp, LPARAM lp);

  Orvanta& box_;
  bool left_pressed_ = false;  // a left press in the box, waiting for its release (Click)
};

void Orvanta::TextBoxEvents::Mouse(MouseEvent event, std::int16_t button, LPARAM lp) {
  const UINT dpi = win32::DpiOf(control());
  std::int16_t shift = ShiftState();
  float x = units::PixelsToTwips(GET_X_LPARAM(lp), static_cast<int>(dpi));
  float y = units::PixelsToTwips(GET_Y_LPARAM(lp), static_cast<int>(dpi));
  (box_.events_.*event)(button, shift, x, y);
}

LRESULT Orvanta::TextBoxEvents::OnControlMessage(UINT msg, WPARAM wp, LPARAM lp) {
  if (box_.tooltip_ && msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST) {
    MSG relayed{control(), msg, wp, lp, 0, {}};
    ::SendMessageW(box_.tooltip_.get(), TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relayed));
  }
  switch (msg) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      // Never passed on: the box captures Shift+Insert, Alt+F4 and F10 instead of acting on them.
      box_.OnKeyDown(static_cast<std::int16_t>(wp), ShiftState());
      return 0;
    case WM_KEYUP:
    case WM_SYSKEYUP:
      box_.OnKeyUp(static_cast<std::int16_t>(wp), ShiftState());
      return 0;
    case WM_CHAR:
    case WM_SYSCHAR:
    case WM_DEADCHAR:
    case WM_SYSDEADCHAR:
    case WM_IME_STARTCOMPOSITION:
    case WM_IME_COMPOSITION:
    case WM_IME_ENDCOMPOSITION:
    case WM_IME_CHAR:
      return 0;  // the text changes only through capture, never by typing or an input method
    case WM_GETDLGCODE:
      return OnGetDlgCode(wp, lp);
    case WM_KILLFOCUS:
      // A left Win key released in another window would otherwise stay down here for good.
      box_.capture_.FocusLost();
      break;
    case WM_LBUTTONDOWN:
      left_pressed_ = true;
      Mouse(&OrvantaEvents::MouseDown, 1, lp);
      break;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
      Mouse(&OrvantaEvents::MouseDown, 2, lp);
      break;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
      Mouse(&OrvantaEvents::MouseDown, 4, lp);
      break;
    case WM_MOUSEMOVE: {
      std::int16_t held = 0;
      held |= (wp & MK_LBUTTON) != 0 ? 1 : 0;
      held |= (wp & MK_RBUTTON) != 0 ? 2 : 0;
      held |= (wp & MK_MBUTTON) != 0 ? 4 : 0;
      Mouse(&OrvantaEvents::MouseMove, held, lp);
      break;
    }
    case WM_LBUTTONUP:
      Mouse(&OrvantaEvents::MouseUp, 1, lp);
      if (std::exchange(left_pressed_, false)) {
        box_.events_.Click();
      }
      break;
    case WM_RBUTTONUP:
      Mouse(&OrvantaEvents::MouseUp, 2, lp);
      break;
    case WM_MBUTTONUP:
      Mouse(&OrvantaEvents::MouseUp, 4, lp);
      break;
    case WM_LBUTTONDBLCLK:
      left_pressed_ = false;  // the second release of a double click is no click
      box_.events_.DblClick();
      break;
    default:
      break;
  }
  return CallNext(msg, wp, lp);
}

LRESULT Orvanta::TextBoxEvents::OnGetDlgCode(WPARAM wp, LPARAM lp) {
  // Enter, Escape and the arrows are hotkeys too, even under IsDialogMessage; Tab still moves
  // the focus on.
  const auto* queued = reinterpret_cast<const MSG*>(lp);
  const WPARAM key = queued != nullptr ? queued->wParam : wp;
  LRESULT code = CallNext(WM_GETDLGCODE, wp, lp);
  if (key != VK_TAB) {
    code |= DLGC_WANTALLKEYS | DLGC_WANTMESSAGE | DLGC_WANTCHARS;
  }
  return code;
}

Orvanta::Orvanta(ControlSite& site, OrvantaEvents& events)
    : site_(site), events_(events), text_box_events_(std::make_unique<TextBoxEvents>(*this)) {}

Orvanta::~Orvanta() {
  if (hwnd() != nullptr) {
    // While the fonts and brushes it paints with still exist; the members then unwind the rest.
    std::ignore = win32::Check(::DestroyWindow(hwnd()), L"DestroyWindow");
  }
}

bool Orvanta::Create(HWND parent, int x, int y, int width, int height, int control_id) {
  static const win32::WindowClass cls({.name = L"Orvanta"});
  if (CreateFrom(cls, WS_EX_CONTROLPARENT, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, x, y, width, height,
                 parent, win32::ControlId(control_id)) == nullptr) {
    return false;
  }
  // Made at the box's size with the frame and state the box holds, so that loading the design
  // changes only what differs from the defaults.
  const Frame frame = FrameFor(border_style_, appearance_);
  text_box_ = win32::CreateControl(L"EDIT", kPressHotKey,
                                   WS_TABSTOP | ES_AUTOHSCROLL | frame.style | (enabled_ ? 0 : WS_DISABLED),
                                   frame.ex_style, hwnd(), kTextBoxId, RECT{0, 0, width, height});
  if (text_box_ == nullptr) {
    return false;
  }
  dpi_ = win32::DpiOf(text_box_);
  // No input method for the box: what it composes is text, and the box takes keys only.
  std::ignore = win32::Check(::ImmAssociateContextEx(text_box_, nullptr, 0), L"ImmAssociateContextEx");
  // Attached before HookTextBox, so that the hook keeps this chain as the procedure to call.
  if (!text_box_events_->Attach(text_box_)) {
    return false;
  }
  ApplyColors();
  ApplyFont(site_.AmbientFont());  // until the host gives another
  if (!tooltip_text_.empty()) {
    ApplyToolTipText(std::wstring(tooltip_text_));
  }
  return true;
}

void Orvanta::OnSize(int width, int height) {
  if (text_box_ != nullptr) {
    std::ignore = win32::Check(
        ::SetWindowPos(text_box_, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE),
        L"SetWindowPos");
  }
}

void Orvanta::OnSetFocus() {
  if (text_box_ != nullptr) {
    ::SetFocus(text_box_);
  }
}

LRESULT Orvanta::OnCtlColor(HDC dc, HWND control) {
  if (control != text_box_) {
    return 0;  // not ours: the default colours
  }
  ::SetTextColor(dc, ToColorRef(fore_color_));
  ::SetBkColor(dc, ToColorRef(back_color_));
  const HBRUSH brush =
      IsSystemColor(back_color_) ? ::GetSysColorBrush(SystemColorIndex(back_color_)) : back_brush_.get();
  return reinterpret_cast<LRESULT>(brush);
}

void Orvanta::OnDpiChanged(UINT dpi) {
  if (dpi == dpi_) {
    return;
  }
  dpi_ = dpi;
  ApplyFont(FontDesc(font_));
}

void Orvanta::OnDestroy() {
  // The box window may go with its parent before the box itself: give the text box its own
  // procedure back while it still exists.
  text_box_hook_.reset();
  text_box_events_->Detach();
  tooltip_.reset();
}

LRESULT Orvanta::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_SIZE:
      OnSize(LOWORD(lp), HIWORD(lp));  // sizes, never negative
      return 0;
    case WM_SETFOCUS:
      OnSetFocus();
      return 0;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:  // a disabled text box asks this one
      if (const LRESULT brush = OnCtlColor(reinterpret_cast<HDC>(wp), reinterpret_cast<HWND>(lp))) {
        return brush;
      }
      break;
    case WM_DPICHANGED_AFTERPARENT:
      OnDpiChanged(win32::DpiOf(hwnd()));
      return 0;
    case WM_DESTROY:
      OnDestroy();
      break;
    default:
      break;
  }
  return Window::OnMessage(msg, wp, lp);
}

void Orvanta::OnDestroyed() {
  text_box_ = nullptr;
}

void Orvanta::InitDefaults() {
  SetText(kPressHotKey);
  storage_ = StorageProperties{};
}

void Orvanta::LoadProperties(const PropertyStore& store) {
  back_color_ =
      static_cast<OleColor>(store.ReadInt(prop::kBackColor, static_cast<std::int32_t>(kSysWindowBackground)));
  fore_color_ =
      static_cast<OleColor>(store.ReadInt(prop::kForeColor, static_cast<std::int32_t>(kSysWindowText)));
  ApplyColors();
  ApplyEnabled(store.ReadBool(prop::kEnabled, true));
  ApplyFont(store.ReadFont(prop::kFont, site_.AmbientFont()));
  ApplyBorder(store.ReadInt(prop::kBorderStyle, 1), store.ReadInt(prop::kAppearance, 1));
  ApplyToolTipText(store.ReadText(prop::kToolTipText, L""));

  const StorageProperties defaults;
  storage_.INIFileName = store.ReadText(prop::kINIFileName, defaults.INIFileName);
  storage_.SettingLocation = store.ReadInt(prop::kSettingLocation, defaults.SettingLocation);
  storage_.RegKeyName = store.ReadText(prop::kRegKeyName, defaults.RegKeyName);

  if (site_.UserMode()) {
    RunTimeSetUp();
    LoadSavedHotKey();
  } else {
    // In the designer the box shows its designed text and touches no settings.
    SetText(store.ReadText(prop::kText, kPressHotKey));
  }
}

void Orvanta::StoreProperties(PropertyStore& store) const {
  store.Write(prop::kBackColor, static_cast<std::int32_t>(back_color_),
              static_cast<std::int32_t>(kSysWindowBackground));
  store.Write(prop::kForeColor, static_cast<std::int32_t>(fore_color_),
              static_cast<std::int32_t>(kSysWindowText));
  store.Write(prop::kEnabled, Enabled(), true);
  store.Write(prop::kFont, font_, site_.AmbientFont());
  store.Write(prop::kBorderStyle, border_style_, std::int32_t{1});
  store.Write(prop::kAppearance, appearance_, std::int32_t{1});
  store.Write(prop::kToolTipText, tooltip_text_, std::wstring());
  const StorageProperties defaults;
  store.Write(prop::kINIFileName, storage_.INIFileName, defaults.INIFileName);
  store.Write(prop::kSettingLocation, storage_.SettingLocation, defaults.SettingLocation);
  store.Write(prop::kRegKeyName, storage_.RegKeyName, defaults.RegKeyName);
}

void Orvanta::RaiseEvents() {
  events_.HotKeyPressed();
}

void Orvanta::SetBackColor(OleColor color) {
  back_color_ = color;
  ApplyColors();
  site_.PropertyChanged(prop::kBackColor);
}

void Orvanta::SetForeColor(OleColor color) {
  fore_color_ = color;
  ApplyColors();
  site_.PropertyChanged(prop::kForeColor);
}

bool Orvanta::Enabled() const {
  return text_box_ != nullptr ? ::IsWindowEnabled(text_box_) != FALSE : enabled_;
}

void Orvanta::SetEnabled(bool enabled) {
  ApplyEnabled(enabled);
  site_.PropertyChanged(prop::kEnabled);
}

void Orvanta::SetFont(const FontDesc& font) {
  ApplyFont(font);
  site_.PropertyChanged(prop::kFont);
}

void Orvanta::SetBorderStyle(std::int32_t style) {
  ApplyBorder(style, appearance_);
  site_.PropertyChanged(prop::kBorderStyle);
}

void Orvanta::SetAppearance(std::int32_t appearance) {
  ApplyBorder(border_style_, appearance);
  site_.PropertyChanged(prop::kAppearance);
}

std::wstring Orvanta::Text() const {
  return text_box_ != nullptr ? win32::WindowText(text_box_) : std::wstring();
}

void Orvanta::SetToolTipText(std::wstring_view text) {
  ApplyToolTipText(text);
  site_.PropertyChanged(prop::kToolTipText);
}

void Orvanta::SetHotKeyEnabled(bool enabled) {
  if (enabled == hotkey_enabled_) {
    return;  // an armed box is not registered twice, a free one not released twice
  }
  if (!enabled) {
    ReleaseHotKey();
    hotkey_enabled_ = false;
    return;
  }
  if (KeyCode() == 0) {
    ShowError(kNotSetHotKey);
    return;
  }
  if (TryRegisterHotKey()) {
    hotkey_enabled_ = true;
    return;
  }
  // Taken by another box or program, or refused for any other reason: the user picks anew.
  ShowError(kHotKeyTaken);
  SetText(kPressHotKey);
  capture_.Clear();
}

SaveResult Orvanta::SaveSettings() {
  return WriteSavedHotKey(storage_, site_.ExtenderName(), SavedHotKey{Text(), capture_.record()});
}

void Orvanta::SetINIFileName(std::wstring_view name) {
  RefuseAtRunTime();
  storage_.INIFileName = name;
  settings::SetINIFile(storage_.INIFileName);  // in the designer the process-wide file follows it
  site_.PropertyChanged(prop::kINIFileName);
}

void Orvanta::SetSettingLocation(std::int32_t location) {
  RefuseAtRunTime();
  storage_.SettingLocation = location;
  site_.PropertyChanged(prop::kSettingLocation);
}

void Orvanta::SetRegKeyName(std::wstring_view name) {
  RefuseAtRunTime();
  storage_.RegKeyName = name;
  site_.PropertyChanged(prop::kRegKeyName);
}

void Orvanta::RunTimeSetUp() {
  run_time_ = true;  // the hidden window that carries the hotkey is made at its first registration
  if (text_box_ != nullptr && !text_box_hook_) {
    HookTextBox(text_box_);
    text_box_hook_.reset(text_box_);
  }
}

bool Orvanta::MakeHotKeyWindow() {
  if (hotkey_window_ || !run_time_) {
    return static_cast<bool>(hotkey_window_);  // once per box, and never in the designer
  }
  // Message-only: it carries the hotkey and nothing else, and never sees broadcasts such as
  // WM_QUERYENDSESSION.
  hotkey_window_.reset(::CreateWindowExW(0, L"#32770", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                         win32::ThisModule(), nullptr));
  if (!hotkey_window_) {
    win32::TraceLastError(L"CreateWindowExW(#32770)");  // the box works, but never hears its hotkey
    return false;
  }
  HookWindow(hotkey_window_.get(), this);
  hotkey_hook_.reset(hotkey_window_.get());
  return true;
}

void Orvanta::LoadSavedHotKey() {
  const SavedHotKey saved = ReadSavedHotKey(storage_, site_.ExtenderName());
  if (saved.text != Text()) {  // a box with nothing saved already shows what it would be given
    SetText(saved.text);
  }
  capture_.Load(saved.record);
}

bool Orvanta::TryRegisterHotKey() {
  // Without its own window (a box in the designer) a registration would bind to the thread.
  if (!MakeHotKeyWindow()) {
    return false;
  }
  // A refusal is the user's to see (the box says so), not a fault to trace.
  return ::RegisterHotKey(hotkey_window_.get(), kHotKeyId, static_cast<UINT>(ModKeyCode()),
                          static_cast<UINT>(KeyCode())) != FALSE;
}

void Orvanta::ReleaseHotKey() {
  if (hotkey_window_) {
    std::ignore = ::UnregisterHotKey(hotkey_window_.get(), kHotKeyId);  // fails only if it was not registered
  }
}

void Orvanta::SetText(std::wstring_view text) {
  if (text_box_ != nullptr) {
    std::ignore = win32::Check(::SetWindowTextW(text_box_, std::wstring(text).c_str()), L"SetWindowTextW");
  }
}

void Orvanta::CaretToEnd() {
  if (text_box_ != nullptr) {
    const int length = ::GetWindowTextLengthW(text_box_);
    ::SendMessageW(text_box_, EM_SETSEL, static_cast<WPARAM>(length), length);
    ::SendMessageW(text_box_, EM_SCROLLCARET, 0, 0);
  }
}

void Orvanta::ShowError(const wchar_t* text) {
  win32::ShowError(hwnd() != nullptr ? ::GetAncestor(hwnd(), GA_ROOT) : nullptr, text);
}

void Orvanta::RefuseAtRunTime() const {
  if (site_.UserMode()) {
    throw ControlError(kErrSetNotSupportedAtRuntime, "Set not supported at runtime");
  }
}

void Orvanta::ApplyColors() {
  // System colours paint with the system's own brushes, which follow a change of scheme.
  back_brush_.reset(IsSystemColor(back_color_) ? nullptr : ::CreateSolidBrush(ToColorRef(back_color_)));
  if (text_box_ != nullptr) {
    std::ignore = ::InvalidateRect(text_box_, nullptr, TRUE);  // fails only without a window
  }
}

void Orvanta::ApplyEnabled(bool enabled) {
  enabled_ = enabled;
  if (text_box_ != nullptr) {
    std::ignore = ::EnableWindow(text_box_, enabled ? TRUE : FALSE);  // answers the old state, no failure
  }
}

void Orvanta::ApplyFont(const FontDesc& font) {
  if (font_handle_ && font == font_ && font_dpi_ == dpi_) {
    return;  // loading the same font the box was made with, at the same DPI, changes nothing
  }
  font_ = font;
  if (text_box_ == nullptr) {
    return;
  }
  win32::shared_hfont handle = win32::SharedFontFor(FontSpecOf(font_), dpi_);
  win32::SetFont(text_box_, handle.get(), true);
  font_dpi_ = dpi_;
  font_handle_ = std::move(handle);  // the old font is deleted only once the text box has let go
}

void Orvanta::ApplyBorder(std::int32_t border_style, std::int32_t appearance) {
  border_style_ = border_style;
  appearance_ = appearance;
  if (text_box_ == nullptr) {
    return;
  }
  const Frame frame = FrameFor(border_style_, appearance_);
  const LONG_PTR old_style = ::GetWindowLongPtrW(text_box_, GWL_STYLE);
  const LONG_PTR old_ex_style = ::GetWindowLongPtrW(text_box_, GWL_EXSTYLE);
  const LONG_PTR style = (old_style & ~static_cast<LONG_PTR>(WS_BORDER)) | static_cast<LONG_PTR>(frame.style);
  const LONG_PTR ex_style =
      (old_ex_style & ~static_cast<LONG_PTR>(WS_EX_CLIENTEDGE)) | static_cast<LONG_PTR>(frame.ex_style);
  if (style == old_style && ex_style == old_ex_style) {
    return;  // a frame change repaints and re-measures the text box for nothing
  }
  ::SetWindowLongPtrW(text_box_, GWL_STYLE, style);
  ::SetWindowLongPtrW(text_box_, GWL_EXSTYLE, ex_style);
  std::ignore =
      win32::Check(::SetWindowPos(text_box_, nullptr, 0, 0, 0, 0,
                                  SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED),
                   L"SetWindowPos");
}

void Orvanta::ApplyToolTipText(std::wstring_view text) {
  tooltip_text_ = text;
  if (text_box_ == nullptr) {
    return;
  }
  if (tooltip_text_.empty()) {
    tooltip_.reset();
    return;
  }
  TTTOOLINFOW tool{};
  tool.cbSize = TTTOOLINFOW_V2_SIZE;
  tool.uFlags = TTF_IDISHWND;
  tool.hwnd = hwnd();
  tool.uId = reinterpret_cast<UINT_PTR>(text_box_);
  tool.lpszText = tooltip_text_.data();
  if (tooltip_) {
    ::SendMessageW(tooltip_.get(), TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
    return;
  }
  // Unowned, so that it lives exactly as long as the box wants it; the text box relays its
  // mouse messages to it.
  tooltip_.reset(::CreateWindowExW(
      WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
      CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, win32::ThisModule(), nullptr));
  if (!tooltip_) {
    win32::TraceLastError(TOOLTIPS_CLASSW);
    return;
  }
  if (::SendMessageW(tooltip_.get(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool)) == FALSE) {
    win32::TraceLastError(L"TTM_ADDTOOLW");
  }
}

void Orvanta::OnKeyDown(std::int16_t k, std::int16_t shift) {
  if (KeyCapture::IsRefused(k)) {
    return;  // cancelled: no event, nothing changes
  }
  events_.KeyDown(k, shift);  // the host may change both; capture uses what it leaves
  const std::wstring text = capture_.KeyDown(k, shift, &KeyName);
  if (hotkey_enabled_) {
    SetHotKeyEnabled(false);  // a new combination is being typed
  }
  SetText(text);
  CaretToEnd();
}

void Orvanta::OnKeyUp(std::int16_t k, std::int16_t shift) {
  if (capture_.KeyUp(k)) {
    SetText(kPressHotKey);
  }
  CaretToEnd();
  events_.KeyUp(k, shift);
}

}  // namespace tarnelle::hotkeybox

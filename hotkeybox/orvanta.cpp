#include "hotkeybox/orvanta.h"

#include <commctrl.h>
#include <windowsx.h>
#include <utility>

#include "hotkeybox/subclass.h"
#include "settings/ini.h"
#include "settings/user_store.h"
#include "settings/values.h"
#include "win32/font.h"
#include "win32/message_box.h"
#include "win32/module.h"
#include "win32/units.h"

namespace tarnelle::hotkeybox {
namespace {

constexpr wchar_t kClassName[] = L"Orvanta";
constexpr wchar_t kErrorCaption[] = L"error";
constexpr UINT kErrorStyle = MB_OK | MB_ICONHAND;
constexpr wchar_t kNotSetHotkey[] = L"Not set hotkey";
constexpr wchar_t kHotkeyTaken[] = L"Hotkey already exists, please change a hotkey.";
constexpr int kTextBoxId = 1;
constexpr int kKeyNameChars = 255;

const win32::WindowClass& BoxClass() {
  static const win32::WindowClass cls([] {
    WNDCLASSEXW wc{};
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kClassName;
    return wc;
  }());
  return cls;
}

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

COLORREF ToColorRef(OleColor c) {
  return IsSystemColor(c) ? ::GetSysColor(SystemColorIndex(c)) : static_cast<COLORREF>(c & 0x00FFFFFFu);
}

UINT DpiOf(HWND hwnd) {
  const UINT dpi = ::GetDpiForWindow(hwnd);
  return dpi != 0 ? dpi : USER_DEFAULT_SCREEN_DPI;
}

}  // namespace

class Orvanta::TextBoxEvents final : public win32::ControlHook {
 public:
  explicit TextBoxEvents(Orvanta& box) : box_(box) {}

 protected:
  LRESULT OnControlMessage(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  using MouseEvent = void (OrvantaEvents::*)(std::int16_t&, std::int16_t&, float&, float&);
  void Mouse(MouseEvent event, std::int16_t button, LPARAM lp);

  Orvanta& box_;
  bool left_pressed_ = false;  // a left press in the box, waiting for its release (Click)
};

void Orvanta::TextBoxEvents::Mouse(MouseEvent event, std::int16_t button, LPARAM lp) {
  const UINT dpi = DpiOf(control());
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
      return 0;  // the text changes only through capture
    case WM_GETDLGCODE: {
      // Enter, Escape and the arrows are hotkeys too, even under IsDialogMessage; Tab still
      // moves the focus on.
      const auto* queued = reinterpret_cast<const MSG*>(lp);
      const WPARAM key = queued != nullptr ? queued->wParam : wp;
      LRESULT code = CallNext(msg, wp, lp);
      if (key != VK_TAB) {
        code |= DLGC_WANTALLKEYS | DLGC_WANTMESSAGE | DLGC_WANTCHARS;
      }
      return code;
    }
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

Orvanta::Orvanta(ControlSite& site, OrvantaEvents& events)
    : site_(site), events_(events), text_box_events_(std::make_unique<TextBoxEvents>(*this)) {}

Orvanta::~Orvanta() {
  Teardown();
  tooltip_.reset();
  if (hwnd() != nullptr) {
    ::DestroyWindow(hwnd());  // while the fonts and brushes it paints with still exist
  }
}

bool Orvanta::Create(HWND parent, int x, int y, int width, int height, int control_id) {
  const auto id = reinterpret_cast<HMENU>(static_cast<INT_PTR>(control_id));
  if (CreateFrom(BoxClass(), WS_EX_CONTROLPARENT, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, x, y, width,
                 height, parent, id) == nullptr) {
    return false;
  }
  RECT client{};
  ::GetClientRect(hwnd(), &client);
  text_box_ = ::CreateWindowExW(0, L"EDIT", kPressHotkey, WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL,
                                0, 0, client.right, client.bottom, hwnd(),
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(kTextBoxId)),
                                win32::ThisModule(), nullptr);
  if (text_box_ == nullptr) {
    return false;
  }
  // Attached before HookTextBox, so that the hook keeps this chain as the procedure to call.
  text_box_events_->Attach(text_box_);
  ApplyColors();
  ApplyEnabled(enabled_);
  ApplyFont(site_.AmbientFont());  // until the host gives another
  ApplyBorder(border_style_, appearance_);
  ApplyToolTipText(std::wstring(tooltip_text_));
  return true;
}

LRESULT Orvanta::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_SIZE:
      if (text_box_ != nullptr) {
        ::SetWindowPos(text_box_, nullptr, 0, 0, LOWORD(lp), HIWORD(lp),
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
      }
      return 0;
    case WM_SETFOCUS:
      if (text_box_ != nullptr) {
        ::SetFocus(text_box_);
      }
      return 0;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:  // a disabled text box asks this one
      if (reinterpret_cast<HWND>(lp) == text_box_) {
        const auto dc = reinterpret_cast<HDC>(wp);
        ::SetTextColor(dc, ToColorRef(fore_color_));
        ::SetBkColor(dc, ToColorRef(back_color_));
        const HBRUSH brush = IsSystemColor(back_color_) ? ::GetSysColorBrush(SystemColorIndex(back_color_))
                                                        : back_brush_.get();
        return reinterpret_cast<LRESULT>(brush);
      }
      break;
    case WM_DPICHANGED_AFTERPARENT:
      ApplyFont(FontDesc(font_));
      return 0;
    case WM_DESTROY:
      // The box window may go with its parent before the box itself: give the text box its own
      // procedure back while it still exists.
      UnhookTextBoxOnce();
      text_box_events_->Detach();
      tooltip_.reset();
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
  SetText(kPressHotkey);
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
    LoadSavedHotkey();
  } else {
    // In the designer the box shows its designed text and touches no settings.
    SetText(store.ReadText(prop::kText, kPressHotkey));
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
  if (text_box_ == nullptr) {
    return {};
  }
  std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(text_box_)) + 1, L'\0');
  const int n = ::GetWindowTextW(text_box_, text.data(), static_cast<int>(text.size()));
  text.resize(static_cast<std::size_t>(n > 0 ? n : 0));
  return text;
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
    ShowError(kNotSetHotkey);
    return;
  }
  if (TryRegisterHotKey()) {
    hotkey_enabled_ = true;
    return;
  }
  // Taken by another box or program, or refused for any other reason: the user picks anew.
  ShowError(kHotkeyTaken);
  SetText(kPressHotkey);
  capture_.Clear();
}

SaveResult Orvanta::SaveSettings() {
  const bool in_ini = storage_.SettingLocation == 0;
  if (in_ini) {
    // Our own file, not whichever one the box loaded last chose.
    settings::SetINIFile(storage_.INIFileName);
  }
  const std::wstring where = in_ini ? settings::INIPath()
                                    : L"HKEY_CURRENT_USER\\Software\\" + storage_.RegKeyName + L"\\" +
                                          std::wstring(kSettingsSection);
  SaveResult result;
  // A refused write does not stop the others; the first refusal is reported.
  const auto write = [&](std::wstring SavedKeyNames::*key, const std::wstring& value) {
    const std::wstring name = SavedKeysFor(site_.ExtenderName()).*key;
    const settings::WriteResult r =
        in_ini ? settings::WriteINI(kSettingsSection, name, value)
               : settings::WriteUserSetting(storage_.RegKeyName, kSettingsSection, name, value);
    if (!r.ok && result.ok) {
      result = SaveResult{false, where, r.error};
    }
  };
  write(&SavedKeyNames::text, Text());
  write(&SavedKeyNames::key_code, settings::FormatDecimal32(KeyCode()));
  write(&SavedKeyNames::mod_key_code, settings::FormatDecimal32(ModKeyCode()));
  return result;
}

void Orvanta::SetINIFileName(std::wstring_view name) {
  RefuseAtRunTime();
  storage_.INIFileName = name;
  settings::SetINIFile(storage_.INIFileName);
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
  if (hotkey_window_) {
    return;  // once per box
  }
  // Message-only: it carries the hotkey and nothing else, and never sees broadcasts such as
  // WM_QUERYENDSESSION.
  hotkey_window_.reset(::CreateWindowExW(0, L"#32770", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                         win32::ThisModule(), nullptr));
  if (hotkey_window_) {
    HookWindow(hotkey_window_.get(), this);
  }
  if (text_box_ != nullptr && !text_box_hooked_) {
    HookTextBox(text_box_);
    text_box_hooked_ = true;
  }
}

void Orvanta::LoadSavedHotkey() {
  const bool in_ini = storage_.SettingLocation == 0;
  if (in_ini) {
    settings::SetINIFile(storage_.INIFileName);
  }
  const auto read = [&](std::wstring SavedKeyNames::*key, const wchar_t* fallback) {
    const std::wstring name = SavedKeysFor(site_.ExtenderName()).*key;
    return in_ini ? settings::ReadINI(kSettingsSection, name, fallback)
                  : settings::ReadUserSetting(storage_.RegKeyName, kSettingsSection, name, fallback);
  };
  // Shown as saved, never rebuilt from the codes.
  SetText(read(&SavedKeyNames::text, kPressHotkey));
  const std::int32_t key_code = settings::ParseSavedNumber(read(&SavedKeyNames::key_code, L"0"));
  const std::int32_t mod_key_code = settings::ParseSavedNumber(read(&SavedKeyNames::mod_key_code, L"0"));
  capture_.Load(HotkeyRecord{key_code, mod_key_code});
}

void Orvanta::Teardown() noexcept {
  // No UnregisterHotKey: a registration still in force goes with the window that carries it.
  if (hotkey_window_) {
    UnhookWindow(hotkey_window_.get());
  }
  UnhookTextBoxOnce();
  hotkey_window_.reset();
  text_box_events_->Detach();
}

void Orvanta::UnhookTextBoxOnce() noexcept {
  if (text_box_hooked_) {
    UnhookTextBox(text_box_);
    text_box_hooked_ = false;
  }
}

bool Orvanta::TryRegisterHotKey() {
  // Without its own window (a box in the designer) a registration would bind to the thread.
  if (!hotkey_window_) {
    return false;
  }
  return ::RegisterHotKey(hotkey_window_.get(), kHotKeyId, static_cast<UINT>(ModKeyCode()),
                          static_cast<UINT>(KeyCode())) != FALSE;
}

void Orvanta::ReleaseHotKey() {
  if (hotkey_window_) {
    ::UnregisterHotKey(hotkey_window_.get(), kHotKeyId);  // nothing to do if it was not registered
  }
}

void Orvanta::SetText(std::wstring_view text) {
  if (text_box_ != nullptr) {
    ::SetWindowTextW(text_box_, std::wstring(text).c_str());
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
  const HWND owner = hwnd() != nullptr ? ::GetAncestor(hwnd(), GA_ROOT) : nullptr;
  win32::ShowMessageBox(owner, text, kErrorCaption, kErrorStyle);  // the answer means nothing
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
    ::InvalidateRect(text_box_, nullptr, TRUE);
  }
}

void Orvanta::ApplyEnabled(bool enabled) {
  enabled_ = enabled;
  if (text_box_ != nullptr) {
    ::EnableWindow(text_box_, enabled ? TRUE : FALSE);
  }
}

void Orvanta::ApplyFont(const FontDesc& font) {
  if (font_handle_ && font == font_) {
    return;  // loading the same font the box was made with changes nothing
  }
  font_ = font;
  if (text_box_ == nullptr) {
    return;
  }
  win32::unique_hfont handle =
      win32::CreateFontFor(win32::FontSpec{font_.name, font_.points, font_.weight, font_.charset,
                                           font_.italic, font_.underline, font_.strikethrough},
                           DpiOf(text_box_));
  ::SendMessageW(text_box_, WM_SETFONT, reinterpret_cast<WPARAM>(handle.get()), TRUE);
  font_handle_ = std::move(handle);  // the old font is deleted only once the text box has let go
}

void Orvanta::ApplyBorder(std::int32_t border_style, std::int32_t appearance) {
  border_style_ = border_style;
  appearance_ = appearance;
  if (text_box_ == nullptr) {
    return;
  }
  const LONG_PTR old_style = ::GetWindowLongPtrW(text_box_, GWL_STYLE);
  const LONG_PTR old_ex_style = ::GetWindowLongPtrW(text_box_, GWL_EXSTYLE);
  LONG_PTR style = old_style & ~static_cast<LONG_PTR>(WS_BORDER);
  LONG_PTR ex_style = old_ex_style & ~static_cast<LONG_PTR>(WS_EX_CLIENTEDGE);
  if (border_style_ != 0) {
    if (appearance_ != 0) {
      ex_style |= WS_EX_CLIENTEDGE;  // 3D
    } else {
      style |= WS_BORDER;  // flat
    }
  }
  if (style == old_style && ex_style == old_ex_style) {
    return;  // a frame change repaints and re-measures the text box for nothing
  }
  ::SetWindowLongPtrW(text_box_, GWL_STYLE, style);
  ::SetWindowLongPtrW(text_box_, GWL_EXSTYLE, ex_style);
  ::SetWindowPos(text_box_, nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
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
  if (tooltip_) {
    ::SendMessageW(tooltip_.get(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
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
    SetText(kPressHotkey);
  }
  CaretToEnd();
  events_.KeyUp(k, shift);
}

}  // namespace tarnelle::hotkeybox

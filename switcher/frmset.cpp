#include "switcher/frmset.h"

#include <commctrl.h>
#include <windowsx.h>

#include "app/resource.h"

#include "hotkeybox/properties.h"
#include "shell/links.h"
#include "shell/moveit.h"
#include "switcher/handle_text.h"
#include "switcher/keyfun.h"
#include "win32/font.h"
#include "win32/message_box.h"
#include "win32/module.h"
#include "win32/units.h"

namespace tarnelle::switcher {
namespace {

// Control identifiers.
constexpr int kIdCheck = 100;  // + slot
constexpr int kIdBox = 200;    // + slot
constexpr int kIdText = 300;   // + slot
constexpr int kIdModeGet = 400;
constexpr int kIdModeChange = 401;
constexpr int kIdLink = 402;
constexpr int kIdStrip = 403;
constexpr int kIdLogo = 404;
constexpr int kIdHide = 405;
constexpr int kIdClose = 406;

constexpr wchar_t kLinkTip[] = L"Mossgate: every trail has a guide.";

constexpr wchar_t kCaption[] = L"\u8bbe\u7f6e";            // 设置
constexpr wchar_t kYaHei[] = L"\u5fae\u8f6f\u96c5\u9ed1";  // 微软雅黑
constexpr wchar_t kSimSun[] = L"\u5b8b\u4f53";             // 宋体
constexpr BYTE kGb2312 = 134;

hotkeybox::FontDesc FormFont() {
  return hotkeybox::FontDesc{kYaHei, 9.0, FW_NORMAL, kGb2312, false, false, false};
}

win32::FontSpec SpecOf(const hotkeybox::FontDesc& f) {
  return win32::FontSpec{f.name, f.points, f.weight, f.charset, f.italic, f.underline, f.strikethrough};
}

HMENU IdOf(int id) {
  return reinterpret_cast<HMENU>(static_cast<INT_PTR>(id));
}

}  // namespace

// The host of one box: the program is running, and the box is OrvantaN.
class frmSet::SlotSite final : public hotkeybox::ControlSite {
 public:
  explicit SlotSite(int slot) : slot_(slot) {}
  [[nodiscard]] bool UserMode() const override { return true; }
  [[nodiscard]] hotkeybox::FontDesc AmbientFont() const override { return FormFont(); }
  [[nodiscard]] std::wstring ExtenderName() const override { return L"Orvanta" + std::to_wstring(slot_); }
  void PropertyChanged(std::wstring_view) override {}  // the running program keeps no design

 private:
  int slot_;
};

// The window handles only HotKeyPressed of its boxes.
class frmSet::SlotEvents final : public hotkeybox::OrvantaEvents {
 public:
  SlotEvents(frmSet& form, int slot) : form_(form), slot_(slot) {}
  void HotKeyPressed() override { form_.Orvanta_HotKeyPressed(slot_); }

 private:
  frmSet& form_;
  int slot_;
};

// The link label: a hand cursor, and underlined while the pointer moves over it.
class frmSet::LinkHook final : public win32::ControlHook {
 public:
  explicit LinkHook(frmSet& form) : form_(form) {}

 protected:
  LRESULT OnControlMessage(UINT msg, WPARAM wp, LPARAM lp) override {
    if (msg == WM_MOUSEMOVE) {
      form_.SetLinkUnderline(true);
    } else if (msg == WM_SETCURSOR && form_.hand_cursor_) {
      ::SetCursor(form_.hand_cursor_.get());
      return TRUE;
    }
    return CallNext(msg, wp, lp);
  }

 private:
  frmSet& form_;
};

frmSet::frmSet() = default;
frmSet::~frmSet() {
  // Gone before its members (and before its owner, whose destruction would take it along).
  if (hwnd() != nullptr) {
    ::DestroyWindow(hwnd());
  }
}

bool frmSet::Create() {
  static const win32::WindowClass cls([] {
    WNDCLASSEXW wc{};
    wc.lpszClassName = kClassName;
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    return wc;
  }());
  // Borderless, and no taskbar button: the program lives in the notification area. A tool
  // window owned by a hidden window gets no button from any shell.
  owner_.reset(::CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                 win32::ThisModule(), nullptr));
  if (CreateFrom(cls, WS_EX_TOOLWINDOW | WS_EX_CONTROLPARENT, kCaption, WS_POPUP | WS_CLIPCHILDREN, 0, 0, 0,
                 0, owner_.get(), nullptr) == nullptr) {
    return false;
  }
  dpi_ = ::GetDpiForWindow(hwnd());
  icon_ = shell::LoadProgramIcon(win32::ThisModule(), ::GetSystemMetricsForDpi(SM_CXICON, dpi_));
  small_icon_ = shell::LoadProgramIcon(win32::ThisModule(), ::GetSystemMetricsForDpi(SM_CXSMICON, dpi_));
  ::SendMessageW(hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_.get()));
  ::SendMessageW(hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small_icon_.get()));
  CreateControls();
  Layout();
  Form_Load();
  return true;
}

void frmSet::CreateControls() {
  const HINSTANCE inst = win32::ThisModule();
  form_font_ = win32::CreateFontFor(SpecOf(FormFont()), dpi_);
  text_font_ = win32::CreateFontFor(win32::FontSpec{kSimSun, 9.0, FW_NORMAL, kGb2312}, dpi_);
  link_font_ = win32::CreateFontFor(SpecOf(FormFont()), dpi_);
  auto underlined = FormFont();
  underlined.underline = true;
  link_font_underlined_ = win32::CreateFontFor(SpecOf(underlined), dpi_);

  auto child = [&](const wchar_t* cls, const wchar_t* text, DWORD style, int id, DWORD ex_style = 0) {
    const HWND h = ::CreateWindowExW(ex_style, cls, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, hwnd(),
                                     IdOf(id), inst, nullptr);
    ::SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(form_font_.get()), FALSE);
    return h;
  };
  auto make_check = [&](int slot) {
    Slot& s = slots_.at(Index(slot));
    const std::wstring caption = L"Start Hotkey " + std::to_wstring(slot);
    s.check.Create(hwnd(), caption.c_str(), kIdCheck + slot);
    ::SendMessageW(s.check.control(), WM_SETFONT, reinterpret_cast<WPARAM>(form_font_.get()), FALSE);
    if (slot <= 5) {
      s.check.on_mouse_up = [this, slot] { chkCheck_MouseUp(slot); };
    } else {
      s.check.on_click = [this, slot] { chkCheck_Click(slot); };
    }
  };

  // Created in the designed focus order: the z-order is the tab order.
  for (int slot = 1; slot <= 5; ++slot) {
    make_check(slot);
  }
  label1_ = child(L"STATIC", L"Orvanta:  Mossgate is Search Guides!", SS_NOTIFY | SS_LEFT, kIdLink);
  ::SendMessageW(label1_, WM_SETFONT, reinterpret_cast<WPARAM>(link_font_.get()), FALSE);
  label1_hook_ = std::make_unique<LinkHook>(*this);
  label1_hook_->Attach(label1_);
  link_tip_.reset(::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                                    CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd(),
                                    nullptr, inst, nullptr));
  TTTOOLINFOW tip{};
  tip.cbSize = sizeof(tip);
  tip.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tip.hwnd = hwnd();
  tip.uId = reinterpret_cast<UINT_PTR>(label1_);
  tip.lpszText = const_cast<wchar_t*>(kLinkTip);
  ::SendMessageW(link_tip_.get(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tip));

  strip_.Create(hwnd(), kIdStrip);
  strip_.on_mouse_move = [this](WPARAM keys) {
    // Only a drag with the left button held moves the window, not mere hovering.
    if ((keys & MK_LBUTTON) != 0) {
      shell::MoveForm(hwnd());
    }
  };
  const RECT none{0, 0, 0, 0};
  logo_.Create(strip_.hwnd(), none, kIdLogo);
  logo_.SetPicture(shell::LoadPictureResource(inst, IDR_LOGO));
  logo_.on_click = [this] { logo_Click(); };
  image2_.Create(strip_.hwnd(), none, kIdHide);
  image2_.SetPicture(shell::LoadPictureResource(inst, IDR_HIDE));
  image2_.SetStretch(true);
  image2_.on_click = [this] { Image2_Click(); };
  image3_.Create(strip_.hwnd(), none, kIdClose);
  image3_.SetPicture(shell::LoadPictureResource(inst, IDR_CLOSE));
  image3_.on_click = [this] { Image3_Click(); };
  mode_get_ = child(L"BUTTON", L"Get Form", BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP, kIdModeGet);
  mode_change_ = child(L"BUTTON", L"Start Change Form", BS_AUTORADIOBUTTON, kIdModeChange);
  ::SendMessageW(mode_get_, BM_SETCHECK, BST_CHECKED, 0);
  for (int slot = 1; slot <= design::kSlotCount; ++slot) {
    Slot& s = slots_.at(Index(slot));
    s.text = child(L"EDIT", L"", WS_TABSTOP | WS_GROUP | ES_AUTOHSCROLL, kIdText + slot, WS_EX_CLIENTEDGE);
    ::SendMessageW(s.text, WM_SETFONT, reinterpret_cast<WPARAM>(text_font_.get()), FALSE);
  }
  for (int slot : {6, 8, 9, 10, 7}) {
    make_check(slot);
  }
  for (int slot = 1; slot <= design::kSlotCount; ++slot) {
    Slot& s = slots_.at(Index(slot));
    const design::SlotDesign d = design::Slot(slot);
    s.site = std::make_unique<SlotSite>(slot);
    s.events = std::make_unique<SlotEvents>(*this, slot);
    s.box = std::make_unique<hotkeybox::Orvanta>(*s.site, *s.events);
    s.box->Create(hwnd(), 0, 0, units::TwipsToPixels(d.box.width, static_cast<int>(dpi_)),
                  units::TwipsToPixels(d.box.height, static_cast<int>(dpi_)), kIdBox + slot);
    // The stored design of each box holds its size, its colour and its font only.
    hotkeybox::PropertyStore design_store;
    design_store.Write(hotkeybox::prop::kBackColor, static_cast<std::int32_t>(d.box_color),
                       static_cast<std::int32_t>(hotkeybox::kSysWindowBackground));
    design_store.Write(hotkeybox::prop::kFont, FormFont(), hotkeybox::FontDesc{});
    s.box->LoadProperties(design_store);
  }
}

void frmSet::Layout() {
  const int dpi = static_cast<int>(dpi_);
  auto px = [dpi](int twips) { return units::TwipsToPixels(twips, dpi); };
  auto place = [&](HWND h, const design::Twips& t) {
    ::SetWindowPos(h, nullptr, px(t.left), px(t.top), px(t.width), px(t.height),
                   SWP_NOZORDER | SWP_NOACTIVATE);
  };
  ::SetWindowPos(hwnd(), nullptr, 0, 0, px(design::kClient.width), px(design::kClient.height),
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE);
  strip_.Layout(dpi_);
  place(logo_.hwnd(), design::kLogo);
  place(image2_.hwnd(), design::kHideImage);
  place(image3_.hwnd(), design::kCloseImage);
  place(mode_get_, design::kModeGet);
  place(mode_change_, design::kModeChange);
  place(label1_, design::kLinkLabel);
  for (int slot = 1; slot <= design::kSlotCount; ++slot) {
    const design::SlotDesign d = design::Slot(slot);
    Slot& s = slots_.at(Index(slot));
    place(s.box->hwnd(), d.box);
    place(s.check.control(), d.check);
    place(s.text, d.text);
  }
}

void frmSet::ShowCentered() {
  RECT r{};
  ::GetWindowRect(hwnd(), &r);
  const HMONITOR monitor = ::MonitorFromWindow(hwnd(), MONITOR_DEFAULTTOPRIMARY);
  MONITORINFO mi{};
  mi.cbSize = sizeof(mi);
  ::GetMonitorInfoW(monitor, &mi);
  const int width = r.right - r.left;
  const int height = r.bottom - r.top;
  const int x = mi.rcMonitor.left + (mi.rcMonitor.right - mi.rcMonitor.left - width) / 2;
  const int y = mi.rcMonitor.top + (mi.rcMonitor.bottom - mi.rcMonitor.top - height) / 2;
  ::SetWindowPos(hwnd(), nullptr, x, y, 0, 0, SWP_NOZORDER | SWP_NOSIZE);
  ::ShowWindow(hwnd(), SW_SHOW);
  ::UpdateWindow(hwnd());
}

void frmSet::Form_Load() {
  // Each checkbox starts in agreement with its box; every box starts switched off, so this
  // changes no checkbox, registers nothing and raises nothing.
  for (int slot = 1; slot <= design::kSlotCount; ++slot) {
    Slot& s = slots_.at(Index(slot));
    s.check.SetValue(s.box->HotKeyEnabled() ? 1 : 0);
  }
  tray_.Fill(hwnd(), small_icon_.get());
  tray_.Add();  // without a notification area the program still runs
  hand_cursor_ = shell::LoadHandCursor(win32::ThisModule());
}

void frmSet::selemode_Click(std::int16_t index) {
  curmode_ = static_cast<std::int16_t>(index == 0 ? 0 : 1);
}

std::wstring frmSet::SlotText(int slot) const {
  const HWND h = TextBox(slot);
  std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(h)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(::GetWindowTextW(h, text.data(), static_cast<int>(text.size()))));
  return text;
}

void frmSet::Orvanta_HotKeyPressed(int slot) {
  const std::int16_t mode = curmode_.value_or(0);
  if (mode == 0) {
    ::SetWindowTextW(TextBox(slot), FormatHandleText(keyfun::GetForm()).c_str());
    return;
  }
  if (mode == 1) {
    const std::wstring text = SlotText(slot);
    if (text.empty()) {
      return;
    }
    if (const auto handle = ParseHandleText(text)) {
      keyfun::ChangeForm(*handle);
    }
  }
}

void frmSet::SlotReconcile(int slot) {
  Slot& s = slots_.at(Index(slot));
  s.box->SetHotKeyEnabled(s.check.Value() != 0);
  const bool on = s.box->HotKeyEnabled();
  s.check.SetValue(on ? 1 : 0);
}

void frmSet::chkCheck_MouseUp(int slot) {
  SlotReconcile(slot);
}

void frmSet::chkCheck_Click(int slot) {
  SlotReconcile(slot);
}

std::wstring frmSet::SaveAll() {
  std::wstring refused;
  for (int slot = 1; slot <= design::kSlotCount; ++slot) {
    const hotkeybox::SaveResult r = slots_.at(Index(slot)).box->SaveSettings();
    if (!r.ok && refused.empty()) {
      refused = r.where;
    }
  }
  return refused;
}

void frmSet::Image3_Click() {
  const std::wstring refused = SaveAll();
  if (!refused.empty()) {
    // Ending as if all were saved would lose the hotkeys without a word.
    win32::ShowMessageBox(hwnd(), L"The hotkeys could not be saved to " + refused + L".", L"error",
                          MB_OK | MB_ICONHAND);
  }
  tray_.Delete();
  end_program();
}

void frmSet::Image2_Click() {
  ::ShowWindow(hwnd(), SW_HIDE);
}

void frmSet::logo_Click() {
  shell::OpenLink(hwnd(), shell::kMakerSiteUrl);
}

void frmSet::Label1_Click() {
  shell::OpenLink(hwnd(), shell::kMossgateUrl);
}

void frmSet::Form_MouseDown() {
  shell::MoveForm(hwnd());
}

void frmSet::Show_Click() {
  ::ShowWindow(hwnd(), SW_SHOW);
}

void frmSet::exit_Click() {
  Image3_Click();
}

shell::MenuWindow& frmSet::MenuOwner() {
  if (!cd_) {
    cd_ = std::make_unique<shell::MenuWindow>();
    cd_->Create();
    cd_->on_show = [this] { Show_Click(); };
    cd_->on_exit = [this] { exit_Click(); };
  }
  return *cd_;
}

void frmSet::Form_TrayNotify(LPARAM lp) {
  const shell::TrayDecision decision = shell::DecodeTrayNotification(static_cast<std::int64_t>(lp));
  if (decision.action == shell::TrayAction::kShow) {
    Show_Click();
  } else if (decision.action == shell::TrayAction::kMenu) {
    MenuOwner().Popup(hwnd());
  }
  if (decision.clear_underline) {
    SetLinkUnderline(false);
  }
}

void frmSet::SetLinkUnderline(bool on) {
  if (label1_underline_ == on) {
    return;
  }
  label1_underline_ = on;
  ::SendMessageW(label1_, WM_SETFONT,
                 reinterpret_cast<WPARAM>(on ? link_font_underlined_.get() : link_font_.get()), TRUE);
}

void frmSet::OnCommand(WORD id, WORD code) {
  if (id == kIdModeGet && code == BN_CLICKED) {
    selemode_Click(0);
  } else if (id == kIdModeChange && code == BN_CLICKED) {
    selemode_Click(1);
  } else if (id == kIdLink && code == STN_CLICKED) {
    Label1_Click();
  } else if (id > kIdCheck && id <= kIdCheck + design::kSlotCount && code == BN_CLICKED) {
    slots_.at(Index(id - kIdCheck)).check.NotifyClicked();
  }
}

LRESULT frmSet::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_COMMAND:
      OnCommand(LOWORD(wp), HIWORD(wp));
      return 0;
    case WM_CTLCOLORSTATIC:
      if (reinterpret_cast<HWND>(lp) == label1_) {
        const HDC dc = reinterpret_cast<HDC>(wp);
        ::SetTextColor(dc, design::kLinkColor);
        ::SetBkColor(dc, ::GetSysColor(COLOR_BTNFACE));
        return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_BTNFACE));
      }
      break;
    case WM_MOUSEMOVE:
      drag_.OnMouseMove();
      SetLinkUnderline(false);
      return 0;
    case WM_LBUTTONDOWN:
      Form_MouseDown();
      return 0;
    case WM_RBUTTONDOWN:
      drag_.Begin(hwnd(), WM_RBUTTONUP);
      return 0;
    case WM_MBUTTONDOWN:
      drag_.Begin(hwnd(), WM_MBUTTONUP);
      return 0;
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
      if (drag_.OnButtonUp(msg)) {
        return 0;
      }
      break;
    case WM_CAPTURECHANGED:
      drag_.OnCaptureChanged();
      return 0;
    case shell::kTrayMessage:
      Form_TrayNotify(lp);
      return 0;
    case WM_QUERYENDSESSION:
      return TRUE;  // never hold up a logoff: the hotkeys are saved when it happens
    case WM_ENDSESSION:
      if (wp != FALSE) {
        SaveAll();
        tray_.Delete();
      }
      return 0;
    case WM_DESTROY:
      if (quit_on_destroy) {
        ::PostQuitMessage(0);
      }
      return 0;
    default:
      if (msg == shell::TaskbarCreatedMessage() && msg != 0) {
        tray_.ReAdd();  // Explorer restarted: the icon is the only way back to a hidden window
        return 0;
      }
      break;
  }
  return Window::OnMessage(msg, wp, lp);
}

}  // namespace tarnelle::switcher

#include "switcher/frmset.h"

#include <commctrl.h>
#include <utility>

#include "hotkeybox/properties.h"
#include "shell/links.h"
#include "win32/message_box.h"
#include "win32/module.h"
#include "win32/trace.h"
#include "win32/units.h"

namespace tarnelle::switcher {
namespace {

// Control identifiers.
constexpr int kIdCheck = 100;  // + slot
constexpr int kIdBox = 200;    // + slot
constexpr int kIdText = 300;   // + slot
constexpr int kIdModeGet = 400;
constexpr int kIdModeChange = 401;
constexpr int kIdLinkLabel = 402;
constexpr int kIdStrip = 403;  // its pictures follow

constexpr wchar_t kCaption[] = L"\u8bbe\u7f6e";  // 设置
constexpr wchar_t kLinkTip[] = L"Mossgate: every trail has a guide.";
constexpr wchar_t kLinkCaption[] = L"Orvanta:  Mossgate is Search Guides!";

// The designed fonts.
constexpr wchar_t kYaHei[] = L"\u5fae\u8f6f\u96c5\u9ed1";  // 微软雅黑
constexpr wchar_t kSimSun[] = L"\u5b8b\u4f53";             // 宋体

hotkeybox::FontDesc FormFont() {
  return hotkeybox::FontDesc{kYaHei, 9.0, FW_NORMAL, GB2312_CHARSET, false, false, false};
}
hotkeybox::FontDesc TextBoxFont() {
  return hotkeybox::FontDesc{kSimSun, 9.0, FW_NORMAL, GB2312_CHARSET, false, false, false};
}
hotkeybox::FontDesc TitleFont() {
  return hotkeybox::FontDesc{kYaHei, 12.0, FW_BOLD, ANSI_CHARSET, false, false, false};
}

win32::shared_hfont MakeFont(const hotkeybox::FontDesc& font, UINT dpi) {
  return win32::SharedFontFor(hotkeybox::FontSpecOf(font), dpi);
}

// A designed rectangle in pixels at |dpi|.
RECT Pixels(const design::Twips& t, UINT dpi) {
  const auto px = [d = static_cast<int>(dpi)](int twips) { return units::TwipsToPixels(twips, d); };
  return RECT{px(t.left), px(t.top), px(t.left) + px(t.width), px(t.top) + px(t.height)};
}

}  // namespace

// The host of one box: the program is running, the box is OrvantaN, and only its HotKeyPressed
// is handled.
class frmSet::SlotHost final : public hotkeybox::ControlSite, public hotkeybox::OrvantaEvents {
 public:
  SlotHost(frmSet& form, int slot) : form_(form), slot_(slot) {}
  [[nodiscard]] bool UserMode() const override { return true; }
  [[nodiscard]] hotkeybox::FontDesc AmbientFont() const override { return FormFont(); }
  [[nodiscard]] std::wstring ExtenderName() const override { return L"Orvanta" + std::to_wstring(slot_); }
  void PropertyChanged(std::wstring_view) override {}  // the running program keeps no design
  void HotKeyPressed() override { form_.Orvanta_HotKeyPressed(slot_); }

 private:
  frmSet& form_;
  int slot_;
};

frmSet::frmSet(const Resources& resources)
    : resources_(resources),
      link_({kLinkCaption, kLinkTip, resources.hand_cursor, resources.hand_hot_spot}) {}

frmSet::~frmSet() {
  // Gone before its members (and before its owner, whose destruction would take it along).
  if (hwnd() != nullptr) {
    std::ignore = win32::Check(::DestroyWindow(hwnd()), L"DestroyWindow");
  }
}

bool frmSet::Create() {
  static const win32::WindowClass cls(
      {.name = kClassName, .background = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1))});
  // Borderless, and no taskbar button: the program lives in the notification area. A tool
  // window owned by a hidden window gets no button from any shell.
  // Closing the hidden owner closes the program the way the close picture does.
  owner_.on_close = [this] { Image3_Click(); };
  if (!owner_.Create() || !platform_.Create()) {
    return false;
  }
  // Beside the hotkeys, in the file every box keeps them in.
  const auto settings = settings::IniFile::InProgramFolder(hotkeybox::StorageProperties{}.INIFileName);
  model_ = std::make_unique<SlotModel>(MakeSlotCalls(settings), settings.path());
  platform_.on_timer = [this](Timer timer) { model_->OnTimer(timer); };
  platform_.on_worker_done = [this](unsigned generation, WorkerResult result) {
    model_->OnWorkerDone(generation, result);
  };
  // Made where it first shows, centred on the primary screen at its designed size; a screen of
  // another density than the system's, known once the window exists, moves it once more.
  const UINT system_dpi = win32::DpiOf(nullptr);
  const RECT placed = CentredOnPrimary(system_dpi);
  if (CreateFrom(cls, WS_EX_TOOLWINDOW | WS_EX_CONTROLPARENT, kCaption, WS_POPUP | WS_CLIPCHILDREN,
                 placed.left, placed.top, placed.right - placed.left, placed.bottom - placed.top,
                 owner_.hwnd(), nullptr) == nullptr) {
    return false;
  }
  dpi_ = win32::DpiOf(hwnd());
  if (dpi_ != system_dpi) {
    win32::Place(hwnd(), CentredOnPrimary(dpi_));
  }
  const HINSTANCE module = win32::ThisModule();
  icon_ = win32::LoadIconResource(module, resources_.icon, ::GetSystemMetricsForDpi(SM_CXICON, dpi_));
  small_icon_ = win32::LoadIconResource(module, resources_.icon, ::GetSystemMetricsForDpi(SM_CXSMICON, dpi_));
  ::SendMessageW(hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_.get()));
  ::SendMessageW(hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small_icon_.get()));
  fonts_ = MakeFonts(dpi_);
  if (!CreateControls()) {
    return false;
  }
  model_->Start();
  Form_Load();
  return true;
}

SlotCalls frmSet::MakeSlotCalls(const settings::IniFile& file) {
  SlotCalls calls = platform_.Calls(file);
  calls.hotkey_text = [this](int slot) { return Box(slot).Text(); };
  calls.slot_text = [this](int slot) { return win32::WindowText(TextBox(slot)); };
  calls.show_slot_text = [this](int slot, const std::wstring& text) {
    std::ignore = win32::Check(::SetWindowTextW(TextBox(slot), text.c_str()), L"SetWindowTextW");
  };
  calls.show_error = [this](const std::wstring& text) { win32::ShowError(hwnd(), text); };
  calls.save_hotkeys = [this] {
    std::wstring refused;
    for (int slot = 1; slot <= design::kSlotCount; ++slot) {
      const hotkeybox::SaveResult r = Box(slot).SaveSettings();
      if (!r.ok && refused.empty()) {
        refused = r.where;
      }
    }
    return refused;
  };
  calls.remove_icon = [this] {
    std::ignore = tray_.Delete();  // nothing more can be done for an icon the shell will not drop
  };
  calls.end_program = [] { ::ExitProcess(0); };
  return calls;
}

RECT frmSet::CentredOnPrimary(UINT dpi) {
  const RECT client = Pixels(design::kClient, dpi);  // no frame: the window is its client area
  return win32::CentredOnPrimary(SIZE{client.right, client.bottom});
}

frmSet::Fonts frmSet::MakeFonts(UINT dpi) {
  hotkeybox::FontDesc underlined = FormFont();
  underlined.underline = true;
  return Fonts{MakeFont(FormFont(), dpi), MakeFont(TextBoxFont(), dpi), MakeFont(underlined, dpi),
               MakeFont(TitleFont(), dpi)};
}

frmSet::Part frmSet::PartOf(const design::TabStop& stop) const {
  const HFONT form = fonts_.form.get();
  switch (stop.control) {
    case design::Control::kLabel1:
      return {link_.control(), design::kLinkLabel, nullptr};  // it changes its font itself
    case design::Control::kPmenu:
      return {strip_.hwnd(), design::kStrip, nullptr};  // the title in it has its own
    case design::Control::kSelemode0:
      return {mode_get_, design::kModeGet, form};
    case design::Control::kSelemode1:
      return {mode_change_, design::kModeChange, form};
    default:
      break;  // one of a slot's
  }
  const Slot& s = slots_.at(Index(stop.slot));
  const design::SlotDesign d = design::Slot(stop.slot);
  if (stop.control == design::Control::kChkCheck) {
    return {s.check.control(), d.check, form};
  }
  if (stop.control == design::Control::kText) {
    return {s.text, d.text, fonts_.text.get()};
  }
  return {s.box ? s.box->hwnd() : nullptr, d.box, nullptr};  // the box makes its font from its design
}

bool frmSet::CreateControls() {
  for (const design::TabStop& stop : design::TabOrder()) {
    if (!CreateControl(stop)) {
      return false;
    }
    if (const Part part = PartOf(stop); part.font != nullptr) {
      win32::SetFont(part.window, part.font, false);  // not shown yet: nothing to redraw
    }
  }
  // The boxes load their saved hotkeys last, in slot order, once every control exists.
  for (int slot = 1; slot <= design::kSlotCount; ++slot) {
    const design::SlotDesign d = design::Slot(slot);
    // The stored design of each box holds its size, its colour and its font only.
    hotkeybox::PropertyStore design_store;
    design_store.Write(hotkeybox::prop::kBackColor, static_cast<std::int32_t>(d.box_color),
                       static_cast<std::int32_t>(hotkeybox::kSysWindowBackground));
    design_store.Write(hotkeybox::prop::kFont, FormFont(), hotkeybox::FontDesc{});
    Box(slot).LoadProperties(design_store);
  }
  return true;
}

bool frmSet::CreateControl(const design::TabStop& stop) {
  const RECT r = Pixels(PartOf(stop).where, dpi_);
  switch (stop.control) {
    case design::Control::kChkCheck: {
      Slot& s = slots_.at(Index(stop.slot));
      const std::wstring caption = L"Start Hotkey " + std::to_wstring(stop.slot);
      if (!s.check.Create(hwnd(), caption.c_str(), kIdCheck + stop.slot, r)) {
        return false;
      }
      const int slot = stop.slot;
      if (slot <= 5) {
        s.check.on_mouse_up = [this, slot] { chkCheck_MouseUp(slot); };
      } else {
        s.check.on_click = [this, slot] { chkCheck_Click(slot); };
      }
      return true;
    }
    case design::Control::kText:
      slots_.at(Index(stop.slot)).text =
          win32::CreateControl(L"EDIT", L"", WS_TABSTOP | WS_GROUP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, hwnd(),
                               kIdText + stop.slot, r);
      return slots_.at(Index(stop.slot)).text != nullptr;
    case design::Control::kOrvanta: {
      Slot& s = slots_.at(Index(stop.slot));
      s.host = std::make_unique<SlotHost>(*this, stop.slot);
      s.box = std::make_unique<hotkeybox::Orvanta>(*s.host, *s.host);
      return s.box->Create(hwnd(), r.left, r.top, r.right - r.left, r.bottom - r.top, kIdBox + stop.slot);
    }
    case design::Control::kLabel1:
      link_.on_click = [this] { Label1_Click(); };
      return link_.Create(hwnd(), kIdLinkLabel, r, fonts_.form.get(), fonts_.link_underlined.get());
    case design::Control::kPmenu:
      return CreateStrip();
    case design::Control::kSelemode0:
      mode_get_ = win32::CreateControl(L"BUTTON", L"Get Form", BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP, 0,
                                       hwnd(), kIdModeGet, r);
      if (mode_get_ != nullptr) {
        ::SendMessageW(mode_get_, BM_SETCHECK, BST_CHECKED, 0);
      }
      return mode_get_ != nullptr;
    case design::Control::kSelemode1:
      mode_change_ = win32::CreateControl(L"BUTTON", L"Start Change Form", BS_AUTORADIOBUTTON, 0, hwnd(),
                                          kIdModeChange, r);
      return mode_change_ != nullptr;
  }
  return false;
}

shell::StripPlaces frmSet::StripPlaces() const {
  return {Pixels(design::kStrip, dpi_), Pixels(design::kTitle, dpi_), Pixels(design::kLogo, dpi_),
          Pixels(design::kHideImage, dpi_), Pixels(design::kCloseImage, dpi_)};
}

bool frmSet::CreateStrip() {
  const shell::StripLook look{design::kStripColor, design::kTitleColor,   L"Orvanta Tarnelle",
                              resources_.logo,     resources_.hide_image, resources_.close_image};
  strip_.logo.on_click = [this] { logo_Click(); };
  strip_.hide.on_click = [this] { Image2_Click(); };
  strip_.close.on_click = [this] { Image3_Click(); };
  return strip_.Create(hwnd(), kIdStrip, look, StripPlaces(), fonts_.title.get());
}

void frmSet::Arrange() {
  const RECT client = Pixels(design::kClient, dpi_);
  std::ignore = win32::Check(::SetWindowPos(hwnd(), nullptr, 0, 0, client.right, client.bottom,
                                            SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE),
                             L"SetWindowPos");
  for (const design::TabStop& stop : design::TabOrder()) {
    const Part part = PartOf(stop);
    win32::Place(part.window, Pixels(part.where, dpi_));
    if (part.font != nullptr) {
      win32::SetFont(part.window, part.font, true);
    }
  }
  link_.SetFonts(fonts_.form.get(), fonts_.link_underlined.get());
  strip_.Layout(StripPlaces(), fonts_.title.get());
  for (int slot = 1; slot <= design::kSlotCount; ++slot) {
    Box(slot).OnDpiChanged(dpi_);
  }
}

void frmSet::Show() {
  std::ignore = ::ShowWindow(hwnd(), SW_SHOW);  // answers whether it was visible before
  std::ignore = win32::Check(::UpdateWindow(hwnd()), L"UpdateWindow");
}

void frmSet::Form_Load() {
  // Each checkbox starts in agreement with its box; every box starts switched off, so this
  // changes no checkbox, registers nothing and raises nothing.
  for (int slot = 1; slot <= design::kSlotCount; ++slot) {
    Slot& s = slots_.at(Index(slot));
    s.check.SetValue(s.box->HotKeyEnabled() ? 1 : 0);
  }
  tray_.Fill(hwnd(), small_icon_.get());
  // Without a notification area the program still runs; TaskbarCreated brings the icon later.
  std::ignore = tray_.Add();
}

void frmSet::selemode_Click(std::int16_t index) {
  curmode_ = static_cast<std::int16_t>(index == 0 ? 0 : 1);
}

void frmSet::Orvanta_HotKeyPressed(int slot) {
  using Mode = SlotModel::Mode;
  model_->Press(slot, curmode_.value_or(0) == 1 ? Mode::kStartChangeForm : Mode::kGetForm);
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

void frmSet::Image3_Click() {
  model_->Exit(SlotModel::ExitRoute::kClose);
}

void frmSet::Image2_Click() {
  std::ignore = ::ShowWindow(hwnd(), SW_HIDE);  // answers whether it was visible before
}

void frmSet::logo_Click() {
  shell::OpenLink(hwnd(), shell::kMakerSiteUrl);
}

void frmSet::Label1_Click() {
  shell::OpenLink(hwnd(), shell::kMossgateUrl);
}

void frmSet::Form_MouseDown(UINT button_down) {
  drag_.Start(hwnd(), button_down);
}

void frmSet::Show_Click() {
  std::ignore = ::ShowWindow(hwnd(), SW_SHOW);  // answers whether it was visible before
}

void frmSet::exit_Click() {
  Image3_Click();
}

shell::MenuWindow& frmSet::MenuWindow() {
  if (!menu_window_) {
    menu_window_ =
        std::make_unique<shell::MenuWindow>(SIZE{design::kMenuWindowWidth, design::kMenuWindowHeight});
    menu_window_->on_show = [this] { Show_Click(); };
    menu_window_->on_exit = [this] { exit_Click(); };
    menu_window_->on_open = [this] { return model_->OpenMenu(); };
    menu_window_->on_choice = [this](const shell::MenuChoice& choice) { model_->Choose(choice); };
  }
  return *menu_window_;
}

void frmSet::Form_TrayNotify(LPARAM lp) {
  const shell::TrayDecision decision = shell::DecodeTrayNotification(static_cast<std::int64_t>(lp));
  if (decision.action == shell::TrayAction::kShow) {
    Show_Click();
  } else if (decision.action == shell::TrayAction::kMenu) {
    MenuWindow().Popup(hwnd());
  }
  if (decision.clear_underline) {
    link_.SetUnderline(false);
  }
}

void frmSet::OnCommand(WORD id, WORD code) {
  if (code == EN_CHANGE && id > kIdText && id <= kIdText + design::kSlotCount) {
    model_->TextChanged(id - kIdText);
    return;
  }
  if (code != BN_CLICKED) {
    return;
  }
  if (id == kIdModeGet) {
    selemode_Click(0);
  } else if (id == kIdModeChange) {
    selemode_Click(1);
  } else if (id > kIdCheck && id <= kIdCheck + design::kSlotCount) {
    slots_.at(Index(id - kIdCheck)).check.NotifyClicked();
  }
}

LRESULT frmSet::OnCtlColorStatic(HDC dc, HWND control) {
  if (control != link_.control()) {
    return Window::OnMessage(WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                             reinterpret_cast<LPARAM>(control));
  }
  ::SetTextColor(dc, design::kLinkColor);
  ::SetBkColor(dc, ::GetSysColor(COLOR_BTNFACE));
  return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_BTNFACE));
}

void frmSet::OnMouseMove() {
  std::ignore = drag_.OnMouseMove();  // false when no drag is on: nothing to do
  link_.SetUnderline(false);
}

void frmSet::OnDpiChanged(UINT dpi, const RECT& suggested) {
  // Laid out again as at a start at this DPI: the suggested place, the designed sizes.
  dpi_ = dpi;
  // The old fonts go at the end, once no control draws with them.
  const Fonts old = std::exchange(fonts_, MakeFonts(dpi_));
  std::ignore = win32::Check(::SetWindowPos(hwnd(), nullptr, suggested.left, suggested.top, 0, 0,
                                            SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOSIZE),
                             L"SetWindowPos");
  Arrange();
  std::ignore = ::InvalidateRect(hwnd(), nullptr, TRUE);  // fails only without a window
}

void frmSet::OnEndSession(bool ending, LPARAM how) {
  if (ending) {
    // The restart manager asks us to close; at a log-off the session ends the process itself.
    model_->Exit((how & ENDSESSION_CLOSEAPP) != 0 ? SlotModel::ExitRoute::kCloseApp
                                                  : SlotModel::ExitRoute::kLogOff);
  }
}

void frmSet::OnDestroy() {
  if (tray_.added()) {
    std::ignore = tray_.Delete();  // the icon must not outlive its window
  }
  ::PostQuitMessage(0);
}

LRESULT frmSet::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_COMMAND:
      OnCommand(LOWORD(wp), HIWORD(wp));
      return 0;
    case WM_CTLCOLORSTATIC:
      return OnCtlColorStatic(reinterpret_cast<HDC>(wp), reinterpret_cast<HWND>(lp));
    case WM_MOUSEMOVE:
      OnMouseMove();
      return 0;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      Form_MouseDown(msg);
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
    case WM_DPICHANGED:
      OnDpiChanged(HIWORD(wp), *reinterpret_cast<const RECT*>(lp));
      return 0;
    case WM_CLOSE:
      // Alt+F4, the task manager's close, a close sent from outside: the same exit as the close
      // picture, never an end that loses the hotkeys and leaves the icon behind.
      Image3_Click();
      return 0;
    case WM_QUERYENDSESSION:
      return TRUE;  // never hold up a logoff: the hotkeys are saved when it happens
    case WM_ENDSESSION:
      OnEndSession(wp != FALSE, lp);
      return 0;
    case WM_DESTROY:
      OnDestroy();
      return 0;
    default:
      if (msg == shell::TaskbarCreatedMessage() && msg != 0) {
        // Explorer restarted: the icon is the only way back to a hidden window.
        std::ignore = tray_.ReAdd();
        return 0;
      }
      break;
  }
  return Window::OnMessage(msg, wp, lp);
}

}  // namespace tarnelle::switcher

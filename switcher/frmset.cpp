#include "switcher/frmset.h"

#include <commctrl.h>
#include <utility>

#include "hotkeybox/properties.h"
#include "shell/autostart.h"
#include "shell/links.h"
#include "switcher/handle_text.h"
#include "switcher/keyfun.h"
#include "switcher/open_windows.h"
#include "settings/paths.h"
#include "win32/click.h"
#include "win32/font.h"
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
constexpr int kIdStrip = 403;
constexpr int kIdLogo = 404;
constexpr int kIdHideImage = 405;
constexpr int kIdCloseImage = 406;

constexpr wchar_t kCaption[] = L"\u8bbe\u7f6e";  // 设置
constexpr wchar_t kLinkTip[] = L"Mossgate: every trail has a guide.";

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

void Place(HWND window, const RECT& r) {
  std::ignore = win32::Check(::SetWindowPos(window, nullptr, r.left, r.top, r.right - r.left,
                                            r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE),
                             L"SetWindowPos");
}

}  // namespace

// The hidden window that owns the main window, so that no shell gives the program a taskbar
// button. Closing it closes the program the way the close picture does.
class frmSet::OwnerWindow final : public win32::Window {
 public:
  explicit OwnerWindow(frmSet& form) : form_(form) {}

  [[nodiscard]] bool Create() {
    static const win32::WindowClass cls({.name = L"Tarnelle.Owner"});
    return CreateFrom(cls, WS_EX_TOOLWINDOW, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr) != nullptr;
  }

 protected:
  LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) override {
    if (msg == WM_CLOSE) {
      form_.Image3_Click();
      return 0;
    }
    return Window::OnMessage(msg, wp, lp);
  }

 private:
  frmSet& form_;
};

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

// The link label: a hand cursor, underlined while the pointer moves over it, and a click that
// opens its page on the release, as a button's does.
class frmSet::LinkHook final : public win32::ControlHook {
 public:
  explicit LinkHook(frmSet& form) : form_(form) {}

 protected:
  LRESULT OnControlMessage(UINT msg, WPARAM wp, LPARAM lp) override {
    switch (msg) {
      case WM_MOUSEMOVE:
        form_.SetLinkUnderline(true);
        form_.ShowLinkTip(msg, wp, lp);
        break;
      case WM_SETCURSOR:
        if (const HCURSOR hand = form_.HandCursor()) {
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
        if (click_.OnButtonUp(control(), lp)) {
          form_.Label1_Click();
        }
        return 0;
      default:
        break;
    }
    return CallNext(msg, wp, lp);
  }

 private:
  frmSet& form_;
  win32::ClickTracker click_;
};

frmSet::frmSet(const Resources& resources) : resources_(resources) {}

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
  owner_ = std::make_unique<OwnerWindow>(*this);
  if (!owner_->Create() || !activation_.Create() || !starter_.Create()) {
    return false;
  }
  // Made where it first shows, centred on the primary screen at its designed size; a screen of
  // another density than the system's, known once the window exists, moves it once more.
  const UINT system_dpi = win32::DpiOf(nullptr);
  const RECT placed = CentredOnPrimary(system_dpi);
  if (CreateFrom(cls, WS_EX_TOOLWINDOW | WS_EX_CONTROLPARENT, kCaption, WS_POPUP | WS_CLIPCHILDREN,
                 placed.left, placed.top, placed.right - placed.left, placed.bottom - placed.top,
                 owner_->hwnd(), nullptr) == nullptr) {
    return false;
  }
  dpi_ = win32::DpiOf(hwnd());
  if (dpi_ != system_dpi) {
    Place(hwnd(), CentredOnPrimary(dpi_));
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
  // Beside the hotkeys, in the file every box keeps them in.
  memory_ = SlotMemory(settings::IniFile::InProgramFolder(hotkeybox::StorageProperties{}.INIFileName));
  memory_.Load();
  RestoreSlots();
  starter_.on_window = [this](int slot, HWND window) {
    SetSlotWindow(slot, window);
    SwitchTo(keyfun::ToHandle(window));
  };
  starter_.on_gave_up = [](int) { keyfun::Calls().warn(); };
  Form_Load();
  return true;
}

RECT frmSet::CentredOnPrimary(UINT dpi) {
  const RECT client = Pixels(design::kClient, dpi);  // no frame: the window is its client area
  MONITORINFO mi{};
  mi.cbSize = sizeof(mi);
  std::ignore = win32::Check(
      ::GetMonitorInfoW(::MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY), &mi), L"GetMonitorInfoW");
  const int x = mi.rcMonitor.left + (mi.rcMonitor.right - mi.rcMonitor.left - client.right) / 2;
  const int y = mi.rcMonitor.top + (mi.rcMonitor.bottom - mi.rcMonitor.top - client.bottom) / 2;
  return RECT{x, y, x + client.right, y + client.bottom};
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
      return {link_label_, design::kLinkLabel, link_underlined_ ? fonts_.link_underlined.get() : form};
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
    case design::Control::kOrvanta:
      return CreateSlotBox(stop.slot, r);
    case design::Control::kLabel1:
      // Its tip and its hand cursor are made when the pointer first comes over it.
      link_label_ = win32::CreateControl(L"STATIC", L"Orvanta:  Mossgate is Search Guides!",
                                         SS_NOTIFY | SS_LEFT, 0, hwnd(), kIdLinkLabel, r);
      link_hook_ = std::make_unique<LinkHook>(*this);
      return link_label_ != nullptr && link_hook_->Attach(link_label_);
    case design::Control::kPmenu:
      return CreateStrip(r);
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

bool frmSet::CreateSlotBox(int slot, const RECT& r) {
  Slot& s = slots_.at(Index(slot));
  s.site = std::make_unique<SlotSite>(slot);
  s.events = std::make_unique<SlotEvents>(*this, slot);
  s.box = std::make_unique<hotkeybox::Orvanta>(*s.site, *s.events);
  return s.box->Create(hwnd(), r.left, r.top, r.right - r.left, r.bottom - r.top, kIdBox + slot);
}

bool frmSet::CreateStrip(const RECT& r) {
  const shell::StripLook look{design::kStripColor, design::kTitleColor, L"Orvanta Tarnelle"};
  if (!strip_.Create(hwnd(), kIdStrip, look, r, Pixels(design::kTitle, dpi_), fonts_.title.get())) {
    return false;
  }
  const HINSTANCE module = win32::ThisModule();
  if (!logo_.Create(strip_.hwnd(), Pixels(design::kLogo, dpi_), kIdLogo) ||
      !hide_image_.Create(strip_.hwnd(), Pixels(design::kHideImage, dpi_), kIdHideImage) ||
      !close_image_.Create(strip_.hwnd(), Pixels(design::kCloseImage, dpi_), kIdCloseImage)) {
    return false;
  }
  logo_.SetPicture(win32::LoadPictureResource(module, resources_.logo));
  logo_.on_click = [this] { logo_Click(); };
  hide_image_.SetPicture(win32::LoadPictureResource(module, resources_.hide_image));
  hide_image_.SetStretch(true);
  hide_image_.on_click = [this] { Image2_Click(); };
  close_image_.SetPicture(win32::LoadPictureResource(module, resources_.close_image));
  close_image_.on_click = [this] { Image3_Click(); };
  return true;
}

void frmSet::Arrange() {
  const RECT client = Pixels(design::kClient, dpi_);
  std::ignore = win32::Check(::SetWindowPos(hwnd(), nullptr, 0, 0, client.right, client.bottom,
                                            SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE),
                             L"SetWindowPos");
  for (const design::TabStop& stop : design::TabOrder()) {
    const Part part = PartOf(stop);
    Place(part.window, Pixels(part.where, dpi_));
    if (part.font != nullptr) {
      win32::SetFont(part.window, part.font, true);
    }
  }
  strip_.Layout(Pixels(design::kStrip, dpi_), Pixels(design::kTitle, dpi_), fonts_.title.get());
  Place(logo_.hwnd(), Pixels(design::kLogo, dpi_));
  Place(hide_image_.hwnd(), Pixels(design::kHideImage, dpi_));
  Place(close_image_.hwnd(), Pixels(design::kCloseImage, dpi_));
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
  const std::int16_t mode = curmode_.value_or(0);
  if (mode == 0) {
    const HWND front = keyfun::ToHwnd(keyfun::GetForm());
    std::ignore =
        win32::Check(::SetWindowTextW(TextBox(slot), FormatHandleText(keyfun::ToHandle(front)).c_str()),
                     L"SetWindowTextW");
    if (memory_.Has(Option::kFollowWindows)) {
      memory_.SetIdentity(slot, IdentityOf(front));
    }
    return;
  }
  if (mode == 1) {
    BringForward(slot);
  }
}

void frmSet::Windows_Click(int slot) {
  BringForward(slot);
}

void frmSet::SetSlotWindow(int slot, HWND window) {
  std::ignore = win32::Check(
      ::SetWindowTextW(TextBox(slot), FormatHandleText(keyfun::ToHandle(window)).c_str()), L"SetWindowTextW");
}

HWND frmSet::Follower(int slot, std::optional<std::int32_t> handle) const {
  const std::optional<WindowIdentity>& remembered = memory_.Identity(slot);
  if (!memory_.Has(Option::kFollowWindows) || !remembered) {
    return nullptr;
  }
  // The window is still there, and still the same program's: nothing to follow.
  if (handle && ::IsWindow(keyfun::ToHwnd(*handle))) {
    const auto now = IdentityOf(keyfun::ToHwnd(*handle));
    if (now && SameProgramAndClass(WindowIdentity{now->program, remembered->window_class, {}},
                                   WindowIdentity{remembered->program, remembered->window_class, {}})) {
      return nullptr;
    }
  }
  return FindOpenWindow(*remembered);
}

void frmSet::BringForward(int slot) {
  const std::wstring text = win32::WindowText(TextBox(slot));
  std::optional<std::int32_t> handle = ParseHandleText(text);
  if (const HWND follower = Follower(slot, handle)) {
    SetSlotWindow(slot, follower);
    handle = keyfun::ToHandle(follower);
  } else if (memory_.Has(Option::kFollowWindows) && memory_.Identity(slot) &&
             !(handle && ::IsWindow(keyfun::ToHwnd(*handle)))) {
    // Its program is not running: start it when asked to, and bring its window when it comes.
    if (memory_.Has(Option::kStartMissing) && starter_.Start(slot, *memory_.Identity(slot))) {
      return;
    }
    activation_.Follow({keyfun::SwitchAttempt::Result::kNoWindow, nullptr});
    return;
  }
  if (text.empty() && !handle) {
    return;  // an empty slot stays silent
  }
  if (!handle) {
    activation_.Follow({keyfun::SwitchAttempt::Result::kNoWindow, nullptr});
    return;
  }
  const HWND window = keyfun::ToHwnd(*handle);
  const HWND front = ::GetForegroundWindow();
  if (memory_.Has(Option::kPressAgainGoesBack) && front != nullptr &&
      (front == window || ::GetAncestor(front, GA_ROOTOWNER) == window)) {
    // Already in front: back to where the last switch came from, if that is still there.
    if (before_last_switch_ != front && ::IsWindow(before_last_switch_)) {
      SwitchTo(keyfun::ToHandle(before_last_switch_));
    }
    return;
  }
  SwitchTo(*handle);
}

void frmSet::SwitchTo(std::int32_t handle) {
  const HWND front = ::GetForegroundWindow();
  const keyfun::SwitchAttempt attempt = keyfun::ChangeForm(handle);
  if (attempt.result == keyfun::SwitchAttempt::Result::kInFront ||
      attempt.result == keyfun::SwitchAttempt::Result::kRefused) {
    before_last_switch_ = front;
  }
  activation_.Follow(attempt);
}

void frmSet::RestoreSlots() {
  if (!memory_.Has(Option::kFollowWindows)) {
    return;  // a start shows no remembered windows
  }
  for (int slot = 1; slot <= design::kSlotCount; ++slot) {
    if (const auto& remembered = memory_.Identity(slot)) {
      if (const HWND window = FindOpenWindow(*remembered)) {
        SetSlotWindow(slot, window);
      }
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
  if (!memory_.Save().ok) {
    refused = settings::IniFile::InProgramFolder(hotkeybox::StorageProperties{}.INIFileName).path();
  }
  for (int slot = 1; slot <= design::kSlotCount; ++slot) {
    const hotkeybox::SaveResult r = Box(slot).SaveSettings();
    if (!r.ok && refused.empty()) {
      refused = r.where;
    }
  }
  return refused;
}

void frmSet::Image3_Click() {
  if (exiting_) {
    return;  // a second Exit (or close) while the first one's message is open
  }
  exiting_ = true;
  const std::wstring refused = SaveAll();
  if (!refused.empty()) {
    // Ending as if all were saved would lose the hotkeys without a word.
    win32::ShowError(hwnd(), L"The hotkeys could not be saved to " + refused + L".");
  }
  std::ignore = tray_.Delete();  // nothing more can be done for an icon the shell will not drop
  ::ExitProcess(0);
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

void frmSet::Form_MouseDown() {
  shell::MoveForm(hwnd());
}

void frmSet::Show_Click() {
  std::ignore = ::ShowWindow(hwnd(), SW_SHOW);  // answers whether it was visible before
}

void frmSet::exit_Click() {
  Image3_Click();
}

namespace {

std::wstring ThisProgram() {
  return settings::ReadGrowingText(
      [](wchar_t* buffer, std::size_t size) -> std::size_t {
        return ::GetModuleFileNameW(nullptr, buffer, static_cast<DWORD>(size));
      },
      MAX_PATH, 32768);
}

}  // namespace

shell::MenuWindow::State frmSet::MenuState() const {
  shell::MenuWindow::State state;
  for (int slot = 1; slot <= design::kSlotCount; ++slot) {
    const auto handle = ParseHandleText(win32::WindowText(TextBox(slot)));
    HWND window = handle && ::IsWindow(keyfun::ToHwnd(*handle)) ? keyfun::ToHwnd(*handle) : nullptr;
    if (const HWND follower = Follower(slot, handle)) {
      window = follower;
    }
    std::optional<std::wstring> title;
    if (window != nullptr) {
      wchar_t text[256]{};
      const int n = ::InternalGetWindowText(window, text, 256);  // no message: a hung window cannot hold us
      title = std::wstring(text, static_cast<std::size_t>(n > 0 ? n : 0));
    }
    state.windows.at(static_cast<std::size_t>(slot - 1)) = {
        WindowsMenuItem(slot, slots_.at(Index(slot)).box->Text(), title), title.has_value()};
  }
  state.follow_windows = memory_.Has(Option::kFollowWindows);
  state.start_missing = memory_.Has(Option::kStartMissing);
  state.press_again_goes_back = memory_.Has(Option::kPressAgainGoesBack);
  state.start_with_windows = shell::StartsWithSession(ThisProgram());
  return state;
}

void frmSet::Options_Click(UINT item) {
  const auto toggle = [this](Option option) { return memory_.Set(option, !memory_.Has(option)); };
  bool saved = true;
  switch (item) {
    case shell::MenuWindow::kFollowWindows:
      saved = toggle(Option::kFollowWindows);
      if (memory_.Has(Option::kFollowWindows)) {
        // The windows the slots hold now are the ones to follow from here on.
        for (int slot = 1; slot <= design::kSlotCount; ++slot) {
          const auto handle = ParseHandleText(win32::WindowText(TextBox(slot)));
          if (handle && ::IsWindow(keyfun::ToHwnd(*handle))) {
            memory_.SetIdentity(slot, IdentityOf(keyfun::ToHwnd(*handle)));
          }
        }
      }
      break;
    case shell::MenuWindow::kStartMissing:
      saved = toggle(Option::kStartMissing);
      break;
    case shell::MenuWindow::kPressAgainGoesBack:
      saved = toggle(Option::kPressAgainGoesBack);
      break;
    case shell::MenuWindow::kStartWithWindows: {
      const std::wstring program = ThisProgram();
      std::ignore =
          shell::SetStartWithSession(program, !shell::StartsWithSession(program));  // the mark tells
      break;
    }
    default:
      break;
  }
  if (!saved) {
    win32::ShowError(
        hwnd(), L"The options could not be saved to " +
                    settings::IniFile::InProgramFolder(hotkeybox::StorageProperties{}.INIFileName).path() +
                    L".");
  }
}

shell::MenuWindow& frmSet::MenuWindow() {
  if (!menu_window_) {
    menu_window_ =
        std::make_unique<shell::MenuWindow>(SIZE{design::kMenuWindowWidth, design::kMenuWindowHeight});
    menu_window_->on_show = [this] { Show_Click(); };
    menu_window_->on_exit = [this] { exit_Click(); };
    menu_window_->on_open = [this] { return MenuState(); };
    menu_window_->on_window = [this](int slot) { Windows_Click(slot); };
    menu_window_->on_option = [this](UINT item) { Options_Click(item); };
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
    SetLinkUnderline(false);
  }
}

HCURSOR frmSet::HandCursor() {
  if (!hand_cursor_) {  // a cursor that could not be made is not tried again
    hand_cursor_ =
        win32::LoadCursorFromIcon(win32::ThisModule(), resources_.hand_cursor, resources_.hand_hot_spot);
  }
  return hand_cursor_->get();
}

void frmSet::ShowLinkTip(UINT msg, WPARAM wp, LPARAM lp) {
  if (link_tip_ != nullptr) {
    return;  // it follows the label's mouse messages itself from then on
  }
  link_tip_ = ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                                CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd(), nullptr,
                                win32::ThisModule(), nullptr);
  TTTOOLINFOW tip{};
  tip.cbSize = sizeof(tip);
  tip.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tip.hwnd = hwnd();
  tip.uId = reinterpret_cast<UINT_PTR>(link_label_);
  tip.lpszText = const_cast<wchar_t*>(kLinkTip);
  // Without its tip the link still works.
  if (link_tip_ == nullptr ||
      ::SendMessageW(link_tip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tip)) == FALSE) {
    win32::TraceLastError(L"link tip");
    return;
  }
  // The move that brought the pointer here came before the tip could see it.
  MSG relayed{link_label_, msg, wp, lp, 0, {}};
  ::SendMessageW(link_tip_, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relayed));
}

void frmSet::SetLinkUnderline(bool on) {
  if (link_underlined_ == on) {
    return;
  }
  link_underlined_ = on;
  win32::SetFont(link_label_, on ? fonts_.link_underlined.get() : fonts_.form.get(), true);
}

void frmSet::OnCommand(WORD id, WORD code) {
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
  if (control != link_label_) {
    return Window::OnMessage(WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                             reinterpret_cast<LPARAM>(control));
  }
  ::SetTextColor(dc, design::kLinkColor);
  ::SetBkColor(dc, ::GetSysColor(COLOR_BTNFACE));
  return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_BTNFACE));
}

void frmSet::OnMouseMove() {
  std::ignore = drag_.OnMouseMove();  // false when no drag is on: nothing to do
  SetLinkUnderline(false);
}

void frmSet::OnButtonDown(UINT msg) {
  switch (msg) {
    case WM_LBUTTONDOWN:
      Form_MouseDown();
      break;
    case WM_RBUTTONDOWN:
      drag_.Begin(hwnd(), WM_RBUTTONUP);
      break;
    case WM_MBUTTONDOWN:
      drag_.Begin(hwnd(), WM_MBUTTONUP);
      break;
    default:
      break;
  }
}

bool frmSet::OnButtonUp(UINT msg) {
  return drag_.OnButtonUp(msg);
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

void frmSet::OnEndSession(bool ending) {
  if (ending) {
    // The session ends the process without another word: a refused write cannot be shown now.
    std::ignore = SaveAll();
    std::ignore = tray_.Delete();
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
      OnButtonDown(msg);
      return 0;
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
      if (OnButtonUp(msg)) {
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
      OnEndSession(wp != FALSE);
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

#include "switcher/frmset.h"

#include <windowsx.h>

#include "hotkeybox/properties.h"
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
    }
    return CallNext(msg, wp, lp);
  }

 private:
  frmSet& form_;
};

frmSet::frmSet() = default;
frmSet::~frmSet() = default;

bool frmSet::Create() {
  static const win32::WindowClass cls([] {
    WNDCLASSEXW wc{};
    wc.lpszClassName = kClassName;
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    return wc;
  }());
  // Borderless, and no taskbar button: the program lives in the notification area.
  if (CreateFrom(cls, WS_EX_TOOLWINDOW | WS_EX_CONTROLPARENT, kCaption, WS_POPUP | WS_CLIPCHILDREN, 0, 0, 0,
                 0, nullptr, nullptr) == nullptr) {
    return false;
  }
  dpi_ = ::GetDpiForWindow(hwnd());
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

void frmSet::Image3_Click() {
  for (int slot = 1; slot <= design::kSlotCount; ++slot) {
    slots_.at(Index(slot)).box->SaveSettings();
  }
  end_program();
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
      SetLinkUnderline(false);
      return 0;
    case WM_DESTROY:
      if (quit_on_destroy) {
        ::PostQuitMessage(0);
      }
      return 0;
    default:
      break;
  }
  return Window::OnMessage(msg, wp, lp);
}

}  // namespace tarnelle::switcher

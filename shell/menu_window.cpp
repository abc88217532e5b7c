#include "shell/menu_window.h"

#include "shell/links.h"
#include "win32/trace.h"
#include "win32/unique.h"
#include "win32/units.h"

namespace tarnelle::shell {

namespace {

// A popup of |items|, each (command, caption); a command of 0 is a separator.
win32::unique_hmenu Submenu(std::initializer_list<std::pair<UINT, const wchar_t*>> items) {
  win32::unique_hmenu menu(::CreatePopupMenu());
  if (!menu) {
    win32::TraceLastError(L"CreatePopupMenu");
    return {};
  }
  for (const auto& [command, caption] : items) {
    const BOOL added = command == 0 ? ::AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr)
                                    : ::AppendMenuW(menu.get(), MF_STRING, command, caption);
    if (!win32::Check(added, L"AppendMenuW")) {
      return {};
    }
  }
  return menu;
}

// Adds |submenu| to |menu| under |caption|; |menu| then owns it.
bool AppendSubmenu(HMENU menu, win32::unique_hmenu submenu, const wchar_t* caption) {
  if (!submenu ||
      !win32::Check(::AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(submenu.get()), caption),
                    L"AppendMenuW")) {
    return false;
  }
  std::ignore = submenu.release();
  return true;
}

// The menu bar whose only item is the popup `cd`.
win32::unique_hmenu BuildMenuBar() {
  win32::unique_hmenu bar(::CreateMenu());
  win32::unique_hmenu cd = Submenu({{MenuWindow::kShow, L"Show"}});
  if (!bar || !cd) {
    return {};
  }
  const bool filled =
      AppendSubmenu(cd.get(),
                    Submenu({{MenuWindow::kAboutTarnelle, L"About Tarnelle"},
                             {MenuWindow::kCheckVerson, L"Check Verson"}}),
                    L"About") &&
      AppendSubmenu(cd.get(), Submenu({}), L"Windows") &&
      AppendSubmenu(cd.get(),
                    Submenu({{MenuWindow::kFollowWindows, L"Follow windows that restart"},
                             {MenuWindow::kStartMissing, L"Start programs that are not running"},
                             {MenuWindow::kPressAgainGoesBack, L"Press again to go back"},
                             {0, nullptr},
                             {MenuWindow::kStartWithWindows, L"Start with Windows"}}),
                    L"Options") &&
      win32::Check(::AppendMenuW(cd.get(), MF_SEPARATOR, 0, nullptr), L"AppendMenuW") &&
      win32::Check(::AppendMenuW(cd.get(), MF_STRING, MenuWindow::kExit, L"Exit"), L"AppendMenuW");
  if (!filled || !AppendSubmenu(bar.get(), std::move(cd), L"cd")) {
    return {};
  }
  return bar;
}

// Where the submenus stand in `cd`.
constexpr int kWindowsPosition = 2;
constexpr int kOptionsPosition = 3;

}  // namespace

bool MenuWindow::Create() {
  if (hwnd() != nullptr) {
    return true;
  }
  static const win32::WindowClass cls(
      {.name = L"TarnelleMenuWindow", .background = ::GetSysColorBrush(COLOR_3DFACE)});  // no icon
  win32::unique_hmenu bar = BuildMenuBar();
  if (!bar) {
    return false;
  }
  // Not yet a window: sized for the system's DPI.
  const int dpi = static_cast<int>(win32::DpiOf(nullptr));
  RECT frame{0, 0, units::TwipsToPixels(client_.cx, dpi), units::TwipsToPixels(client_.cy, dpi)};
  const DWORD style = WS_OVERLAPPEDWINDOW;  // not WS_VISIBLE: the window is never shown
  std::ignore = win32::Check(::AdjustWindowRectEx(&frame, style, TRUE, 0), L"AdjustWindowRectEx");
  if (CreateFrom(cls, 0, L"Form1", style, CW_USEDEFAULT, CW_USEDEFAULT, frame.right - frame.left,
                 frame.bottom - frame.top, nullptr, bar.get()) == nullptr) {
    return false;
  }
  std::ignore = bar.release();  // the window destroys its menu bar with itself
  return true;
}

HMENU MenuWindow::menu_bar() const noexcept {
  return hwnd() != nullptr ? ::GetMenu(hwnd()) : nullptr;
}

HMENU MenuWindow::popup() const noexcept {
  HMENU bar = menu_bar();
  return bar != nullptr ? ::GetSubMenu(bar, 0) : nullptr;
}

void MenuWindow::Popup(HWND owner) {
  if (!Create()) {
    return;
  }
  // Asked first, while the window the user was in is still in front.
  if (on_open) {
    Refresh(on_open());
  }
  // Without the foreground the menu would not close when the user clicks elsewhere. A message open
  // over the owner takes it, or the owner, disabled under it, would cover it (Wine).
  std::ignore = ::SetForegroundWindow(::GetLastActivePopup(owner));  // refused under a foreground lock
  POINT at{};
  std::ignore = win32::Check(::GetCursorPos(&at), L"GetCursorPos");
  const BOOL chosen = ::TrackPopupMenuEx(popup(), TPM_LEFTALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD, at.x, at.y,
                                         owner, nullptr);
  // Hands the owner a message of its own after the menu loop: without it the next popup may
  // close the moment it opens.
  std::ignore = win32::Check(::PostMessageW(owner, WM_NULL, 0, 0), L"PostMessageW");
  Run(static_cast<UINT>(chosen));
}

void MenuWindow::Run(UINT command) {
  switch (command) {
    case kShow:
      if (on_show) {
        const std::function<void()> show = on_show;
        show();
      }
      break;
    case kAboutTarnelle:
      OpenLink(hwnd(), kAboutUrl);
      break;
    case kCheckVerson:
      OpenLink(hwnd(), kVersionUrl);
      break;
    case kExit:
      if (on_exit) {
        const std::function<void()> exit = on_exit;
        exit();
      }
      break;
    default:
      if (!on_choice) {
        break;
      }
      if (command > kFirstWindow && command <= kFirstWindow + 10) {
        const std::function<void(const MenuChoice&)> choose = on_choice;
        choose({MenuChoice::Kind::kBringForward, static_cast<int>(command - kFirstWindow)});
        return;
      }
      using Kind = MenuChoice::Kind;
      for (const auto& [item, kind] :
           {std::pair{kFollowWindows, Kind::kFollowWindows}, std::pair{kStartMissing, Kind::kStartMissing},
            std::pair{kPressAgainGoesBack, Kind::kPressAgainGoesBack},
            std::pair{kStartWithWindows, Kind::kStartWithWindows}}) {
        if (command == item) {
          const std::function<void(const MenuChoice&)> choose = on_choice;
          choose({kind});
        }
      }
      break;
  }
}

void MenuWindow::Refresh(const MenuState& state) {
  const HMENU windows = ::GetSubMenu(popup(), kWindowsPosition);
  const HMENU options = ::GetSubMenu(popup(), kOptionsPosition);
  if (windows == nullptr || options == nullptr) {
    return;
  }
  while (::GetMenuItemCount(windows) > 0) {
    std::ignore = ::DeleteMenu(windows, 0, MF_BYPOSITION);  // fails only past the end
  }
  UINT command = kFirstWindow;
  for (const MenuState::Item& item : state.windows) {
    const UINT flags = MF_STRING | (item.enabled ? MF_ENABLED : MF_GRAYED);
    std::ignore = win32::Check(::AppendMenuW(windows, flags, ++command, item.text.c_str()), L"AppendMenuW");
  }
  const auto check = [options](UINT item, bool on, bool enabled = true) {
    std::ignore = ::CheckMenuItem(options, item, MF_BYCOMMAND | (on ? MF_CHECKED : MF_UNCHECKED));
    std::ignore = ::EnableMenuItem(options, item, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
  };
  check(kFollowWindows, state.follow_windows);
  // Starting a program needs the window it is to show: it follows windows or does nothing.
  check(kStartMissing, state.start_missing, state.follow_windows);
  check(kPressAgainGoesBack, state.press_again_goes_back);
  check(kStartWithWindows, state.start_with_windows);
}

}  // namespace tarnelle::shell

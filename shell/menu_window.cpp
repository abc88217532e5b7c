#include "shell/menu_window.h"

#include <optional>
#include <utility>

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

using Kind = MenuChoice::Kind;

UINT Command(Kind kind, int slot = 0, InFront in_front = InFront::kAsInOptions) {
  return CommandOf({kind, slot, in_front});
}

// The choices of what a press does for a window in front: a slot's five, or the Options' four.
win32::unique_hmenu InFrontMenu(Kind kind, int slot) {
  const auto item = [&](InFront in_front, const wchar_t* caption) {
    return std::pair<UINT, const wchar_t*>{Command(kind, slot, in_front), caption};
  };
  const std::initializer_list<std::pair<UINT, const wchar_t*>> four = {
      item(InFront::kNothing, L"Do nothing"), item(InFront::kGoBack, L"Go back to the window before"),
      item(InFront::kNextWindow, L"Show its program's next window"),
      item(InFront::kMinimise, L"Minimise it")};
  win32::unique_hmenu menu = Submenu(four);
  if (menu && kind == Kind::kSlotInFront &&
      !win32::Check(
          ::InsertMenuW(menu.get(), 0, MF_BYPOSITION | MF_STRING, Command(kind, slot), L"As in Options"),
          L"InsertMenuW")) {
    return {};
  }
  return menu;
}

// Marks the one of |menu|'s radio items that is |in_front|.
void MarkInFront(HMENU menu, Kind kind, int slot, InFront in_front) {
  const InFront first = kind == Kind::kSlotInFront ? InFront::kAsInOptions : InFront::kNothing;
  std::ignore = win32::Check(
      ::CheckMenuRadioItem(menu, Command(kind, slot, first), Command(kind, slot, InFront::kMinimise),
                           Command(kind, slot, in_front), MF_BYCOMMAND),
      L"CheckMenuRadioItem");
}

// A slot's submenu in the Windows menu.
win32::unique_hmenu SlotMenu(int slot, const MenuState::Slot& state) {
  const auto grey = [](bool enabled) -> UINT { return enabled ? MF_ENABLED : MF_GRAYED; };
  win32::unique_hmenu menu(::CreatePopupMenu());
  win32::unique_hmenu in_front = InFrontMenu(Kind::kSlotInFront, slot);
  if (!menu || !in_front) {
    return {};
  }
  MarkInFront(in_front.get(), Kind::kSlotInFront, slot, state.in_front);
  const bool made = win32::Check(::AppendMenuW(menu.get(), MF_STRING | grey(state.can_bring),
                                               Command(Kind::kBringForward, slot), L"Bring it forward"),
                                 L"AppendMenuW") &&
                    win32::Check(::AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr), L"AppendMenuW") &&
                    AppendSubmenu(menu.get(), std::move(in_front), L"When it is already in front") &&
                    win32::Check(::AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr), L"AppendMenuW") &&
                    win32::Check(::AppendMenuW(menu.get(), MF_STRING | grey(state.can_forget),
                                               Command(Kind::kForget, slot), L"Forget this window"),
                                 L"AppendMenuW");
  // Drawn bold: what choosing the slot's line did before it had a submenu.
  std::ignore = ::SetMenuDefaultItem(menu.get(), Command(Kind::kBringForward, slot), FALSE);
  return made ? std::move(menu) : win32::unique_hmenu{};
}

// The menu bar whose only item is the popup `cd`.
win32::unique_hmenu BuildMenuBar() {
  win32::unique_hmenu bar(::CreateMenu());
  win32::unique_hmenu cd = Submenu({{MenuWindow::kShow, L"Show"}});
  win32::unique_hmenu options =
      Submenu({{Command(Kind::kFollowWindows), L"Follow windows that restart"},
               {Command(Kind::kStartMissing), L"Start programs that are not running"}});
  if (!bar || !cd || !options) {
    return {};
  }
  const bool filled =
      AppendSubmenu(options.get(), InFrontMenu(Kind::kInFront, 0), L"When a window is already in front") &&
      win32::Check(::AppendMenuW(options.get(), MF_SEPARATOR, 0, nullptr), L"AppendMenuW") &&
      win32::Check(
          ::AppendMenuW(options.get(), MF_STRING, Command(Kind::kStartWithWindows), L"Start with Windows"),
          L"AppendMenuW") &&
      AppendSubmenu(cd.get(),
                    Submenu({{MenuWindow::kAboutTarnelle, L"About Tarnelle"},
                             {MenuWindow::kCheckVerson, L"Check Verson"}}),
                    L"About") &&
      AppendSubmenu(cd.get(), Submenu({}), L"Windows") &&
      AppendSubmenu(cd.get(), std::move(options), L"Options") &&
      win32::Check(::AppendMenuW(cd.get(), MF_SEPARATOR, 0, nullptr), L"AppendMenuW") &&
      win32::Check(::AppendMenuW(cd.get(), MF_STRING, MenuWindow::kExit, L"Exit"), L"AppendMenuW");
  if (!filled || !AppendSubmenu(bar.get(), std::move(cd), L"cd")) {
    return {};
  }
  return bar;
}

// Where the submenus stand in `cd`, and the choice of what a press does for a window in front in
// Options.
constexpr int kWindowsPosition = 2;
constexpr int kOptionsPosition = 3;
constexpr int kInFrontPosition = 2;

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
      if (const std::optional<MenuChoice> choice = ChoiceOf(command); choice && on_choice) {
        const std::function<void(const MenuChoice&)> choose = on_choice;
        choose(*choice);
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
    std::ignore = ::DeleteMenu(windows, 0, MF_BYPOSITION);  // destroys the slot's submenu too
  }
  for (int slot = 1; slot <= static_cast<int>(state.windows.size()); ++slot) {
    const MenuState::Slot& item = state.windows.at(static_cast<std::size_t>(slot - 1));
    std::ignore = AppendSubmenu(windows, SlotMenu(slot, item), item.text.c_str());  // traced
  }
  const auto check = [options](UINT item, bool on, bool enabled = true) {
    std::ignore = ::CheckMenuItem(options, item, MF_BYCOMMAND | (on ? MF_CHECKED : MF_UNCHECKED));
    std::ignore = ::EnableMenuItem(options, item, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
  };
  check(Command(Kind::kFollowWindows), state.follow_windows);
  // Starting a program needs the window it is to show: it follows windows or does nothing.
  check(Command(Kind::kStartMissing), state.start_missing, state.follow_windows);
  check(Command(Kind::kStartWithWindows), state.start_with_windows);
  if (const HMENU in_front = ::GetSubMenu(options, kInFrontPosition)) {
    MarkInFront(in_front, Kind::kInFront, 0, state.in_front);
  }
}

}  // namespace tarnelle::shell

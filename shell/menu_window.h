#pragma once
// The menu window `cd`: a top-level window that is never shown and only carries the tray menu.
//
//   cd            (the popup; its own caption never shows)
//     Show
//     About    >  About Tarnelle
//                 Check Verson
//     Windows  >  one submenu per slot, "N   hotkey   title", made afresh at each popup:
//                   Bring it forward                      (the default item)
//                   ---
//                   When it is already in front  >  As in Options, and the four below
//                   ---
//                   Forget this window
//     Options  >  Follow windows that restart
//                 Start programs that are not running
//                 When a window is already in front  >  Do nothing
//                                                       Go back to the window before
//                                                       Show its program's next window
//                                                       Minimise it
//                 ---
//                 Start with Windows
//     ---
//     Exit

#include <windows.h>
#include <functional>

#include "shell/menu_state.h"
#include "win32/window.h"

namespace tarnelle::shell {

class MenuWindow : public win32::Window {
 public:
  // Command identifiers of the items.
  static constexpr UINT kShow = 1;
  static constexpr UINT kAboutTarnelle = 2;  // `asw`
  static constexpr UINT kCheckVerson = 3;    // `cv`
  static constexpr UINT kExit = 4;
  // The Windows and Options items: CommandOf their choice.

  // |client| is the designed size of the window's client area, in twips.
  explicit MenuWindow(SIZE client) noexcept : client_(client) {}

  // Creates the hidden window ("Form1") with its menu, unless it exists already.
  [[nodiscard]] bool Create();

  // Pops the menu up at the mouse pointer for |owner| (the main window, brought to the
  // foreground first, so that the menu closes when the user clicks elsewhere) and waits for
  // the user. Either button picks an item; the item's action runs before this returns.
  // Creates the window the first time.
  void Popup(HWND owner);

  // The action of item |command|: Show and Exit call on_show and on_exit; the two About items
  // open their pages with this window as the parent; a Windows or Options item calls on_choice.
  // Any other number does nothing.
  void Run(UINT command);

  // The window's menu bar, whose only item is the popup `cd`, and that popup; null before
  // Create.
  [[nodiscard]] HMENU menu_bar() const noexcept;
  [[nodiscard]] HMENU popup() const noexcept;

  std::function<void()> on_show;
  std::function<void()> on_exit;       // may end the program
  std::function<MenuState()> on_open;  // asked before the menu takes the foreground
  std::function<void(const MenuChoice&)> on_choice;

 private:
  void Refresh(const MenuState& state);

  SIZE client_;
};

}  // namespace tarnelle::shell

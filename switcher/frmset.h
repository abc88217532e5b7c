#pragma once
// The main window: ten slots (a hotkey box, a "Start Hotkey N" checkbox and a remembered
// window each), the mode shared by all slots, start-up, and the exit sequence.

#include <windows.h>
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "hotkeybox/orvanta.h"
#include "shell/menu_window.h"
#include "shell/moveit.h"
#include "shell/strip.h"
#include "shell/tray.h"
#include "switcher/activation.h"
#include "switcher/memory.h"
#include "switcher/starter.h"
#include "switcher/checkbox.h"
#include "switcher/design.h"
#include "win32/picture.h"
#include "win32/unique.h"
#include "win32/window.h"

namespace tarnelle::switcher {

// The program's resources the window shows, as the program numbers them.
struct Resources {
  int icon;  // the window's and the tray's icon
  int logo;  // RCDATA pictures of the title strip
  int hide_image;
  int close_image;
  int hand_cursor;  // the link label's cursor, an icon
  POINT hand_hot_spot;
};

class frmSet final : public win32::Window {
 public:
  inline static constexpr wchar_t kClassName[] = L"Tarnelle.frmSet";

  explicit frmSet(const Resources& resources);
  ~frmSet() override;

  // Creates the window and its controls (each box loads its saved hotkey), then runs Form_Load.
  // The window is left hidden.
  [[nodiscard]] bool Create();
  // Shows the window where Create made it, centred on the primary screen, and paints it.
  void Show();

  // Handlers.
  void Form_Load();
  void selemode_Click(std::int16_t index);
  void Orvanta_HotKeyPressed(int slot);  // slot 1 to 10
  void chkCheck_MouseUp(int slot);       // slots 1 to 5
  void chkCheck_Click(int slot);         // slots 6 to 10
  void Image3_Click();                   // exit: save every slot, remove the icon, end at once
  void Image2_Click();                   // hide the window; the program goes on in the tray
  void logo_Click();
  void Label1_Click();
  void Form_MouseDown();            // any button on the background drags the window
  void Form_TrayNotify(LPARAM lp);  // a notification of the tray icon
  void Show_Click();
  void exit_Click();
  void Windows_Click(int slot);   // the tray's Windows menu: the slot's window, in either mode
  void Options_Click(UINT item);  // the tray's Options menu

  [[nodiscard]] hotkeybox::Orvanta& Box(int slot) { return *slots_.at(Index(slot)).box; }
  [[nodiscard]] CheckBox& Check(int slot) { return slots_.at(Index(slot)).check; }
  [[nodiscard]] HWND TextBox(int slot) const { return slots_.at(Index(slot)).text; }
  [[nodiscard]] std::optional<std::int16_t> curmode() const { return curmode_; }

 protected:
  LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  class OwnerWindow;
  class SlotSite;
  class SlotEvents;
  class LinkHook;
  struct Slot {
    std::unique_ptr<SlotSite> site;
    std::unique_ptr<SlotEvents> events;
    std::unique_ptr<hotkeybox::Orvanta> box;
    CheckBox check;
    HWND text = nullptr;  // TextN: the remembered window, never seen
  };
  // Every font of the window, made for one DPI.
  struct Fonts {
    win32::shared_hfont form;  // also the link's, and the hotkey boxes'
    win32::shared_hfont text;
    win32::shared_hfont link_underlined;
    win32::shared_hfont title;
  };
  // A control of the design: its window (none before it is made), where it sits and the font it
  // draws with (none: it makes its own). The one answer for creating it and for placing it again
  // at a change of DPI.
  struct Part {
    HWND window;
    design::Twips where;
    HFONT font;
  };

  static std::size_t Index(int slot) { return static_cast<std::size_t>(slot - 1); }
  [[nodiscard]] static Fonts MakeFonts(UINT dpi);
  // The window's place when it is centred on the primary screen at |dpi|.
  [[nodiscard]] static RECT CentredOnPrimary(UINT dpi);
  [[nodiscard]] Part PartOf(const design::TabStop& stop) const;
  // Creates every control at its place for dpi_, with its font.
  [[nodiscard]] bool CreateControls();
  [[nodiscard]] bool CreateControl(const design::TabStop& stop);
  [[nodiscard]] bool CreateSlotBox(int slot, const RECT& r);
  [[nodiscard]] bool CreateStrip(const RECT& r);
  // Sizes the window and places and fonts every control again for dpi_.
  void Arrange();
  void SlotReconcile(int slot);
  void SetSlotWindow(int slot, HWND window);
  // Brings the window of |slot| forward, following or starting it as the options say.
  void BringForward(int slot);
  // Asks for |window| in front, noting what was in front before (for "press again").
  void SwitchTo(std::int32_t handle);
  // The open window that now stands for |slot|'s remembered one, when windows are followed.
  [[nodiscard]] HWND Follower(int slot, std::optional<std::int32_t> handle) const;
  [[nodiscard]] shell::MenuWindow::State MenuState() const;
  void RestoreSlots();
  // Saves every slot; the first place that refused a write, or empty.
  [[nodiscard]] std::wstring SaveAll();
  void SetLinkUnderline(bool on);
  // The link's hand cursor and tip, made when the pointer first comes over the label; a tip
  // made by the mouse message |msg| is given that message too.
  [[nodiscard]] HCURSOR HandCursor();
  void ShowLinkTip(UINT msg, WPARAM wp, LPARAM lp);
  [[nodiscard]] shell::MenuWindow& MenuWindow();

  // Messages.
  void OnCommand(WORD id, WORD code);
  LRESULT OnCtlColorStatic(HDC dc, HWND control);
  void OnMouseMove();
  void OnButtonDown(UINT msg);
  bool OnButtonUp(UINT msg);
  void OnDpiChanged(UINT dpi, const RECT& suggested);
  void OnEndSession(bool ending);
  void OnDestroy();

  Resources resources_;
  std::unique_ptr<OwnerWindow> owner_;  // hidden; keeps the window off the taskbar
  std::array<Slot, design::kSlotCount> slots_;
  std::optional<std::int16_t> curmode_;  // unset until an option button is clicked; unset acts as 0
  UINT dpi_ = USER_DEFAULT_SCREEN_DPI;
  Fonts fonts_;
  HWND mode_get_ = nullptr;
  HWND mode_change_ = nullptr;
  HWND link_label_ = nullptr;  // Label1
  bool link_underlined_ = false;
  std::unique_ptr<LinkHook> link_hook_;
  HWND link_tip_ = nullptr;  // owned by this window, which destroys it
  shell::TitleStrip strip_;  // pmenu
  win32::Image logo_;
  win32::Image hide_image_;   // Image2
  win32::Image close_image_;  // Image3
  win32::unique_hicon icon_;
  win32::unique_hicon small_icon_;  // also the tray's: declared first, so it outlives the icon
  shell::Tray tray_;
  shell::ButtonDrag drag_;
  Activation activation_;              // follows up every switch to a remembered window
  SlotMemory memory_;                  // the options, and who each slot's window is
  ProgramStarter starter_;             // programs started for their slots, until their windows come
  HWND before_last_switch_ = nullptr;  // the window in front before the last switch
  std::unique_ptr<shell::MenuWindow> menu_window_;    // cd: made when the menu is first needed
  std::optional<win32::unique_hcursor> hand_cursor_;  // made at the first need, maybe empty
  bool exiting_ = false;                              // the exit sequence has begun
};

}  // namespace tarnelle::switcher

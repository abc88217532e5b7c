#pragma once
// The main window: ten slots (a hotkey box, a "Start Hotkey N" checkbox and a remembered
// window each), the mode shared by all slots, its layout at any DPI, the tray icon, the link and
// the exit. What a slot does is the slot model's to decide (switcher/slot_model.h); the window
// forwards its events there.

#include <windows.h>
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "hotkeybox/orvanta.h"
#include "shell/link_label.h"
#include "shell/menu_window.h"
#include "shell/moveit.h"
#include "shell/strip.h"
#include "shell/tray.h"
#include "switcher/checkbox.h"
#include "switcher/design.h"
#include "switcher/platform_calls.h"
#include "switcher/slot_model.h"
#include "win32/font.h"
#include "win32/owner_window.h"
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
  void Form_MouseDown(UINT button_down);  // any button on the background drags the window
  void Form_TrayNotify(LPARAM lp);        // a notification of the tray icon
  void Show_Click();
  void exit_Click();

  [[nodiscard]] hotkeybox::Orvanta& Box(int slot) { return *slots_.at(Index(slot)).box; }
  [[nodiscard]] CheckBox& Check(int slot) { return slots_.at(Index(slot)).check; }
  [[nodiscard]] HWND TextBox(int slot) const { return slots_.at(Index(slot)).text; }
  [[nodiscard]] std::optional<std::int16_t> curmode() const { return curmode_; }

 protected:
  LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  class SlotHost;
  struct Slot {
    std::unique_ptr<SlotHost> host;
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
  [[nodiscard]] bool CreateStrip();
  [[nodiscard]] shell::StripPlaces StripPlaces() const;  // at dpi_
  // Sizes the window and places and fonts every control again for dpi_.
  void Arrange();
  // The slots' calls: the platform's, and this window's own.
  [[nodiscard]] SlotCalls MakeSlotCalls(const settings::IniFile& file);
  void SlotReconcile(int slot);
  [[nodiscard]] shell::MenuWindow& MenuWindow();

  // Messages.
  void OnCommand(WORD id, WORD code);
  LRESULT OnCtlColorStatic(HDC dc, HWND control);
  void OnMouseMove();
  void OnDpiChanged(UINT dpi, const RECT& suggested);
  void OnEndSession(bool ending, LPARAM how);
  void OnDestroy();

  Resources resources_;
  win32::OwnerWindow owner_;  // hidden; keeps the window off the taskbar
  std::array<Slot, design::kSlotCount> slots_;
  std::optional<std::int16_t> curmode_;  // unset until an option button is clicked; unset acts as 0
  UINT dpi_ = USER_DEFAULT_SCREEN_DPI;
  Fonts fonts_;
  HWND mode_get_ = nullptr;
  HWND mode_change_ = nullptr;
  shell::LinkLabel link_;    // Label1
  shell::TitleStrip strip_;  // pmenu, with logo, Image2 (hide) and Image3 (close)
  win32::unique_hicon icon_;
  win32::unique_hicon small_icon_;  // also the tray's: declared first, so it outlives the icon
  shell::Tray tray_;
  shell::ButtonDrag drag_;
  SlotPlatform platform_;                           // the slots' timers and the escalation's replies
  std::unique_ptr<SlotModel> model_;                // what the slots do
  std::unique_ptr<shell::MenuWindow> menu_window_;  // cd: made when the menu is first needed
};

}  // namespace tarnelle::switcher

#pragma once
// The main window: ten slots (a hotkey box, a "Start Hotkey N" checkbox and a remembered
// window each), the mode shared by all slots, start-up, and the exit sequence.

#include <windows.h>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "hotkeybox/orvanta.h"
#include "shell/menu_window.h"
#include "shell/moveit.h"
#include "shell/picture.h"
#include "shell/tray.h"
#include "switcher/checkbox.h"
#include "switcher/design.h"
#include "switcher/strip.h"
#include "win32/unique.h"
#include "win32/window.h"

namespace tarnelle::switcher {

class frmSet final : public win32::Window {
 public:
  inline static constexpr wchar_t kClassName[] = L"Tarnelle.frmSet";

  frmSet();
  ~frmSet() override;

  // Creates the window and its controls (each box loads its saved hotkey), then runs Form_Load.
  // The window is left hidden.
  bool Create();
  // Shows the window centred on the screen, as at start.
  void ShowCentered();

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

  // How the exit sequence ends the process; tests replace it.
  std::function<void()> end_program = [] { ::ExitProcess(0); };
  // Whether closing the window ends the message loop; tests host the window in their own.
  bool quit_on_destroy = true;

  // For tests and the tray.
  [[nodiscard]] hotkeybox::Orvanta& Box(int slot) { return *slots_.at(Index(slot)).box; }
  [[nodiscard]] CheckBox& Check(int slot) { return slots_.at(Index(slot)).check; }
  [[nodiscard]] HWND TextBox(int slot) const { return slots_.at(Index(slot)).text; }
  [[nodiscard]] std::wstring SlotText(int slot) const;
  [[nodiscard]] std::optional<std::int16_t> curmode() const { return curmode_; }
  [[nodiscard]] HWND ModeButton(int index) const { return index == 0 ? mode_get_ : mode_change_; }
  [[nodiscard]] HWND LinkLabel() const { return label1_; }
  [[nodiscard]] bool LinkUnderlined() const { return label1_underline_; }
  [[nodiscard]] const shell::Tray& tray() const { return tray_; }
  [[nodiscard]] shell::MenuWindow& MenuOwner();
  [[nodiscard]] HWND HideImage() const { return image2_.hwnd(); }
  [[nodiscard]] HWND CloseImage() const { return image3_.hwnd(); }
  [[nodiscard]] HWND Logo() const { return logo_.hwnd(); }
  [[nodiscard]] HWND Strip() const { return strip_.hwnd(); }

 protected:
  LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
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

  static std::size_t Index(int slot) { return static_cast<std::size_t>(slot - 1); }
  void CreateControls();
  void Layout();
  void SlotReconcile(int slot);
  // Saves every slot; the first place that refused a write, or empty.
  std::wstring SaveAll();
  void SetLinkUnderline(bool on);
  void OnCommand(WORD id, WORD code);

  win32::unique_hwnd owner_;  // hidden; keeps the window off the taskbar
  std::array<Slot, design::kSlotCount> slots_;
  std::optional<std::int16_t> curmode_;  // unset until an option button is clicked; unset acts as 0
  UINT dpi_ = USER_DEFAULT_SCREEN_DPI;
  HWND mode_get_ = nullptr;
  HWND mode_change_ = nullptr;
  HWND label1_ = nullptr;
  bool label1_underline_ = false;
  std::unique_ptr<LinkHook> label1_hook_;
  TitleStrip strip_;
  shell::Image logo_;
  shell::Image image2_;
  shell::Image image3_;
  shell::Tray tray_;
  shell::ButtonDrag drag_;
  std::unique_ptr<shell::MenuWindow> cd_;  // made when the menu is first needed
  win32::unique_hicon icon_;
  win32::unique_hicon small_icon_;
  win32::unique_hcursor hand_cursor_;
  win32::unique_hwnd link_tip_;
  win32::unique_hfont form_font_;
  win32::unique_hfont link_font_;
  win32::unique_hfont link_font_underlined_;
  win32::unique_hfont text_font_;
};

}  // namespace tarnelle::switcher

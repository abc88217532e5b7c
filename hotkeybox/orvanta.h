#pragma once
// The hotkey box: a text box that captures a key combination and shows it, registers it as a
// system-wide hotkey on a hidden window of its own while HotKeyEnabled is true, raises
// HotKeyPressed when it is pressed, and saves and loads its hotkey.

#include <windows.h>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "hotkeybox/capture.h"
#include "hotkeybox/properties.h"
#include "hotkeybox/saved_hotkey.h"
#include "hotkeybox/subclass.h"
#include "win32/font.h"
#include "win32/unique.h"
#include "win32/window.h"

namespace tarnelle::hotkeybox {

// The box's events, in their declared order. Arguments passed by reference may be changed by
// the host, and the box sees the change.
class OrvantaEvents {
 public:
  virtual ~OrvantaEvents() = default;
  virtual void HotKeyPressed() {}
  virtual void Click() {}
  virtual void DblClick() {}
  virtual void KeyDown(std::int16_t& /*KeyCode*/, std::int16_t& /*Shift*/) {}
  virtual void KeyUp(std::int16_t& /*KeyCode*/, std::int16_t& /*Shift*/) {}
  virtual void MouseDown(std::int16_t& /*Button*/, std::int16_t& /*Shift*/, float& /*X*/, float& /*Y*/) {}
  virtual void MouseMove(std::int16_t& /*Button*/, std::int16_t& /*Shift*/, float& /*X*/, float& /*Y*/) {}
  virtual void MouseUp(std::int16_t& /*Button*/, std::int16_t& /*Shift*/, float& /*X*/, float& /*Y*/) {}
};

// A font as the host describes it, in the form the platform's font is made from.
[[nodiscard]] win32::FontSpec FontSpecOf(const FontDesc& font);

class Orvanta final : public win32::Window {
 public:
  inline static constexpr int kHotKeyId = 1;  // the same on every box: each has its own window

  Orvanta(ControlSite& site, OrvantaEvents& events);
  ~Orvanta() override;

  // Creates the box window (class "Orvanta") and its text box at a position in pixels.
  [[nodiscard]] bool Create(HWND parent, int x, int y, int width, int height, int control_id);

  // Lifecycle notifications from the host.
  void InitDefaults();
  void LoadProperties(const PropertyStore& store);
  void StoreProperties(PropertyStore& store) const;

  // The public face, in declaration order.
  void RaiseEvents();
  [[nodiscard]] OleColor BackColor() const { return back_color_; }
  void SetBackColor(OleColor color);
  [[nodiscard]] OleColor ForeColor() const { return fore_color_; }
  void SetForeColor(OleColor color);
  [[nodiscard]] bool Enabled() const;
  void SetEnabled(bool enabled);
  [[nodiscard]] const FontDesc& Font() const { return font_; }
  void SetFont(const FontDesc& font);
  [[nodiscard]] std::int32_t BorderStyle() const { return border_style_; }
  void SetBorderStyle(std::int32_t style);
  [[nodiscard]] std::int32_t Appearance() const { return appearance_; }
  void SetAppearance(std::int32_t appearance);
  [[nodiscard]] std::wstring Text() const;
  [[nodiscard]] const std::wstring& ToolTipText() const { return tooltip_text_; }
  void SetToolTipText(std::wstring_view text);
  [[nodiscard]] std::int32_t KeyCode() const { return capture_.record().KeyCode; }
  [[nodiscard]] bool HotKeyEnabled() const { return hotkey_enabled_; }
  void SetHotKeyEnabled(bool enabled);
  [[nodiscard]] std::int32_t ModKeyCode() const { return capture_.record().ModKeyCode; }
  [[nodiscard]] SaveResult SaveSettings();
  [[nodiscard]] const std::wstring& INIFileName() const { return storage_.INIFileName; }
  void SetINIFileName(std::wstring_view name);  // throws ControlError(382) while the program runs
  [[nodiscard]] std::int32_t SettingLocation() const { return storage_.SettingLocation; }
  void SetSettingLocation(std::int32_t location);  // throws ControlError(382) while the program runs
  [[nodiscard]] const std::wstring& RegKeyName() const { return storage_.RegKeyName; }
  void SetRegKeyName(std::wstring_view name);  // throws ControlError(382) while the program runs

  // For the host and the tests.
  [[nodiscard]] HWND TextBoxWindow() const noexcept { return text_box_; }
  [[nodiscard]] HWND HotKeyWindow() const noexcept { return hotkey_window_.get(); }
  [[nodiscard]] bool WinKeyDown() const { return capture_.WinKeyDown(); }
  // The box now draws at |dpi|: its font is made again for it.
  void OnDpiChanged(UINT dpi);

 protected:
  LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;
  void OnDestroyed() override;

 private:
  class TextBoxEvents;  // turns the text box's messages into the box's key and mouse events
  friend class TextBoxEvents;

  void RunTimeSetUp();
  void LoadSavedHotKey();
  [[nodiscard]] bool TryRegisterHotKey();
  // The hidden window the hotkey is registered on, made at the first need while the program
  // runs; false without one.
  [[nodiscard]] bool MakeHotKeyWindow();
  void ReleaseHotKey();
  void SetText(std::wstring_view text);
  void CaretToEnd();
  void ShowError(const wchar_t* text);
  void RefuseAtRunTime() const;

  // Appearance applied to the text box without telling the host (loading does not).
  void ApplyColors();
  void ApplyEnabled(bool enabled);
  void ApplyFont(const FontDesc& font);
  void ApplyBorder(std::int32_t border_style, std::int32_t appearance);
  void ApplyToolTipText(std::wstring_view text);

  void OnKeyDown(std::int16_t k, std::int16_t shift);
  void OnKeyUp(std::int16_t k, std::int16_t shift);

  // Messages of the box window.
  void OnSize(int width, int height);
  void OnSetFocus();
  LRESULT OnCtlColor(HDC dc, HWND control);
  void OnDestroy();

  ControlSite& site_;
  OrvantaEvents& events_;
  KeyCapture capture_;
  StorageProperties storage_;
  bool hotkey_enabled_ = false;
  OleColor back_color_ = kSysWindowBackground;
  OleColor fore_color_ = kSysWindowText;
  bool enabled_ = true;
  FontDesc font_;
  UINT dpi_ = USER_DEFAULT_SCREEN_DPI;  // the DPI the box draws at
  UINT font_dpi_ = 0;                   // the DPI font_handle_ was made for
  std::int32_t border_style_ = 1;
  std::int32_t appearance_ = 1;
  std::wstring tooltip_text_;
  win32::shared_hfont font_handle_;  // shared with every box and control of the same font
  win32::unique_hbrush back_brush_;
  HWND text_box_ = nullptr;  // txtHotKey, a child of the box window: goes with it
  bool run_time_ = false;    // set up to run, not in the designer

  // Teardown is the order these unwind in (last declared, first undone): the hidden window is
  // unhooked, then the text box (unless the box window took it along already, see OnDestroy),
  // then the text box's event subclass is removed, then the hidden window is destroyed. No
  // UnregisterHotKey: a registration still in force goes with the window that carries it.
  win32::unique_hwnd hotkey_window_;
  std::unique_ptr<TextBoxEvents> text_box_events_;
  unique_text_box_hook text_box_hook_;
  unique_window_hook hotkey_hook_;
  win32::unique_hwnd tooltip_;  // unowned popup: lives exactly as long as the box wants it
};

}  // namespace tarnelle::hotkeybox

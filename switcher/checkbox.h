#pragma once
// A slot's checkbox. A Win32 checkbox reports a click to its parent, but neither the release of
// a mouse button nor a value set by the program; this one raises Click whenever its value
// changes (mouse, keyboard or program) and MouseUp after any button is released on it.

#include <windows.h>
#include <cstdint>
#include <functional>

#include "win32/window.h"

namespace tarnelle::switcher {

class CheckBox final : public win32::ControlHook {
 public:
  std::function<void()> on_click;
  std::function<void()> on_mouse_up;

  // Creates the checkbox at |bounds|, in pixels of |parent|'s client area.
  [[nodiscard]] bool Create(HWND parent, const wchar_t* caption, int control_id, const RECT& bounds);

  [[nodiscard]] std::int16_t Value() const;
  // Raises Click when the value changes.
  void SetValue(std::int16_t value);

  // The parent passes BN_CLICKED on: the platform has just toggled the box.
  void NotifyClicked();

 protected:
  LRESULT OnControlMessage(UINT msg, WPARAM wp, LPARAM lp) override;
};

}  // namespace tarnelle::switcher

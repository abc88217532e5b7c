#pragma once
// The green title strip across the top of the borderless main window, with its title text.
// It reports pointer movement over itself and over the title; the window decides what to do.

#include <windows.h>
#include <functional>

#include "win32/unique.h"
#include "win32/window.h"

namespace tarnelle::switcher {

class TitleStrip final : public win32::Window {
 public:
  // Called with the key state of WM_MOUSEMOVE (MK_LBUTTON and so on).
  std::function<void(WPARAM keys)> on_mouse_move;

  bool Create(HWND parent, int control_id);
  // Positions the strip and the title at |dpi|.
  void Layout(UINT dpi);
  [[nodiscard]] HWND title() const noexcept { return title_; }

 protected:
  LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  class TitleHook final : public win32::ControlHook {
   public:
    explicit TitleHook(TitleStrip& strip) : strip_(strip) {}

   protected:
    LRESULT OnControlMessage(UINT msg, WPARAM wp, LPARAM lp) override;

   private:
    TitleStrip& strip_;
  };

  HWND title_ = nullptr;
  TitleHook title_hook_{*this};
  win32::unique_hbrush background_;
  win32::unique_hfont title_font_;
};

}  // namespace tarnelle::switcher

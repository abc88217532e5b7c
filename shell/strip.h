#pragma once
// The title strip across the top of a borderless window, with its title text: it stands in
// for the platform's title bar, so a left-button press on the strip or the title drags the
// window it sits in, from the press on. Hovering moves nothing.

#include <windows.h>

#include "win32/unique.h"
#include "win32/window.h"

namespace tarnelle::shell {

struct StripLook {
  COLORREF background;
  COLORREF title_color;
  const wchar_t* title;
};

class TitleStrip final : public win32::Window {
 public:
  // Creates the strip and the title at their places (in pixels of their parents), the title
  // drawing with |title_font|, which the caller keeps alive.
  [[nodiscard]] bool Create(HWND parent, int control_id, const StripLook& look, const RECT& strip,
                            const RECT& title, HFONT title_font);
  // Places both again, and gives the title its font, as at a change of DPI.
  void Layout(const RECT& strip, const RECT& title, HFONT title_font);
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

  LRESULT OnEraseBackground(HDC dc);
  LRESULT OnCtlColorStatic(HDC dc);
  void OnLeftButtonDown();

  HWND title_ = nullptr;  // a child: goes with the strip
  TitleHook title_hook_{*this};
  COLORREF title_color_ = 0;
  win32::unique_hbrush background_;
};

}  // namespace tarnelle::shell

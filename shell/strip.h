#pragma once
// The title strip across the top of a borderless window, with its title text: it stands in
// for the platform's title bar, so a left-button press on the strip or the title drags the
// window it sits in, from the press on. Hovering moves nothing.

#include <windows.h>

#include "win32/picture.h"
#include "win32/unique.h"
#include "win32/window.h"

namespace tarnelle::shell {

struct StripLook {
  COLORREF background;
  COLORREF title_color;
  const wchar_t* title;
  int logo;  // RCDATA pictures of the program, from the left: the logo, hide and close
  int hide;
  int close;
};

// Where the strip sits in its parent and its parts in it, in pixels.
struct StripPlaces {
  RECT strip;
  RECT title;
  RECT logo;
  RECT hide;
  RECT close;
};

class TitleStrip final : public win32::Window {
 public:
  // Creates the strip with its title and pictures at their places, the title drawing with
  // |title_font|, which the caller keeps alive. The hide picture is stretched over its place.
  [[nodiscard]] bool Create(HWND parent, int control_id, const StripLook& look, const StripPlaces& places,
                            HFONT title_font);
  // Places everything again, and gives the title its font, as at a change of DPI.
  void Layout(const StripPlaces& places, HFONT title_font);
  [[nodiscard]] HWND title() const noexcept { return title_; }

  // Their on_click is the caller's.
  win32::Image logo;
  win32::Image hide;
  win32::Image close;

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

#pragma once
// The link label: a text that opens a page. Under the pointer it shows a hand, underlines itself
// and shows its tip; a click opens on the release over the label, as a button's does. The
// underline goes only when the window behind it says so (the pointer crossed its background).

#include <windows.h>
#include <functional>
#include <optional>

#include "win32/click.h"
#include "win32/unique.h"
#include "win32/window.h"

namespace tarnelle::shell {

struct LinkLook {
  const wchar_t* caption;
  const wchar_t* tip;
  int hand_cursor;  // an icon resource of the program, made into the cursor at the first need
  POINT hand_hot_spot;
};

class LinkLabel final : public win32::ControlHook {
 public:
  explicit LinkLabel(const LinkLook& look) : look_(look) {}

  // Creates the label at |r| in |parent|'s client area, drawing with |font| (kept alive by the
  // caller, as is |underlined|, the same face underlined).
  [[nodiscard]] bool Create(HWND parent, int id, const RECT& r, HFONT font, HFONT underlined);
  // The fonts at another DPI; the label redraws.
  void SetFonts(HFONT font, HFONT underlined);
  void SetUnderline(bool on);
  [[nodiscard]] HFONT font() const noexcept { return underlined_ ? underlined_font_ : font_; }

  std::function<void()> on_click;

 protected:
  LRESULT OnControlMessage(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  [[nodiscard]] HCURSOR HandCursor();
  void ShowTip(UINT msg, WPARAM wp, LPARAM lp);

  LinkLook look_;
  HFONT font_ = nullptr;
  HFONT underlined_font_ = nullptr;
  bool underlined_ = false;
  win32::ClickTracker click_;
  HWND tip_ = nullptr;                                // owned by the label's parent, which destroys it
  std::optional<win32::unique_hcursor> hand_cursor_;  // made at the first need, maybe empty
};

}  // namespace tarnelle::shell

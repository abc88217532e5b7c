#pragma once
// Fonts given as the designer gives them: a face, a size in points, a weight and a charset.

#include <windows.h>
#include <memory>
#include <string_view>
#include <type_traits>

namespace tarnelle::win32 {

struct FontSpec {
  std::wstring_view face;
  double points = 9.0;
  int weight = FW_NORMAL;
  BYTE charset = DEFAULT_CHARSET;
  bool italic = false;
  bool underline = false;
  bool strikethrough = false;
};

// A font object owned by all who draw with it; the last to let go deletes it.
using shared_hfont = std::shared_ptr<std::remove_pointer_t<HFONT>>;

// The font at |dpi| (a point is 1/72 inch): one object for every caller that asks for the same
// font at the same DPI while any of them holds it (the window's controls and its ten hotkey
// boxes draw with one face). Empty, and reported, when the platform makes none. For the window's
// thread only.
[[nodiscard]] shared_hfont SharedFontFor(const FontSpec& font, UINT dpi);

}  // namespace tarnelle::win32

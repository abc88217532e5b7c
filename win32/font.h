#pragma once
// Fonts given as the designer gives them: a face, a size in points, a weight and a charset.

#include <windows.h>
#include <string_view>

#include "win32/unique.h"

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

// The font at |dpi| (a point is 1/72 inch).
[[nodiscard]] unique_hfont CreateFontFor(const FontSpec& font, UINT dpi);

}  // namespace tarnelle::win32

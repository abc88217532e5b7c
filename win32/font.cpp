#include "win32/font.h"

#include <cmath>
#include <string>

namespace tarnelle::win32 {

unique_hfont CreateFontFor(const FontSpec& spec, UINT dpi) {
  LOGFONTW lf{};
  lf.lfHeight = -static_cast<LONG>(std::lround(spec.points * static_cast<double>(dpi) / 72.0));
  lf.lfWeight = spec.weight;
  lf.lfItalic = spec.italic ? TRUE : FALSE;
  lf.lfUnderline = spec.underline ? TRUE : FALSE;
  lf.lfStrikeOut = spec.strikethrough ? TRUE : FALSE;
  lf.lfCharSet = spec.charset;
  lf.lfQuality = CLEARTYPE_QUALITY;
  const std::wstring face(spec.face.substr(0, LF_FACESIZE - 1));
  face.copy(lf.lfFaceName, face.size());
  return unique_hfont(::CreateFontIndirectW(&lf));
}

}  // namespace tarnelle::win32

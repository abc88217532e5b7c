#include "win32/font.h"

#include <cmath>
#include <string>

#include "win32/trace.h"

namespace tarnelle::win32 {

unique_hfont CreateFontFor(const FontSpec& font, UINT dpi) {
  LOGFONTW lf{};
  lf.lfHeight = -static_cast<LONG>(std::lround(font.points * static_cast<double>(dpi) / 72.0));
  lf.lfWeight = font.weight;
  lf.lfItalic = font.italic ? TRUE : FALSE;
  lf.lfUnderline = font.underline ? TRUE : FALSE;
  lf.lfStrikeOut = font.strikethrough ? TRUE : FALSE;
  lf.lfCharSet = font.charset;
  lf.lfQuality = CLEARTYPE_QUALITY;
  const std::wstring face(font.face.substr(0, LF_FACESIZE - 1));
  face.copy(lf.lfFaceName, face.size());
  unique_hfont handle(::CreateFontIndirectW(&lf));
  if (!handle) {
    TraceLastError(L"CreateFontIndirectW");
  }
  return handle;
}

}  // namespace tarnelle::win32

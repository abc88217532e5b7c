#include "win32/font.h"

#include <cmath>
#include <string>
#include <tuple>

#include "win32/shared_cache.h"
#include "win32/trace.h"
#include "win32/unique.h"

namespace tarnelle::win32 {
namespace {

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

}  // namespace

shared_hfont SharedFontFor(const FontSpec& font, UINT dpi) {
  using Key = std::tuple<std::wstring, double, int, BYTE, bool, bool, bool, UINT>;
  static SharedCache<Key, std::remove_pointer_t<HFONT>> fonts;
  const Key key{font.face,   font.points,    font.weight,        font.charset,
                font.italic, font.underline, font.strikethrough, dpi};
  return fonts.Get(key, [&] {
    unique_hfont made = CreateFontFor(font, dpi);
    return made ? shared_hfont(made.release(), [](HFONT f) { ::DeleteObject(f); }) : shared_hfont();
  });
}

}  // namespace tarnelle::win32

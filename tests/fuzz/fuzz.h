#pragma once
// What the fuzz targets share: text made from the fuzzer's bytes, and a property that must hold.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace tarnelle::fuzz {

// The fuzzer's bytes read as UTF-8 that may also encode surrogates (ED A0 80 to ED BF BF), so that
// the seeds are plain text and every code point, a lone surrogate too, can come; a byte that starts
// no such sequence stands for itself (U+0080 to U+00FF). Where wchar_t is 16 bits, a code point
// beyond the first plane becomes its surrogate pair.
inline std::wstring WideText(const std::uint8_t* data, std::size_t size) {
  std::wstring text;
  for (std::size_t i = 0; i < size;) {
    const std::uint8_t lead = data[i];
    const std::size_t length = lead >= 0xF5 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 1;
    char32_t c = length == 1 ? lead : lead & (0x7Fu >> length);
    std::size_t k = 1;
    for (; k < length && i + k < size && (data[i + k] & 0xC0) == 0x80; ++k) {
      c = c << 6 | (data[i + k] & 0x3Fu);
    }
    if (k < length || c > 0x10FFFF) {
      c = lead;
      k = 1;
    }
    i += k;
    if constexpr (sizeof(wchar_t) == 2) {
      if (c >= 0x10000) {
        text += static_cast<wchar_t>(0xD800 + ((c - 0x10000) >> 10));
        c = 0xDC00 + (c & 0x3FF);
      }
    }
    text += static_cast<wchar_t>(c);
  }
  return text;
}

}  // namespace tarnelle::fuzz

// A broken property ends the run as a crash, which libFuzzer reports with the input that made it.
#define FUZZ_EXPECT(property) \
  ((property) ? void() : (std::fprintf(stderr, "line %d: not so: %s\n", __LINE__, #property), std::abort()))

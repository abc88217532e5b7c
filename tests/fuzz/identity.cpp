// The window description line of the settings file, which anyone may edit: what DecodeIdentity
// takes is a line EncodeIdentity could have written, and any identity comes back from its line.

#include <algorithm>

#include "fuzz.h"
#include "switcher/identity.h"

using namespace tarnelle::switcher;

// Printable ASCII, no space, and exactly two '|': all EncodeIdentity writes.
static bool OfTheForm(const std::wstring& line) {
  return std::all_of(line.begin(), line.end(), [](wchar_t c) { return c > L' ' && c < 0x7F; }) &&
         std::count(line.begin(), line.end(), L'|') == 2;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::wstring line = tarnelle::fuzz::WideText(data, size);
  if (const auto decoded = DecodeIdentity(line)) {
    FUZZ_EXPECT(OfTheForm(line) && !decoded->program.empty() && !decoded->window_class.empty());
    FUZZ_EXPECT(DecodeIdentity(EncodeIdentity(*decoded)) == decoded);
  }
  // The first two bytes say where the text after them splits into the three fields.
  if (size < 2) {
    return 0;
  }
  const std::wstring text = tarnelle::fuzz::WideText(data + 2, size - 2);
  const std::size_t class_at = data[0] % (text.size() + 1);
  const std::size_t title_at = class_at + data[1] % (text.size() - class_at + 1);
  const WindowIdentity identity{text.substr(0, class_at), text.substr(class_at, title_at - class_at),
                                text.substr(title_at)};
  const std::wstring encoded = EncodeIdentity(identity);
  FUZZ_EXPECT(OfTheForm(encoded));
  const auto back = DecodeIdentity(encoded);
  if (identity.program.empty() || identity.window_class.empty()) {
    FUZZ_EXPECT(!back);
  } else if (std::none_of(text.begin(), text.end(),
                          [](wchar_t c) { return c == 0 || (c >= 0xD800 && c < 0xE000); })) {
    FUZZ_EXPECT(back == identity);  // whole code points on any platform, and no NUL
  } else {
    FUZZ_EXPECT(!back || back == identity);  // never another window's identity
  }
  return 0;
}

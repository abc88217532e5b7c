// The headers of a picture file: whatever bytes ReadBitmapLayout is handed, a layout it accepts
// is of the one kind the program paints (32 bits per pixel, uncompressed) and lies inside them.

#include "fuzz.h"
#include "win32/bitmap_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto layout = tarnelle::win32::ReadBitmapLayout({data, size});
  if (!layout) {
    return 0;
  }
  FUZZ_EXPECT(layout->width > 0 && layout->height > 0);
  FUZZ_EXPECT(layout->offset >= 54 && layout->offset <= size);  // after the two headers
  FUZZ_EXPECT(static_cast<std::size_t>(layout->width) * static_cast<std::size_t>(layout->height) * 4 <=
              size - layout->offset);
  FUZZ_EXPECT(data[0] == 'B' && data[1] == 'M' && data[28] == 32 && data[29] == 0);
  FUZZ_EXPECT((data[30] | data[31] | data[32] | data[33]) == 0);  // BI_RGB
  FUZZ_EXPECT(layout->top_down == (data[25] >= 0x80));            // a negative height
  return 0;
}

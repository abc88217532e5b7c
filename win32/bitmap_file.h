#pragma once
// Where the pixels of a bitmap file lie, read from its headers. Only the kind the program paints
// from without a codec is taken: 32 bits per pixel, uncompressed. Pure logic.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace tarnelle::win32 {

struct BitmapLayout {
  int width;
  int height;
  bool top_down;       // the first row in the file is the top one
  std::size_t offset;  // of the first row, from the start of the file; rows are width * 4 bytes
};

// The layout of |file|, a whole .bmp file; nothing when it is not that kind, or when its pixels
// would reach past its end.
[[nodiscard]] std::optional<BitmapLayout> ReadBitmapLayout(std::span<const std::uint8_t> file);

}  // namespace tarnelle::win32

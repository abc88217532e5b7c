#include "win32/bitmap_file.h"
#include "win32/shared_cache.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace tarnelle::win32 {
namespace {

// A .bmp file as a paint program writes one, with |pixel_bytes| of pixels after its headers.
std::vector<std::uint8_t> Bmp(std::int32_t width, std::int32_t height, std::uint16_t bpp = 32,
                              std::uint32_t compression = 0, std::uint32_t header = 40,
                              std::int64_t pixel_bytes = -1, char magic = 'M') {
  std::vector<std::uint8_t> file;
  const auto put = [&](std::uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
      file.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    }
  };
  const std::uint64_t pixels =
      pixel_bytes >= 0
          ? static_cast<std::uint64_t>(pixel_bytes)
          : static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height < 0 ? -height : height) * 4;
  for (const auto& [value, bytes] :
       std::initializer_list<std::pair<std::uint64_t, int>>{{'B', 1},
                                                            {static_cast<std::uint8_t>(magic), 1},
                                                            {14 + header + pixels, 4},
                                                            {0, 4},
                                                            {14 + header, 4},
                                                            {header, 4},
                                                            {static_cast<std::uint32_t>(width), 4},
                                                            {static_cast<std::uint32_t>(height), 4},
                                                            {1, 2},
                                                            {bpp, 2},
                                                            {compression, 4}}) {
    put(value, bytes);
  }
  file.resize(14 + header + pixels);
  return file;
}

std::vector<std::uint8_t> FirstBytes(std::vector<std::uint8_t> file, std::size_t count) {
  file.resize(count);
  return file;
}

// The three title-strip pictures are files of this kind; anything else must come out empty
// rather than be painted from the wrong bytes.
TEST(BitmapFile, OnlyUncompressed32BitFilesWholeToTheirLastRowAreRead) {
  const struct {
    std::vector<std::uint8_t> file;
    std::optional<BitmapLayout> layout;
  } cases[] = {
      {Bmp(22, -22), BitmapLayout{22, 22, true, 54}},
      {Bmp(48, 19), BitmapLayout{48, 19, false, 54}},
      {Bmp(48, -20, 32, 0, 124), BitmapLayout{48, 20, true, 138}},  // a version 5 header
      // What else a file may hold the fuzz target of the layout reader tries; these are its edges.
      {Bmp(48, -20, 32, 0, 40, 48 * 20 * 4 - 1), std::nullopt},  // a row cut short
      {Bmp(48, -20, 32, 0, 12), std::nullopt},                   // the old core header
      {Bmp(0x4001, 1, 32, 0, 40, 0), std::nullopt},              // too wide to be one of ours, and no pixels
      {FirstBytes(Bmp(2, 2), 53), std::nullopt},                 // its headers cut short
  };
  for (const auto& [file, layout] : cases) {
    const std::optional<BitmapLayout> read = ReadBitmapLayout(file);
    ASSERT_EQ(read.has_value(), layout.has_value()) << file.size() << " bytes";
    if (layout) {
      EXPECT_TRUE(read->width == layout->width && read->height == layout->height &&
                  read->top_down == layout->top_down && read->offset == layout->offset)
          << read->width << "x" << read->height << " at " << read->offset;
    }
  }
}

// The window's controls and its ten hotkey boxes ask for one font: a single object serves all
// who hold it; once all have let go, the next to ask gets a new one; a failure is not kept.
TEST(SharedCache, GivesOneObjectPerKeyWhileAnyoneHoldsIt) {
  SharedCache<int, int> cache;
  int made = 0;
  const auto make = [&] { return std::make_shared<int>(++made); };
  std::shared_ptr<int> first = cache.Get(9, make);
  std::shared_ptr<int> second = cache.Get(9, make);
  EXPECT_TRUE(first == second && *cache.Get(12, make) == 2);
  first.reset();
  EXPECT_EQ(cache.Get(9, make), second);
  second.reset();
  EXPECT_EQ(*cache.Get(9, make), 3);
  EXPECT_EQ(cache.Get(5, [] { return std::shared_ptr<int>(); }), nullptr);
  EXPECT_EQ(*cache.Get(5, make), 4);
}

}  // namespace
}  // namespace tarnelle::win32

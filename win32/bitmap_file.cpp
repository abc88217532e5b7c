#include "win32/bitmap_file.h"

namespace tarnelle::win32 {
namespace {

// A bitmap file's numbers are little-endian, whatever the machine reading it.
std::uint32_t Read32(std::span<const std::uint8_t> bytes, std::size_t at) {
  return static_cast<std::uint32_t>(bytes[at]) | (static_cast<std::uint32_t>(bytes[at + 1]) << 8) |
         (static_cast<std::uint32_t>(bytes[at + 2]) << 16) |
         (static_cast<std::uint32_t>(bytes[at + 3]) << 24);
}

std::uint16_t Read16(std::span<const std::uint8_t> bytes, std::size_t at) {
  return static_cast<std::uint16_t>(bytes[at] | (bytes[at + 1] << 8));
}

constexpr std::size_t kFileHeader = 14;
constexpr std::size_t kInfoHeader = 40;  // the smallest header that has these fields
constexpr std::int64_t kLargestSide = 0x4000;

}  // namespace

std::optional<BitmapLayout> ReadBitmapLayout(std::span<const std::uint8_t> file) {
  if (file.size() < kFileHeader + kInfoHeader || file[0] != 'B' || file[1] != 'M' ||
      Read32(file, kFileHeader) < kInfoHeader) {
    return std::nullopt;
  }
  const auto width = static_cast<std::int32_t>(Read32(file, kFileHeader + 4));
  const auto height = static_cast<std::int32_t>(Read32(file, kFileHeader + 8));
  const std::int64_t rows = height < 0 ? -static_cast<std::int64_t>(height) : height;
  if (Read16(file, kFileHeader + 12) != 1 || Read16(file, kFileHeader + 14) != 32 ||
      Read32(file, kFileHeader + 16) != 0 /* BI_RGB */ || width <= 0 || width > kLargestSide || rows == 0 ||
      rows > kLargestSide) {
    return std::nullopt;
  }
  const std::size_t offset = Read32(file, 10);
  if (offset < kFileHeader + Read32(file, kFileHeader) || offset > file.size() ||
      static_cast<std::size_t>(width) * static_cast<std::size_t>(rows) * 4 > file.size() - offset) {
    return std::nullopt;
  }
  return BitmapLayout{width, static_cast<int>(rows), height < 0, offset};
}

}  // namespace tarnelle::win32

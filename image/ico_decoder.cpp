#include "image/ico_decoder.h"

#include <algorithm>
#include <iterator>
#include <optional>

#include "image/bmp_decoder.h"
#include "image/frame.h"
#include "image/little_endian.h"
#include "image/png_decoder.h"

namespace varnelle::image {
namespace {

constexpr std::size_t kDirectoryHeaderSize = 6;
constexpr std::size_t kEntrySize = 16;
constexpr std::uint8_t kPngSignature[] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};

bool is_png(std::span<const std::uint8_t> entry) {
  return entry.size() >= sizeof kPngSignature &&
         std::equal(std::begin(kPngSignature), std::end(kPngSignature), entry.begin());
}

std::uint32_t read_be32(std::span<const std::uint8_t> data, std::size_t at) {
  return static_cast<std::uint32_t>(data[at]) << 24 |
         static_cast<std::uint32_t>(data[at + 1]) << 16 |
         static_cast<std::uint32_t>(data[at + 2]) << 8 | data[at + 3];
}

// What an entry really holds, read from its own header: the directory's sizes are often wrong
// (256 is stored as 0, PNG entries are left at 0).
struct Shape {
  std::uint64_t area = 0;
  unsigned bits = 0;

  bool larger_than(const Shape& other) const {
    return area != other.area ? area > other.area : bits > other.bits;
  }
};

std::optional<Shape> read_shape(std::span<const std::uint8_t> entry) {
  if (is_png(entry)) {
    constexpr std::size_t kIhdrEnd = 26;
    if (entry.size() < kIhdrEnd) return std::nullopt;
    constexpr unsigned kChannels[] = {1, 0, 3, 1, 2, 0, 4};
    const unsigned colour_type = entry[25];
    const unsigned channels = colour_type < 7 ? kChannels[colour_type] : 0;
    return Shape{std::uint64_t{read_be32(entry, 16)} * read_be32(entry, 20), entry[24] * channels};
  }
  if (entry.size() < 16) return std::nullopt;
  const std::uint32_t header_size = read_le32(entry, 0);
  if (header_size == 12) {
    return Shape{std::uint64_t{read_le16(entry, 4)} * (read_le16(entry, 6) / 2u),
                 read_le16(entry, 10)};
  }
  const auto width = static_cast<std::int32_t>(read_le32(entry, 4));
  const auto height = static_cast<std::int32_t>(read_le32(entry, 8));
  if (width <= 0 || height <= 0) return std::nullopt;
  return Shape{static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height / 2),
               read_le16(entry, 14)};
}

}  // namespace

Image decode_ico(std::span<const std::uint8_t> data) {
  if (data.size() < kDirectoryHeaderSize || read_le16(data, 0) != 0) return {};
  const unsigned type = read_le16(data, 2);
  const std::size_t count = read_le16(data, 4);
  if ((type != 1 && type != 2) || count == 0) return {};
  if ((data.size() - kDirectoryHeaderSize) / kEntrySize < count) return {};

  std::span<const std::uint8_t> best;
  Shape best_shape;
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t at = kDirectoryHeaderSize + i * kEntrySize;
    const std::uint64_t size = read_le32(data, at + 8);
    const std::uint64_t offset = read_le32(data, at + 12);
    if (offset > data.size() || size > data.size() - offset) continue;
    const std::span<const std::uint8_t> entry = data.subspan(offset, size);
    const std::optional<Shape> shape = read_shape(entry);
    if (shape && (best.empty() || shape->larger_than(best_shape))) {
      best = entry;
      best_shape = *shape;
    }
  }
  if (best.empty()) return {};
  if (is_png(best)) return decode_png(best);
  std::optional<Frame> frame = decode_dib(best, DibSource::icon_entry);
  if (!frame) return {};
  return single_frame_image(std::move(*frame));
}

}  // namespace varnelle::image

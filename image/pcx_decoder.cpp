#include "image/pcx_decoder.h"

#include <vector>

#include "image/frame.h"
#include "image/little_endian.h"

namespace varnelle::image {
namespace {

constexpr std::size_t kHeaderSize = 128;
constexpr std::size_t kPaletteSize = 1 + 256 * 3;  // a 0x0C marker, then 256 RGB triples
constexpr std::uint8_t kPaletteMarker = 0x0C;
// The longest run one byte pair can give: a count byte holds at most 63.
constexpr std::uint64_t kMaxBytesPerPair = 63;

// PCX runs may carry on from one scan line into the next, so the reader keeps its run.
class RunReader {
 public:
  explicit RunReader(std::span<const std::uint8_t> data) : data_(data) {}

  bool read(std::span<std::uint8_t> out) {
    for (std::uint8_t& byte : out) {
      while (remaining_ == 0) {
        if (at_ == data_.size()) return false;
        const std::uint8_t code = data_[at_++];
        if ((code & 0xC0) != 0xC0) {
          value_ = code;
          remaining_ = 1;
        } else {
          if (at_ == data_.size()) return false;
          value_ = data_[at_++];
          remaining_ = code & 0x3F;
        }
      }
      byte = value_;
      --remaining_;
    }
    return true;
  }

 private:
  std::span<const std::uint8_t> data_;
  std::size_t at_ = 0;
  std::uint8_t value_ = 0;
  unsigned remaining_ = 0;
};

}  // namespace

Image decode_pcx(std::span<const std::uint8_t> data) {
  if (data.size() < kHeaderSize || data[0] != 0x0A || data[2] != 1) return {};
  const unsigned bits = data[3];
  const unsigned planes = data[65];
  const bool indexed = bits == 8 && planes == 1;
  const bool rgb = bits == 8 && planes == 3;
  const bool mono = bits == 1 && planes == 1;
  if (!indexed && !rgb && !mono) return {};

  const std::int64_t width = std::int64_t{read_le16(data, 8)} - read_le16(data, 4) + 1;
  const std::int64_t height = std::int64_t{read_le16(data, 10)} - read_le16(data, 6) + 1;
  const std::size_t bytes_per_line = read_le16(data, 66);
  if (!size_allowed(width, height) ||
      bytes_per_line < static_cast<std::size_t>((width * bits + 7) / 8))
    return {};

  std::span<const std::uint8_t> encoded = data.subspan(kHeaderSize);
  std::span<const std::uint8_t> palette;
  if (indexed) {
    if (encoded.size() < kPaletteSize || data[data.size() - kPaletteSize] != kPaletteMarker)
      return {};
    palette = data.last(kPaletteSize - 1);
    encoded = encoded.first(encoded.size() - kPaletteSize);
  }
  // Refuses a header whose pixels the data cannot hold even at the densest coding, before
  // anything is allocated.
  const std::size_t line_size = bytes_per_line * planes;
  if (std::uint64_t{line_size} * static_cast<std::uint64_t>(height) >
      encoded.size() / 2 * kMaxBytesPerPair + encoded.size() % 2)
    return {};

  std::optional<Frame> frame = make_frame(width, height);
  if (!frame) return {};
  std::vector<std::uint8_t> line(line_size);
  RunReader runs(encoded);
  std::uint8_t* out = frame->rgba.data();
  for (std::int64_t y = 0; y < height; ++y) {
    if (!runs.read(line)) return {};
    for (std::int64_t x = 0; x < width; ++x, out += 4) {
      const auto column = static_cast<std::size_t>(x);
      if (indexed) {
        const std::size_t at = std::size_t{line[column]} * 3;
        out[0] = palette[at], out[1] = palette[at + 1], out[2] = palette[at + 2];
      } else if (rgb) {
        out[0] = line[column];
        out[1] = line[bytes_per_line + column];
        out[2] = line[2 * bytes_per_line + column];
      } else {
        const bool white = (line[column / 8] >> (7 - column % 8)) & 1;
        out[0] = out[1] = out[2] = white ? 255 : 0;
      }
      out[3] = 255;
    }
  }
  return single_frame_image(std::move(*frame));
}

}  // namespace varnelle::image

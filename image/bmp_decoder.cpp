#include "image/bmp_decoder.h"

#include <array>
#include <bit>
#include <limits>
#include <vector>

#include "image/frame.h"
#include "image/little_endian.h"

namespace varnelle::image {
namespace {

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::size_t kCoreHeaderSize = 12;
constexpr std::size_t kInfoHeaderSize = 40;

enum Compression : std::uint32_t {
  kRgb = 0,
  kRle8 = 1,
  kRle4 = 2,
  kBitfields = 3,
  kAlphaBitfields = 6
};

struct Rgba {
  std::uint8_t r = 0, g = 0, b = 0, a = 0;
};

// One colour channel of a 16- or 32-bit pixel, widened or narrowed to 8 bits.
class Channel {
 public:
  Channel(std::uint32_t mask, std::uint8_t absent) : mask_(mask), absent_(absent) {
    if (mask_ != 0) {
      shift_ = std::countr_zero(mask_);
      max_ = mask_ >> shift_;
    }
  }
  std::uint8_t operator()(std::uint32_t pixel) const {
    if (mask_ == 0) return absent_;
    return static_cast<std::uint8_t>(std::uint64_t{(pixel & mask_) >> shift_} * 255 / max_);
  }
  bool present() const { return mask_ != 0; }

 private:
  std::uint32_t mask_;
  std::uint8_t absent_;
  int shift_ = 0;
  std::uint32_t max_ = 1;
};

struct Header {
  std::int64_t width = 0;
  std::int64_t rows = 0;
  bool top_down = false;
  unsigned bits = 0;
  std::uint32_t compression = kRgb;
  std::array<std::uint32_t, 4> masks{};  // red, green, blue, alpha
  std::vector<Rgba> palette;
  std::size_t palette_end = 0;  // where the pixels of an icon entry start
};

bool valid_combination(unsigned bits, std::uint32_t compression) {
  switch (compression) {
    case kRgb:
      return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
    case kRle8:
      return bits == 8;
    case kRle4:
      return bits == 4;
    case kBitfields:
    case kAlphaBitfields:
      return bits == 16 || bits == 32;
    default:
      return false;
  }
}

std::array<std::uint32_t, 4> default_masks(unsigned bits, DibSource source) {
  if (bits == 16) return {0x7C00, 0x03E0, 0x001F, 0};
  // A BMP file's fourth byte is padding; an icon's is alpha.
  return {0xFF0000, 0xFF00, 0xFF, source == DibSource::icon_entry ? 0xFF000000u : 0u};
}

std::optional<Header> read_header(std::span<const std::uint8_t> dib, DibSource source) {
  if (dib.size() < 4) return std::nullopt;
  const std::size_t header_size = read_le32(dib, 0);
  if (header_size > dib.size() || (header_size != kCoreHeaderSize && header_size < kInfoHeaderSize))
    return std::nullopt;
  Header header;
  std::int64_t height = 0;
  std::size_t palette_entry_size = 4;
  std::uint32_t colors_used = 0;
  std::size_t masks_end = header_size;
  if (header_size == kCoreHeaderSize) {
    header.width = read_le16(dib, 4);
    height = read_le16(dib, 6);
    header.bits = read_le16(dib, 10);
    palette_entry_size = 3;
  } else {
    header.width = static_cast<std::int32_t>(read_le32(dib, 4));
    height = static_cast<std::int32_t>(read_le32(dib, 8));
    header.bits = read_le16(dib, 14);
    header.compression = read_le32(dib, 16);
    colors_used = read_le32(dib, 32);
  }
  if (!valid_combination(header.bits, header.compression)) return std::nullopt;
  if (source == DibSource::icon_entry &&
      (header.compression == kRle8 || header.compression == kRle4))
    return std::nullopt;  // icons are never run-length coded; their AND mask needs plain rows

  header.masks = default_masks(header.bits, source);
  if (header.compression == kBitfields || header.compression == kAlphaBitfields) {
    // Version 2 and later headers hold the masks; after a plain info header they follow it.
    const std::size_t mask_count = header.compression == kAlphaBitfields ? 4 : 3;
    const std::size_t masks_at = kInfoHeaderSize;
    if (header_size == kInfoHeaderSize) {
      masks_end += mask_count * 4;
    } else if (header_size < masks_at + mask_count * 4) {
      return std::nullopt;  // a header too short for the masks it should hold
    }
    if (masks_end > dib.size()) return std::nullopt;
    header.masks = {};
    for (std::size_t i = 0; i < mask_count; ++i) header.masks[i] = read_le32(dib, masks_at + i * 4);
    if (header_size >= kInfoHeaderSize + 16) header.masks[3] = read_le32(dib, masks_at + 12);
  }

  header.top_down = height < 0;
  header.rows = header.top_down ? -height : height;
  if (source == DibSource::icon_entry) {
    if (header.top_down) return std::nullopt;
    header.rows /= 2;
  }
  if (!size_allowed(header.width, header.rows)) return std::nullopt;

  // An icon's pixels start after every palette entry the header declares; only the first
  // 2^bits of them can be used.
  const std::uint64_t declared = colors_used != 0   ? colors_used
                                 : header.bits <= 8 ? std::uint64_t{1} << header.bits
                                                    : 0;
  header.palette_end = masks_end + declared * palette_entry_size;
  if (header.bits <= 8) {
    const std::size_t usable = std::min<std::uint64_t>(declared, std::uint64_t{1} << header.bits);
    if (usable > (dib.size() - masks_end) / palette_entry_size) return std::nullopt;
    for (std::size_t i = 0; i < usable; ++i) {
      const std::size_t at = masks_end + i * palette_entry_size;
      header.palette.push_back({dib[at + 2], dib[at + 1], dib[at], 255});
    }
  }
  return header;
}

std::size_t row_stride(std::int64_t width, unsigned bits) {
  return static_cast<std::size_t>((static_cast<std::uint64_t>(width) * bits + 31) / 32 * 4);
}

class PixelWriter {
 public:
  PixelWriter(Frame& frame, const Header& header) : frame_(frame), header_(header) {}

  // y counts rows as stored in the file.
  void put(std::int64_t x, std::int64_t y, Rgba color) {
    if (x < 0 || y < 0 || x >= frame_.width || y >= frame_.height) return;
    const std::int64_t row = header_.top_down ? y : frame_.height - 1 - y;
    std::uint8_t* out = frame_.rgba.data() + (static_cast<std::size_t>(row) * frame_.width + x) * 4;
    out[0] = color.r;
    out[1] = color.g;
    out[2] = color.b;
    out[3] = color.a;
  }

  void put_index(std::int64_t x, std::int64_t y, unsigned index) {
    // Indices past the palette show black, as the system does.
    put(x, y, index < header_.palette.size() ? header_.palette[index] : Rgba{0, 0, 0, 255});
  }

 private:
  Frame& frame_;
  const Header& header_;
};

void decode_uncompressed(std::span<const std::uint8_t> pixels, const Header& header, Frame& frame) {
  const std::size_t stride = row_stride(header.width, header.bits);
  PixelWriter writer(frame, header);
  const Channel red(header.masks[0], 0), green(header.masks[1], 0), blue(header.masks[2], 0);
  const Channel alpha(header.masks[3], 255);
  for (std::int64_t y = 0; y < header.rows; ++y) {
    const std::span<const std::uint8_t> row =
        pixels.subspan(static_cast<std::size_t>(y) * stride, stride);
    for (std::int64_t x = 0; x < header.width; ++x) {
      const std::size_t bit = static_cast<std::size_t>(x) * header.bits;
      switch (header.bits) {
        case 1:
        case 4:
        case 8: {
          const unsigned shift = 8 - header.bits - bit % 8;
          writer.put_index(x, y, (row[bit / 8] >> shift) & ((1u << header.bits) - 1));
          break;
        }
        case 24:
          writer.put(x, y, {row[bit / 8 + 2], row[bit / 8 + 1], row[bit / 8], 255});
          break;
        default: {
          const std::uint32_t value =
              header.bits == 16 ? read_le16(row, bit / 8) : read_le32(row, bit / 8);
          writer.put(x, y, {red(value), green(value), blue(value), alpha(value)});
        }
      }
    }
  }
}

// Run-length coded 8- or 4-bit pixels. Pixels the runs skip stay transparent. Data that ends
// before the end-of-bitmap code counts as complete only once every row is done.
bool decode_run_length(std::span<const std::uint8_t> data, const Header& header, Frame& frame) {
  const bool four_bit = header.compression == kRle4;
  PixelWriter writer(frame, header);
  auto index_of = [four_bit](std::uint8_t byte, std::size_t n) -> unsigned {
    if (!four_bit) return byte;
    return n % 2 == 0 ? byte >> 4 : byte & 0x0F;
  };
  std::int64_t x = 0, y = 0;
  std::size_t at = 0;
  while (y < header.rows) {
    if (data.size() - at < 2) return false;
    const std::uint8_t count = data[at], value = data[at + 1];
    at += 2;
    if (count > 0) {
      for (std::size_t n = 0; n < count; ++n) writer.put_index(x++, y, index_of(value, n));
    } else if (value == 0) {
      x = 0;
      ++y;
    } else if (value == 1) {
      return true;
    } else if (value == 2) {
      if (data.size() - at < 2) return false;
      x += data[at];
      y += data[at + 1];
      at += 2;
    } else {
      const std::size_t bytes = four_bit ? (value + 1u) / 2 : value;
      if (data.size() - at < bytes) return false;
      for (std::size_t n = 0; n < value; ++n)
        writer.put_index(x++, y, index_of(data[at + (four_bit ? n / 2 : n)], n));
      at = std::min(data.size(), at + bytes + bytes % 2);  // absolute runs end on a word
    }
  }
  return true;
}

// An icon's AND mask hides the pixels whose bit is set, unless 32-bit pixels carry alpha.
bool apply_and_mask(std::span<const std::uint8_t> mask, const Header& header, Frame& frame) {
  bool has_alpha = false;
  if (header.bits == 32 && header.masks[3] != 0) {
    for (std::size_t i = 3; i < frame.rgba.size() && !has_alpha; i += 4)
      has_alpha = frame.rgba[i] != 0;
  }
  if (has_alpha) return true;
  const std::size_t stride = row_stride(header.width, 1);
  if (mask.size() / stride < static_cast<std::size_t>(header.rows)) return false;
  for (std::int64_t y = 0; y < header.rows; ++y) {
    const std::size_t row = static_cast<std::size_t>(frame.height - 1 - y);
    for (std::int64_t x = 0; x < header.width; ++x) {
      const bool hidden = (mask[static_cast<std::size_t>(y) * stride + x / 8] >> (7 - x % 8)) & 1;
      std::uint8_t* out = frame.rgba.data() + (row * frame.width + x) * 4;
      if (hidden) {
        out[0] = out[1] = out[2] = out[3] = 0;
      } else {
        out[3] = 255;
      }
    }
  }
  return true;
}

}  // namespace

std::optional<Frame> decode_dib(std::span<const std::uint8_t> dib, DibSource source,
                                std::size_t pixels_at) {
  const std::optional<Header> header = read_header(dib, source);
  if (!header) return std::nullopt;
  if (source == DibSource::icon_entry) pixels_at = header->palette_end;
  if (pixels_at > dib.size()) return std::nullopt;
  const std::span<const std::uint8_t> pixels = dib.subspan(pixels_at);
  const bool run_length = header->compression == kRle8 || header->compression == kRle4;
  if (!run_length && pixels.size() / row_stride(header->width, header->bits) <
                         static_cast<std::size_t>(header->rows))
    return std::nullopt;  // checked before the frame exists

  std::optional<Frame> frame = make_frame(header->width, header->rows);
  if (!frame) return std::nullopt;
  if (run_length) {
    if (!decode_run_length(pixels, *header, *frame)) return std::nullopt;
    return frame;
  }
  decode_uncompressed(pixels, *header, *frame);
  if (source == DibSource::icon_entry) {
    const std::size_t xor_size = row_stride(header->width, header->bits) * header->rows;
    if (!apply_and_mask(pixels.subspan(xor_size), *header, *frame)) return std::nullopt;
  }
  return frame;
}

Image decode_bmp(std::span<const std::uint8_t> data) {
  if (data.size() < kFileHeaderSize || data[0] != 'B' || data[1] != 'M') return {};
  const std::size_t pixels_at = read_le32(data, 10);
  if (pixels_at < kFileHeaderSize) return {};
  std::optional<Frame> frame = decode_dib(data.subspan(kFileHeaderSize), DibSource::bitmap_file,
                                          pixels_at - kFileHeaderSize);
  if (!frame) return {};
  return single_frame_image(std::move(*frame));
}

}  // namespace varnelle::image

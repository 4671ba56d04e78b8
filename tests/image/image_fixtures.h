#pragma once
// Pictures made for the image tests and the fuzzing seeds: real encoders for PNG, JPEG and GIF,
// hand-built bytes for BMP, ICO, CUR and PCX.

#include <cstdint>
#include <initializer_list>
#include <vector>

#include "image/image.h"

namespace varnelle::image::fixtures {

using Bytes = std::vector<std::uint8_t>;

struct Rgba {
  std::uint8_t r = 0, g = 0, b = 0, a = 255;
  bool operator==(const Rgba&) const = default;
};

Rgba pixel_at(const Frame& frame, int x, int y);

// A frame whose every pixel differs from its neighbours, so misplaced rows or columns show.
Frame pattern_frame(int width, int height, bool with_alpha = false);

// A smooth frame, the kind of content JPEG keeps close to the original.
Frame gradient_frame(int width, int height);

// Appends little-endian fields.
class ByteWriter {
 public:
  ByteWriter& u8(std::uint8_t value);
  ByteWriter& u16(std::uint16_t value);
  ByteWriter& u32(std::uint32_t value);
  ByteWriter& bytes(const Bytes& more);
  ByteWriter& bytes(std::initializer_list<std::uint8_t> more);
  ByteWriter& zeros(std::size_t count);
  const Bytes& data() const { return data_; }
  std::size_t size() const { return data_.size(); }

 private:
  Bytes data_;
};

Bytes encode_png(const Frame& frame);

enum class JpegColour { rgb, grey, cmyk };
Bytes encode_jpeg(const Frame& frame, int quality = 95, JpegColour colour = JpegColour::rgb,
                  bool progressive = false);

// A BITMAPINFOHEADER (40 bytes) or one of its longer versions (header_size 108 or 124 put the
// masks at their place in the header).
struct DibHeader {
  std::uint32_t header_size = 40;
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::uint16_t bits = 24;
  std::uint32_t compression = 0;
  std::uint32_t colors_used = 0;
  std::uint32_t masks[4] = {0, 0, 0, 0};  // red, green, blue, alpha
};
Bytes dib_header(const DibHeader& header);

// A BMP file: file header, dib (header, masks, palette) and pixel bits.
Bytes bmp_file(const Bytes& dib, const Bytes& pixels);

// The ways a true-colour frame is laid out in a BMP file.
enum class BmpLayout {
  rgb24,           // bottom-up, 40-byte header
  rgb24_top_down,  // negative height
  rgb24_core,      // 12-byte header of the first version
  rgb32,           // fourth byte unused
  rgb555,          // 16 bits, no masks given
  bitfields565,    // 16 bits, masks after a 40-byte header
  v4_bitfields,    // 32 bits, masks inside a 108-byte header, an unusual byte order
  v5_alpha,        // 32 bits with an alpha mask in a 124-byte header
};
Bytes encode_bmp(const Frame& frame, BmpLayout layout);

// An indexed BMP of 1, 4 or 8 bits per pixel, bottom-up.
Bytes encode_indexed_bmp(int width, int height, const std::vector<std::uint8_t>& indices,
                         unsigned bits, const std::vector<Rgba>& palette);

// A small run-length coded BMP (8 or 4 bits) using every command: runs, absolute runs with their
// padding, end of line, a delta jump and end of bitmap. indices holds what it shows, top row
// first, -1 where the jump leaves pixels untouched.
struct RleSample {
  Bytes file;
  int width = 0, height = 0;
  std::vector<int> indices;
  std::vector<Rgba> palette;
};
RleSample bmp_rle_sample(unsigned bits);

struct IconEntry {
  int width = 0;
  int height = 0;
  std::uint16_t bits = 32;  // the hotspot's y for a cursor
  Bytes data;               // a DIB with its AND mask, or a PNG file
};
// type 1 is an icon, 2 a cursor.
Bytes icon_file(std::uint16_t type, const std::vector<IconEntry>& entries);

// A 32-bit icon entry from a frame, with an AND mask hiding the pixels where hide(x, y).
// With alpha false the fourth byte of every pixel is zero, so the mask decides.
template <typename Hide>
Bytes icon_dib(const Frame& frame, bool alpha, Hide hide);

// PCX run-length coding of one buffer.
Bytes pcx_runs(const Bytes& plain);
struct PcxHeader {
  std::uint8_t version = 5;
  std::uint8_t bits = 8;
  std::uint8_t planes = 1;
  int width = 0;
  int height = 0;
  std::uint16_t bytes_per_line = 0;
};
Bytes pcx_header(const PcxHeader& header);

struct GifFrame {
  int left = 0, top = 0, width = 0, height = 0;
  std::vector<std::uint8_t> indices;  // width * height
  int disposal = 0;                   // DISPOSAL_UNSPECIFIED
  int delay_cs = 0;                   // hundredths of a second
  int transparent_index = -1;
  bool interlaced = false;
};
// A GIF from giflib's encoder, with a global colour table.
Bytes encode_gif(int width, int height, const std::vector<Rgba>& palette,
                 const std::vector<GifFrame>& frames);

// Implementation of the template above.
template <typename Hide>
Bytes icon_dib(const Frame& frame, bool alpha, Hide hide) {
  ByteWriter out;
  out.bytes(dib_header({.width = frame.width, .height = frame.height * 2, .bits = 32}));
  for (int y = frame.height - 1; y >= 0; --y) {
    for (int x = 0; x < frame.width; ++x) {
      const Rgba p = pixel_at(frame, x, y);
      out.u8(p.b).u8(p.g).u8(p.r).u8(alpha ? p.a : 0);
    }
  }
  const int stride = (frame.width + 31) / 32 * 4;
  for (int y = frame.height - 1; y >= 0; --y) {
    Bytes row(static_cast<std::size_t>(stride), 0);
    for (int x = 0; x < frame.width; ++x) {
      if (hide(x, y))
        row[static_cast<std::size_t>(x / 8)] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
    }
    out.bytes(row);
  }
  return out.data();
}

}  // namespace varnelle::image::fixtures

#include "tests/image/image_fixtures.h"

#include <algorithm>
#include <cstdio>  // before jpeglib.h, which uses FILE
#include <cstring>
#include <stdexcept>

#include <gif_lib.h>
#include <jpeglib.h>
#include <png.h>

namespace varnelle::image::fixtures {

Rgba pixel_at(const Frame& frame, int x, int y) {
  const std::uint8_t* p = frame.rgba.data() + (static_cast<std::size_t>(y) * frame.width + x) * 4;
  return {p[0], p[1], p[2], p[3]};
}

Frame pattern_frame(int width, int height, bool with_alpha) {
  Frame frame{width, height, {}, 0};
  frame.rgba.reserve(static_cast<std::size_t>(width) * height * 4);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      frame.rgba.push_back(static_cast<std::uint8_t>(x * 37 + y * 11));
      frame.rgba.push_back(static_cast<std::uint8_t>(y * 53 + 7));
      frame.rgba.push_back(static_cast<std::uint8_t>((x + y) * 29 + 100));
      frame.rgba.push_back(with_alpha ? static_cast<std::uint8_t>(255 - (x * 13 + y * 17) % 256)
                                      : 255);
    }
  }
  return frame;
}

Frame gradient_frame(int width, int height) {
  Frame frame{width, height, {}, 0};
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      frame.rgba.push_back(static_cast<std::uint8_t>(x * 255 / std::max(1, width - 1)));
      frame.rgba.push_back(static_cast<std::uint8_t>(y * 255 / std::max(1, height - 1)));
      frame.rgba.push_back(
          static_cast<std::uint8_t>(128 + (x - y) * 64 / std::max(1, width + height)));
      frame.rgba.push_back(255);
    }
  }
  return frame;
}

ByteWriter& ByteWriter::u8(std::uint8_t value) {
  data_.push_back(value);
  return *this;
}
ByteWriter& ByteWriter::u16(std::uint16_t value) { return u8(value & 0xFF).u8(value >> 8); }
ByteWriter& ByteWriter::u32(std::uint32_t value) {
  return u16(static_cast<std::uint16_t>(value)).u16(static_cast<std::uint16_t>(value >> 16));
}
ByteWriter& ByteWriter::bytes(const Bytes& more) {
  data_.insert(data_.end(), more.begin(), more.end());
  return *this;
}
ByteWriter& ByteWriter::bytes(std::initializer_list<std::uint8_t> more) {
  data_.insert(data_.end(), more.begin(), more.end());
  return *this;
}
ByteWriter& ByteWriter::zeros(std::size_t count) {
  data_.insert(data_.end(), count, 0);
  return *this;
}

Bytes encode_png(const Frame& frame) {
  png_image png{};
  png.version = PNG_IMAGE_VERSION;
  png.width = static_cast<png_uint_32>(frame.width);
  png.height = static_cast<png_uint_32>(frame.height);
  png.format = PNG_FORMAT_RGBA;
  png_alloc_size_t size = 0;
  if (!png_image_write_to_memory(&png, nullptr, &size, 0, frame.rgba.data(), 0, nullptr))
    throw std::runtime_error("png size");
  Bytes out(size);
  if (!png_image_write_to_memory(&png, out.data(), &size, 0, frame.rgba.data(), 0, nullptr))
    throw std::runtime_error("png write");
  out.resize(size);
  return out;
}

Bytes encode_jpeg(const Frame& frame, int quality, JpegColour colour, bool progressive) {
  jpeg_compress_struct info{};
  jpeg_error_mgr errors{};
  info.err = jpeg_std_error(&errors);
  jpeg_create_compress(&info);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&info, &buffer, &size);
  info.image_width = static_cast<JDIMENSION>(frame.width);
  info.image_height = static_cast<JDIMENSION>(frame.height);
  const int components = colour == JpegColour::grey ? 1 : colour == JpegColour::cmyk ? 4 : 3;
  info.input_components = components;
  info.in_color_space = colour == JpegColour::grey   ? JCS_GRAYSCALE
                        : colour == JpegColour::cmyk ? JCS_CMYK
                                                     : JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, quality, TRUE);
  if (progressive) jpeg_simple_progression(&info);
  jpeg_start_compress(&info, TRUE);
  std::vector<std::uint8_t> row(static_cast<std::size_t>(frame.width) * components);
  while (info.next_scanline < info.image_height) {
    const int y = static_cast<int>(info.next_scanline);
    for (int x = 0; x < frame.width; ++x) {
      const Rgba p = pixel_at(frame, x, y);
      std::uint8_t* out = row.data() + static_cast<std::size_t>(x) * components;
      if (colour == JpegColour::grey) {
        out[0] = p.g;
      } else {
        // CMYK is stored the Adobe way, inverted: with K at 255 the stored C, M, Y are R, G, B.
        out[0] = p.r, out[1] = p.g, out[2] = p.b;
        if (colour == JpegColour::cmyk) out[3] = 255;
      }
    }
    JSAMPROW rows[] = {row.data()};
    jpeg_write_scanlines(&info, rows, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  Bytes out(buffer, buffer + size);
  std::free(buffer);
  return out;
}

Bytes dib_header(const DibHeader& header) {
  ByteWriter out;
  out.u32(header.header_size).u32(static_cast<std::uint32_t>(header.width));
  out.u32(static_cast<std::uint32_t>(header.height)).u16(1).u16(header.bits);
  out.u32(header.compression).u32(0).u32(2835).u32(2835).u32(header.colors_used).u32(0);
  if (header.header_size > 40) {
    for (std::uint32_t mask : header.masks) out.u32(mask);
    out.zeros(header.header_size - out.size());
  }
  return out.data();
}

Bytes bmp_file(const Bytes& dib, const Bytes& pixels) {
  ByteWriter out;
  const std::uint32_t pixels_at = static_cast<std::uint32_t>(14 + dib.size());
  out.bytes({'B', 'M'}).u32(static_cast<std::uint32_t>(pixels_at + pixels.size())).u32(0);
  out.u32(pixels_at).bytes(dib).bytes(pixels);
  return out.data();
}

Bytes encode_bmp(const Frame& frame, BmpLayout layout) {
  DibHeader header{.width = frame.width, .height = frame.height};
  switch (layout) {
    case BmpLayout::rgb24:
    case BmpLayout::rgb24_core:
      break;
    case BmpLayout::rgb24_top_down:
      header.height = -frame.height;
      break;
    case BmpLayout::rgb32:
      header.bits = 32;
      break;
    case BmpLayout::rgb555:
      header.bits = 16;
      break;
    case BmpLayout::bitfields565:
      header.bits = 16;
      header.compression = 3;
      break;
    case BmpLayout::v4_bitfields:
      header = {108, frame.width, frame.height, 32, 3, 0, {0xFF00, 0xFF0000, 0xFF000000, 0}};
      break;
    case BmpLayout::v5_alpha:
      header = {124, frame.width, frame.height, 32, 3, 0, {0xFF0000, 0xFF00, 0xFF, 0xFF000000}};
      break;
  }
  ByteWriter dib;
  if (layout == BmpLayout::rgb24_core) {
    dib.u32(12).u16(static_cast<std::uint16_t>(frame.width));
    dib.u16(static_cast<std::uint16_t>(frame.height)).u16(1).u16(24);
  } else {
    dib.bytes(dib_header(header));
  }
  if (layout == BmpLayout::bitfields565) dib.u32(0xF800).u32(0x07E0).u32(0x001F);

  ByteWriter pixels;
  for (int row = 0; row < frame.height; ++row) {
    const int y = header.height < 0 ? row : frame.height - 1 - row;
    const std::size_t row_start = pixels.size();
    for (int x = 0; x < frame.width; ++x) {
      const Rgba p = pixel_at(frame, x, y);
      switch (layout) {
        case BmpLayout::rgb555:
          pixels.u16(static_cast<std::uint16_t>((p.r >> 3) << 10 | (p.g >> 3) << 5 | p.b >> 3));
          break;
        case BmpLayout::bitfields565:
          pixels.u16(static_cast<std::uint16_t>((p.r >> 3) << 11 | (p.g >> 2) << 5 | p.b >> 3));
          break;
        case BmpLayout::rgb32:
          pixels.u8(p.b).u8(p.g).u8(p.r).u8(0x5A);
          break;
        case BmpLayout::v4_bitfields:
          pixels.u8(0x5A).u8(p.r).u8(p.g).u8(p.b);
          break;
        case BmpLayout::v5_alpha:
          pixels.u8(p.b).u8(p.g).u8(p.r).u8(p.a);
          break;
        default:
          pixels.u8(p.b).u8(p.g).u8(p.r);
      }
    }
    while ((pixels.size() - row_start) % 4 != 0) pixels.u8(0);
  }
  return bmp_file(dib.data(), pixels.data());
}

Bytes encode_indexed_bmp(int width, int height, const std::vector<std::uint8_t>& indices,
                         unsigned bits, const std::vector<Rgba>& palette) {
  ByteWriter dib;
  dib.bytes(dib_header({.width = width,
                        .height = height,
                        .bits = static_cast<std::uint16_t>(bits),
                        .colors_used = static_cast<std::uint32_t>(palette.size())}));
  for (const Rgba& c : palette) dib.u8(c.b).u8(c.g).u8(c.r).u8(0);
  const std::size_t stride = (static_cast<std::size_t>(width) * bits + 31) / 32 * 4;
  Bytes pixels(stride * static_cast<std::size_t>(height), 0);
  for (int y = 0; y < height; ++y) {
    std::uint8_t* row = pixels.data() + static_cast<std::size_t>(height - 1 - y) * stride;
    for (int x = 0; x < width; ++x) {
      const std::size_t bit = static_cast<std::size_t>(x) * bits;
      row[bit / 8] |= static_cast<std::uint8_t>(indices[static_cast<std::size_t>(y) * width + x]
                                                << (8 - bits - bit % 8));
    }
  }
  return bmp_file(dib.data(), pixels);
}

RleSample bmp_rle_sample(unsigned bits) {
  RleSample sample{{}, 6, 4, {}, {}};
  for (int i = 0; i < 16; ++i)
    sample.palette.push_back({static_cast<std::uint8_t>(i * 16),
                              static_cast<std::uint8_t>(200 - i * 8),
                              static_cast<std::uint8_t>(i * 5)});
  // Rows are listed as stored: bottom row first.
  const Bytes runs8 = {3, 1, 0, 3, 2, 3, 4, 0, 0, 0,  // 1 1 1, then 2 3 4 and a pad byte
                       2, 5, 0, 2, 1, 1,              // 5 5, then jump one right and one up
                       3, 6, 0, 0,                    // 6 6 6 from the jump's column
                       6, 7, 0, 1};                   // a full row of 7, end of bitmap
  const Bytes runs4 = {1, 0x10, 0, 5, 0x23, 0x45, 0x60, 0, 0, 0,  // 1, then 2 3 4 5 6 and a pad
                       2, 0x66, 0, 2, 1,    1,                    // 6 6, jump
                       3, 0x77, 0, 0,                             // 7 7 7
                       6, 0xAB, 0, 1};                            // 10 11 alternating, end
  if (bits == 8) {
    sample.indices = {7, 7, 7,  7,  7,  7,  -1, -1, -1, 6, 6, 6,
                      5, 5, -1, -1, -1, -1, 1,  1,  1,  2, 3, 4};
  } else {
    sample.indices = {10, 11, 10, 11, 10, 11, -1, -1, -1, 7, 7, 7,
                      6,  6,  -1, -1, -1, -1, 1,  2,  3,  4, 5, 6};
  }
  ByteWriter dib;
  dib.bytes(dib_header({.width = 6,
                        .height = 4,
                        .bits = static_cast<std::uint16_t>(bits),
                        .compression = bits == 8 ? 1u : 2u,
                        .colors_used = 16}));
  for (const Rgba& c : sample.palette) dib.u8(c.b).u8(c.g).u8(c.r).u8(0);
  sample.file = bmp_file(dib.data(), bits == 8 ? runs8 : runs4);
  return sample;
}

Bytes icon_file(std::uint16_t type, const std::vector<IconEntry>& entries) {
  ByteWriter out;
  out.u16(0).u16(type).u16(static_cast<std::uint16_t>(entries.size()));
  std::uint32_t offset = static_cast<std::uint32_t>(6 + 16 * entries.size());
  for (const IconEntry& entry : entries) {
    out.u8(static_cast<std::uint8_t>(entry.width)).u8(static_cast<std::uint8_t>(entry.height));
    out.u8(0).u8(0).u16(type == 1 ? 1 : 0).u16(entry.bits);
    out.u32(static_cast<std::uint32_t>(entry.data.size())).u32(offset);
    offset += static_cast<std::uint32_t>(entry.data.size());
  }
  for (const IconEntry& entry : entries) out.bytes(entry.data);
  return out.data();
}

Bytes pcx_runs(const Bytes& plain) {
  Bytes out;
  for (std::size_t i = 0; i < plain.size();) {
    std::size_t run = 1;
    while (i + run < plain.size() && run < 63 && plain[i + run] == plain[i]) ++run;
    if (run > 1 || (plain[i] & 0xC0) == 0xC0) out.push_back(static_cast<std::uint8_t>(0xC0 | run));
    out.push_back(plain[i]);
    i += run;
  }
  return out;
}

Bytes pcx_header(const PcxHeader& header) {
  ByteWriter out;
  out.u8(0x0A).u8(header.version).u8(1).u8(header.bits);
  out.u16(0).u16(0).u16(static_cast<std::uint16_t>(header.width - 1));
  out.u16(static_cast<std::uint16_t>(header.height - 1)).u16(72).u16(72).zeros(48);
  out.u8(0).u8(header.planes).u16(header.bytes_per_line).u16(1).zeros(58);
  return out.data();
}

namespace {

int write_memory(GifFileType* gif, const GifByteType* data, int length) {
  auto* out = static_cast<Bytes*>(gif->UserData);
  out->insert(out->end(), data, data + length);
  return length;
}

void check(int result, const char* what) {
  if (result == GIF_ERROR) throw std::runtime_error(what);
}

}  // namespace

Bytes encode_gif(int width, int height, const std::vector<Rgba>& palette,
                 const std::vector<GifFrame>& frames) {
  Bytes out;
  int error = 0;
  GifFileType* gif = EGifOpen(&out, write_memory, &error);
  if (gif == nullptr) throw std::runtime_error("EGifOpen");
  int bits = 1;
  while ((1 << bits) < static_cast<int>(palette.size())) ++bits;
  std::vector<GifColorType> colours(static_cast<std::size_t>(1 << bits));
  for (std::size_t i = 0; i < palette.size(); ++i)
    colours[i] = {palette[i].r, palette[i].g, palette[i].b};
  ColorMapObject* map = GifMakeMapObject(1 << bits, colours.data());
  EGifSetGifVersion(gif, true);
  check(EGifPutScreenDesc(gif, width, height, bits, 0, map), "screen");
  for (const GifFrame& frame : frames) {
    GraphicsControlBlock control{frame.disposal, false, frame.delay_cs, frame.transparent_index};
    GifByteType extension[4];
    EGifGCBToExtension(&control, extension);
    check(EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, extension), "control");
    check(EGifPutImageDesc(gif, frame.left, frame.top, frame.width, frame.height, frame.interlaced,
                           nullptr),
          "image");
    std::vector<GifPixelType> row(static_cast<std::size_t>(frame.width));
    // An interlaced frame is written in pass order; giflib only passes the flag on.
    std::vector<int> order;
    if (frame.interlaced) {
      for (auto [start, step] : {std::pair{0, 8}, {4, 8}, {2, 4}, {1, 2}})
        for (int y = start; y < frame.height; y += step) order.push_back(y);
    } else {
      for (int y = 0; y < frame.height; ++y) order.push_back(y);
    }
    for (int y : order) {
      std::memcpy(row.data(), frame.indices.data() + static_cast<std::size_t>(y) * frame.width,
                  row.size());
      check(EGifPutLine(gif, row.data(), frame.width), "line");
    }
  }
  GifFreeMapObject(map);
  check(EGifCloseFile(gif, &error), "close");
  return out;
}

}  // namespace varnelle::image::fixtures

#include "image/bmp_decoder.h"

#include <gtest/gtest.h>

#include "tests/image/image_fixtures.h"

namespace varnelle::image {
namespace {

using fixtures::BmpLayout;
using fixtures::Bytes;
using fixtures::Rgba;

// What a layout keeps of a pixel: 16-bit layouts narrow the channels, only the V5 layout keeps
// alpha.
Rgba kept(Rgba p, BmpLayout layout) {
  auto widen = [](int value, int bits) {
    return static_cast<std::uint8_t>(value * 255 / ((1 << bits) - 1));
  };
  switch (layout) {
    case BmpLayout::rgb555:
      return {widen(p.r >> 3, 5), widen(p.g >> 3, 5), widen(p.b >> 3, 5), 255};
    case BmpLayout::bitfields565:
      return {widen(p.r >> 3, 5), widen(p.g >> 2, 6), widen(p.b >> 3, 5), 255};
    case BmpLayout::v5_alpha:
      return p;
    default:
      return {p.r, p.g, p.b, 255};
  }
}

struct LayoutCase {
  const char* name;
  BmpLayout layout;
};

void PrintTo(const LayoutCase& c, std::ostream* out) { *out << c.name; }

class BmpLayouts : public testing::TestWithParam<LayoutCase> {};

TEST_P(BmpLayouts, DecodesEveryPixel) {
  const Frame original = fixtures::pattern_frame(7, 5, true);  // 7 columns: rows need padding
  const Image image = decode_bmp(fixtures::encode_bmp(original, GetParam().layout));
  ASSERT_EQ(image.frames.size(), 1u);
  ASSERT_EQ(image.frames[0].width, 7);
  ASSERT_EQ(image.frames[0].height, 5);
  for (int y = 0; y < 5; ++y) {
    for (int x = 0; x < 7; ++x) {
      ASSERT_EQ(fixtures::pixel_at(image.frames[0], x, y),
                kept(fixtures::pixel_at(original, x, y), GetParam().layout))
          << x << "," << y;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Table, BmpLayouts,
                         testing::Values(LayoutCase{"Rgb24", BmpLayout::rgb24},
                                         LayoutCase{"Rgb24TopDown", BmpLayout::rgb24_top_down},
                                         LayoutCase{"Rgb24CoreHeader", BmpLayout::rgb24_core},
                                         LayoutCase{"Rgb32IgnoresFourthByte", BmpLayout::rgb32},
                                         LayoutCase{"Rgb555", BmpLayout::rgb555},
                                         LayoutCase{"Bitfields565", BmpLayout::bitfields565},
                                         LayoutCase{"V4Bitfields", BmpLayout::v4_bitfields},
                                         LayoutCase{"V5Alpha", BmpLayout::v5_alpha}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(BmpDecoder, DecodesIndexedPixelsOfEveryDepth) {
  std::vector<Rgba> palette;
  for (int i = 0; i < 256; ++i)
    palette.push_back({static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(i * 3), 77});
  for (unsigned bits : {1u, 4u, 8u}) {
    const int width = 11, height = 3;
    std::vector<std::uint8_t> indices;
    for (int i = 0; i < width * height; ++i)
      indices.push_back(static_cast<std::uint8_t>((i * 5 + 1) % (1 << bits)));
    const std::vector<Rgba> used(palette.begin(), palette.begin() + (1 << bits));
    const Image image =
        decode_bmp(fixtures::encode_indexed_bmp(width, height, indices, bits, used));
    ASSERT_EQ(image.frames.size(), 1u) << bits;
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        ASSERT_EQ(fixtures::pixel_at(image.frames[0], x, y), palette[indices[y * width + x]])
            << bits << " bits at " << x << "," << y;
      }
    }
  }
}

TEST(BmpDecoder, IndicesPastAShortPaletteShowBlack) {
  const Image image =
      decode_bmp(fixtures::encode_indexed_bmp(2, 1, {0, 3}, 8, {{9, 9, 9}, {1, 1, 1}}));
  ASSERT_EQ(image.frames.size(), 1u);
  EXPECT_EQ(fixtures::pixel_at(image.frames[0], 0, 0), (Rgba{9, 9, 9}));
  EXPECT_EQ(fixtures::pixel_at(image.frames[0], 1, 0), (Rgba{0, 0, 0}));
}

TEST(BmpDecoder, DecodesRunLengthCodes) {
  for (unsigned bits : {8u, 4u}) {
    const fixtures::RleSample sample = fixtures::bmp_rle_sample(bits);
    const Image image = decode_bmp(sample.file);
    ASSERT_EQ(image.frames.size(), 1u) << bits;
    for (int y = 0; y < sample.height; ++y) {
      for (int x = 0; x < sample.width; ++x) {
        const int index = sample.indices[static_cast<std::size_t>(y * sample.width + x)];
        const Rgba expected = index < 0 ? Rgba{0, 0, 0, 0} : sample.palette[index];
        ASSERT_EQ(fixtures::pixel_at(image.frames[0], x, y), expected)
            << bits << " bits at " << x << "," << y;
      }
    }
  }
}

TEST(BmpDecoder, RunLengthDataEndingEarlyIsRefused) {
  for (unsigned bits : {8u, 4u}) {
    const Bytes file = fixtures::bmp_rle_sample(bits).file;
    EXPECT_TRUE(decode_bmp(Bytes(file.begin(), file.end() - 8)).empty()) << bits;
    // Without its end-of-bitmap code, once every row is done, the picture is complete.
    Bytes without_end(file.begin(), file.end() - 2);
    without_end.insert(without_end.end(), {0, 0});
    EXPECT_FALSE(decode_bmp(without_end).empty()) << bits;
  }
}

TEST(BmpDecoder, RefusesBrokenFiles) {
  const Bytes bmp = fixtures::encode_bmp(fixtures::pattern_frame(7, 5), BmpLayout::rgb24);
  struct Case {
    const char* name;
    Bytes bytes;
  };
  auto patched = [&bmp](std::size_t at, std::initializer_list<std::uint8_t> bytes) {
    Bytes copy = bmp;
    std::copy(bytes.begin(), bytes.end(), copy.begin() + static_cast<std::ptrdiff_t>(at));
    return copy;
  };
  Bytes masks_past_header =
      fixtures::encode_bmp(fixtures::pattern_frame(7, 5), BmpLayout::bitfields565);
  masks_past_header[14] = 44;  // masks would run from 40 to 52, past a 44-byte header
  masks_past_header.resize(14 + 44);
  const Case cases[] = {
      {"MasksPastTheHeader", masks_past_header},
      {"Empty", {}},
      {"FileHeaderOnly", Bytes(bmp.begin(), bmp.begin() + 14)},
      {"LastRowCut", Bytes(bmp.begin(), bmp.end() - 1)},
      {"PixelOffsetPastTheEnd", patched(10, {0xFF, 0xFF, 0, 0})},
      {"PixelOffsetInsideFileHeader", patched(10, {4, 0, 0, 0})},
      {"HeaderSizeTooSmall", patched(14, {20, 0, 0, 0})},
      {"ZeroWidth", patched(18, {0, 0, 0, 0})},
      {"LowestHeight", patched(22, {0, 0, 0, 0x80})},
      {"TwelveBits", patched(28, {12, 0})},
      {"RunLengthWith24Bits", patched(30, {1, 0, 0, 0})},
      {"JpegInside", patched(30, {4, 0, 0, 0})},
      {"Oversized", patched(18, {0x20, 0x4E, 0, 0, 0x20, 0x4E, 0, 0})},  // 20000 x 20000
  };
  for (const Case& c : cases) EXPECT_TRUE(decode_bmp(c.bytes).empty()) << c.name;
}

}  // namespace
}  // namespace varnelle::image

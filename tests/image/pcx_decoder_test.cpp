#include "image/pcx_decoder.h"

#include <gtest/gtest.h>

#include "tests/image/image_fixtures.h"

namespace varnelle::image {
namespace {

using fixtures::Bytes;
using fixtures::PcxHeader;
using fixtures::Rgba;

Bytes pcx_file(const PcxHeader& header, const Bytes& runs, const Bytes& trailer = {}) {
  fixtures::ByteWriter out;
  out.bytes(fixtures::pcx_header(header)).bytes(runs).bytes(trailer);
  return out.data();
}

Bytes grey_palette() {
  Bytes palette{0x0C};
  for (int i = 0; i < 256; ++i)
    palette.insert(palette.end(), {std::uint8_t(i), std::uint8_t(i), std::uint8_t(255 - i)});
  return palette;
}

TEST(PcxDecoder, DecodesEightBitsWithThePaletteAtTheEnd) {
  // 5 x 3 pixels in lines of 6 bytes; the first run crosses from line one into line two.
  const Bytes plain = {9, 9, 9, 9, 9, 9, 9, 9, 0xC5, 1, 2, 0, 3, 4, 5, 6, 7, 0};
  const Image image =
      decode_pcx(pcx_file({5, 8, 1, 5, 3, 6}, fixtures::pcx_runs(plain), grey_palette()));
  ASSERT_EQ(image.frames.size(), 1u);
  ASSERT_EQ(image.width, 5);
  ASSERT_EQ(image.height, 3);
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 5; ++x) {
      const std::uint8_t index = plain[static_cast<std::size_t>(y * 6 + x)];
      ASSERT_EQ(fixtures::pixel_at(image.frames[0], x, y),
                (Rgba{index, index, std::uint8_t(255 - index)}))
          << x << "," << y;
    }
  }
}

TEST(PcxDecoder, DecodesThreePlanesAsRgb) {
  Bytes plain;
  for (int y = 0; y < 2; ++y)
    for (int plane = 0; plane < 3; ++plane)
      plain.insert(plain.end(),
                   {std::uint8_t(plane * 80 + y), std::uint8_t(plane * 80 + y + 10), 0, 0});
  const Image image = decode_pcx(pcx_file({5, 8, 3, 2, 2, 4}, fixtures::pcx_runs(plain)));
  ASSERT_EQ(image.frames.size(), 1u);
  EXPECT_EQ(fixtures::pixel_at(image.frames[0], 0, 0), (Rgba{0, 80, 160}));
  EXPECT_EQ(fixtures::pixel_at(image.frames[0], 1, 1), (Rgba{11, 91, 171}));
}

TEST(PcxDecoder, DecodesOneBitBlackAndWhite) {
  const Bytes plain = {0b10100000, 0, 0b01000000, 0};  // 3 x 2 in lines of 2 bytes
  const Image image = decode_pcx(pcx_file({3, 1, 1, 3, 2, 2}, fixtures::pcx_runs(plain)));
  ASSERT_EQ(image.frames.size(), 1u);
  const Rgba white{255, 255, 255}, black{0, 0, 0};
  const Rgba expected[2][3] = {{white, black, white}, {black, white, black}};
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x)
      EXPECT_EQ(fixtures::pixel_at(image.frames[0], x, y), expected[y][x]);
}

TEST(PcxDecoder, RefusesBrokenFiles) {
  const Bytes runs = fixtures::pcx_runs(Bytes(6 * 3, 7));
  const Bytes good = pcx_file({5, 8, 1, 5, 3, 6}, runs, grey_palette());
  ASSERT_FALSE(decode_pcx(good).empty());
  Bytes wrong_marker = good;
  wrong_marker[wrong_marker.size() - 769] = 0x0B;
  Bytes short_lines = good;
  short_lines[66] = 4;  // 4 bytes cannot hold 5 pixels
  Bytes backwards = good;
  backwards[8] = 0, backwards[4] = 3;  // right edge left of the left one
  struct Case {
    const char* name;
    Bytes bytes;
  } const cases[] = {
      {"HeaderOnly", Bytes(good.begin(), good.begin() + 128)},
      {"NoPalette", pcx_file({5, 8, 1, 5, 3, 6}, runs)},
      {"WrongPaletteMarker", wrong_marker},
      {"RunsCut",
       pcx_file({5, 8, 1, 5, 3, 6}, Bytes(runs.begin(), runs.end() - 1), grey_palette())},
      {"LinesTooShort", short_lines},
      {"RightEdgeBeforeLeft", backwards},
      {"FourPlanes", pcx_file({5, 8, 4, 5, 3, 6}, runs, grey_palette())},
      {"FourBits", pcx_file({5, 4, 1, 5, 3, 6}, runs)},
      // 10000 x 10000 promised by 100 bytes of runs: refused before any pixel is made.
      {"MorePixelsThanTheDataCanHold",
       pcx_file({5, 8, 1, 10000, 10000, 10000}, Bytes(100, 0xFF), grey_palette())},
  };
  for (const Case& c : cases) EXPECT_TRUE(decode_pcx(c.bytes).empty()) << c.name;
}

}  // namespace
}  // namespace varnelle::image

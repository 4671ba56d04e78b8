#include "image/png_decoder.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include "tests/image/image_fixtures.h"

namespace varnelle::image {
namespace {

using fixtures::Bytes;

// Rewrites the IHDR size and its checksum, so only the size is wrong.
Bytes with_png_size(Bytes png, std::uint32_t width, std::uint32_t height) {
  auto put_be32 = [&png](std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) png[at + i] = static_cast<std::uint8_t>(value >> (24 - 8 * i));
  };
  put_be32(16, width);
  put_be32(20, height);
  put_be32(29, static_cast<std::uint32_t>(crc32(0, png.data() + 12, 17)));
  return png;
}

TEST(PngDecoder, DecodesRgbaWithAlphaExactly) {
  const Frame original = fixtures::pattern_frame(13, 7, true);
  const Image image = decode_png(fixtures::encode_png(original));
  ASSERT_EQ(image.frames.size(), 1u);
  EXPECT_EQ(image.width, 13);
  EXPECT_EQ(image.height, 7);
  EXPECT_EQ(image.frames[0].width, 13);
  EXPECT_EQ(image.frames[0].rgba, original.rgba);
}

TEST(PngDecoder, RefusesBrokenFiles) {
  const Bytes png = fixtures::encode_png(fixtures::pattern_frame(40, 30));
  EXPECT_TRUE(decode_png({}).empty());
  EXPECT_TRUE(decode_png(Bytes(png.begin(), png.begin() + 33)).empty());  // header only
  EXPECT_TRUE(decode_png(Bytes(png.begin(), png.end() - 20)).empty());    // cut in the pixels
  Bytes bad_checksum = png;
  bad_checksum[30] ^= 0xFF;
  EXPECT_TRUE(decode_png(bad_checksum).empty());
}

TEST(PngDecoder, RefusesSizesAboveTheLimitBeforeDecoding) {
  const Bytes png = fixtures::encode_png(fixtures::pattern_frame(4, 4));
  EXPECT_TRUE(decode_png(with_png_size(png, 20000, 20000)).empty());  // 400 million pixels
  EXPECT_FALSE(decode_png(with_png_size(png, 4, 4)).empty());         // the rewrite itself is sound
}

}  // namespace
}  // namespace varnelle::image

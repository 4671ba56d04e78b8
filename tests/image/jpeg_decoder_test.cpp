#include "image/jpeg_decoder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <vector>

#include "image/shrink.h"
#include "tests/image/image_fixtures.h"

namespace varnelle::image {
namespace {

using fixtures::Bytes;
using fixtures::JpegColour;

// Mean absolute difference over the colour channels; alpha must be opaque throughout.
double colour_error(const Frame& a, const Frame& b) {
  EXPECT_EQ(a.width, b.width);
  EXPECT_EQ(a.height, b.height);
  if (a.rgba.size() != b.rgba.size()) return 255;
  double sum = 0;
  for (std::size_t i = 0; i < a.rgba.size(); ++i) {
    if (i % 4 == 3) {
      EXPECT_EQ(a.rgba[i], 255);
      continue;
    }
    sum += std::abs(a.rgba[i] - b.rgba[i]);
  }
  return sum / (a.rgba.size() / 4 * 3);
}

Frame as_grey(Frame frame) {
  for (std::size_t i = 0; i < frame.rgba.size(); i += 4)
    frame.rgba[i] = frame.rgba[i + 2] = frame.rgba[i + 1];
  return frame;
}

struct ColourCase {
  const char* name;
  JpegColour colour;
  bool progressive;
};

void PrintTo(const ColourCase& c, std::ostream* out) { *out << c.name; }

class JpegColours : public testing::TestWithParam<ColourCase> {};

TEST_P(JpegColours, DecodesCloseToTheOriginal) {
  const Frame original = fixtures::gradient_frame(48, 32);
  const Image image = decode_jpeg(
      fixtures::encode_jpeg(original, 95, GetParam().colour, GetParam().progressive), {});
  ASSERT_EQ(image.frames.size(), 1u);
  EXPECT_EQ(image.width, 48);
  EXPECT_EQ(image.height, 32);
  const Frame expected = GetParam().colour == JpegColour::grey ? as_grey(original) : original;
  EXPECT_LT(colour_error(image.frames[0], expected), 2.0);
}

INSTANTIATE_TEST_SUITE_P(Table, JpegColours,
                         testing::Values(ColourCase{"Rgb", JpegColour::rgb, false},
                                         ColourCase{"Progressive", JpegColour::rgb, true},
                                         ColourCase{"Grey", JpegColour::grey, false},
                                         ColourCase{"AdobeCmyk", JpegColour::cmyk, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(JpegDecoder, UsesDctScalingOnlyWhenShownAtHalfOrLess) {
  struct Case {
    int width, height;
    int expected_width, expected_height;  // what libjpeg hands back
  } cases[] = {
      {2400, 1200, 300, 150},  // placement 264x132: 1/8 still covers it
      {1000, 500, 500, 250},   // placement 264x132: 1/2 covers it, 1/4 (250x125) would not
      {400, 200, 400, 200},    // placement 264x132 is more than half: full size
      {200, 100, 200, 100},    // fits the box
  };
  for (const Case& c : cases) {
    const Image image = decode_jpeg(
        fixtures::encode_jpeg(fixtures::gradient_frame(c.width, c.height), 80), {264, 168});
    ASSERT_EQ(image.frames.size(), 1u);
    EXPECT_EQ(image.width, c.width);
    EXPECT_EQ(image.frames[0].width, c.expected_width) << c.width;
    EXPECT_EQ(image.frames[0].height, c.expected_height) << c.width;
  }
}

TEST(JpegDecoder, ScaledDecodeLooksLikeTheFullDecodeShrunk) {
  const Bytes jpeg = fixtures::encode_jpeg(fixtures::gradient_frame(1600, 800), 90);
  const Frame scaled = decode_jpeg(jpeg, {264, 168}).frames.at(0);
  const Frame full = decode_jpeg(jpeg, {}).frames.at(0);
  EXPECT_LT(colour_error(shrink_frame(scaled, 264, 132), shrink_frame(full, 264, 132)), 1.5);
}

TEST(JpegDecoder, RefusesBrokenFiles) {
  const Bytes jpeg = fixtures::encode_jpeg(fixtures::gradient_frame(64, 64), 90);
  EXPECT_TRUE(decode_jpeg({}, {}).empty());
  EXPECT_TRUE(decode_jpeg(Bytes(jpeg.begin(), jpeg.begin() + jpeg.size() / 2), {}).empty());
  EXPECT_TRUE(decode_jpeg(Bytes(jpeg.begin(), jpeg.begin() + 100), {}).empty());
  Bytes garbage(jpeg.begin(), jpeg.begin() + 2);
  garbage.resize(500, 0x55);
  EXPECT_TRUE(decode_jpeg(garbage, {}).empty());
}

TEST(JpegDecoder, AcceptsAMissingEndOfImageMarker) {
  for (bool progressive : {false, true}) {
    const Bytes jpeg =
        fixtures::encode_jpeg(fixtures::gradient_frame(64, 64), 90, JpegColour::rgb, progressive);
    const Bytes cut(jpeg.begin(), jpeg.end() - 2);
    const Image image = decode_jpeg(cut, {});
    ASSERT_EQ(image.frames.size(), 1u) << progressive;
    EXPECT_EQ(image.frames[0].rgba, decode_jpeg(jpeg, {}).frames.at(0).rgba) << progressive;
  }
}

// Where the markers FF <code> stand; entropy-coded data never holds one (FF is stuffed as FF 00).
std::vector<std::size_t> marker_positions(const Bytes& jpeg, std::uint8_t code) {
  std::vector<std::size_t> found;
  for (std::size_t i = 2; i + 1 < jpeg.size(); ++i)
    if (jpeg[i] == 0xFF && jpeg[i + 1] == code) found.push_back(i);
  return found;
}

TEST(JpegDecoder, RefusesSizesAboveTheLimit) {
  Bytes jpeg = fixtures::encode_jpeg(fixtures::gradient_frame(16, 16), 90);
  ASSERT_EQ(marker_positions(jpeg, 0xC0).size(), 1u);
  const std::size_t frame_header = marker_positions(jpeg, 0xC0)[0];
  for (std::size_t at : {frame_header + 5, frame_header + 7}) {  // height, then width: 65000
    jpeg[at] = 0xFD;
    jpeg[at + 1] = 0xE8;
  }
  EXPECT_TRUE(decode_jpeg(jpeg, {}).empty());
}

TEST(JpegDecoder, RefusesFilesWithEndlessScans) {
  const Bytes jpeg =
      fixtures::encode_jpeg(fixtures::gradient_frame(16, 16), 90, JpegColour::rgb, true);
  // The first scan (DC values) with the Huffman table written before it: repeating it rewrites the
  // same coefficients, so every repeat decodes cleanly and only the count of scans grows.
  const std::size_t first_scan = marker_positions(jpeg, 0xDA).front();
  const std::vector<std::size_t> tables = marker_positions(jpeg, 0xC4);
  const auto next_table =
      std::find_if(tables.begin(), tables.end(), [&](std::size_t at) { return at > first_scan; });
  ASSERT_TRUE(next_table != tables.begin() && next_table != tables.end());
  const std::size_t table = *std::prev(next_table);
  auto with_repeats = [&](int repeats) {
    Bytes out(jpeg.begin(), jpeg.end() - 2);  // up to the end-of-image marker
    for (int i = 0; i < repeats; ++i)
      out.insert(out.end(), jpeg.begin() + table, jpeg.begin() + *next_table);
    out.insert(out.end(), {0xFF, 0xD9});
    return out;
  };
  EXPECT_FALSE(decode_jpeg(with_repeats(3), {}).empty());
  EXPECT_TRUE(decode_jpeg(with_repeats(520), {}).empty());
}

}  // namespace
}  // namespace varnelle::image

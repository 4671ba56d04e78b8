#include "image/ico_decoder.h"

#include <gtest/gtest.h>

#include "tests/image/image_fixtures.h"

namespace varnelle::image {
namespace {

using fixtures::Bytes;
using fixtures::IconEntry;
using fixtures::Rgba;

bool on_diagonal(int x, int y) { return x == y; }
bool never(int, int) { return false; }

TEST(IcoDecoder, BitmapEntryHidesWhatItsAndMaskSays) {
  const Frame original = fixtures::pattern_frame(7, 5);
  const Image image = decode_ico(
      fixtures::icon_file(1, {{7, 5, 32, fixtures::icon_dib(original, false, on_diagonal)}}));
  ASSERT_EQ(image.frames.size(), 1u);
  ASSERT_EQ(image.width, 7);
  ASSERT_EQ(image.height, 5);
  for (int y = 0; y < 5; ++y) {
    for (int x = 0; x < 7; ++x) {
      const Rgba expected =
          on_diagonal(x, y) ? Rgba{0, 0, 0, 0} : fixtures::pixel_at(original, x, y);
      ASSERT_EQ(fixtures::pixel_at(image.frames[0], x, y), expected) << x << "," << y;
    }
  }
}

TEST(IcoDecoder, AlphaOfThirtyTwoBitEntriesWinsOverTheMask) {
  const Frame original = fixtures::pattern_frame(7, 5, true);
  const Image image = decode_ico(
      fixtures::icon_file(1, {{7, 5, 32, fixtures::icon_dib(original, true, on_diagonal)}}));
  ASSERT_EQ(image.frames.size(), 1u);
  EXPECT_EQ(image.frames[0].rgba, original.rgba);
}

TEST(IcoDecoder, DecodesPngEntries) {
  const Frame original = fixtures::pattern_frame(9, 6, true);
  const Image image =
      decode_ico(fixtures::icon_file(1, {{0, 0, 32, fixtures::encode_png(original)}}));
  ASSERT_EQ(image.frames.size(), 1u);
  EXPECT_EQ(image.frames[0].rgba, original.rgba);
}

TEST(IcoDecoder, ShowsTheLargestEntryThenTheDeepest) {
  const Frame small = fixtures::pattern_frame(4, 4);
  const Frame large = fixtures::pattern_frame(8, 8, true);
  // The directory claims sizes that are wrong; the entries' own headers count.
  const Image image = decode_ico(fixtures::icon_file(
      1, {{64, 64, 32, fixtures::icon_dib(small, false, never)},
          {0, 0, 32, fixtures::encode_png(large)},
          {0, 0, 32, fixtures::icon_dib(fixtures::pattern_frame(8, 4), false, never)}}));
  ASSERT_EQ(image.frames.size(), 1u);
  EXPECT_EQ(image.width, 8);
  EXPECT_EQ(image.frames[0].rgba, large.rgba);

  // Same size: the 32-bit entry beats the 24-bit one.
  ASSERT_EQ(large.width, 8);
  fixtures::DibHeader shallow_header{.width = 8, .height = 16, .bits = 24};
  Bytes shallow = fixtures::dib_header(shallow_header);
  shallow.resize(shallow.size() + 8 * 24 + 8 * 4, 0);  // black pixels, all shown
  const Image deepest = decode_ico(fixtures::icon_file(
      1, {{8, 8, 24, shallow}, {8, 8, 32, fixtures::icon_dib(large, true, never)}}));
  ASSERT_EQ(deepest.frames.size(), 1u);
  EXPECT_EQ(deepest.frames[0].rgba, large.rgba);
}

TEST(IcoDecoder, DecodesCursors) {
  const Frame original = fixtures::pattern_frame(6, 6);
  const Image image =
      decode_ico(fixtures::icon_file(2, {{6, 6, 3, fixtures::icon_dib(original, false, never)}}));
  ASSERT_EQ(image.frames.size(), 1u);
  EXPECT_EQ(image.frames[0].rgba, original.rgba);
}

TEST(IcoDecoder, RefusesBrokenFiles) {
  const Bytes icon = fixtures::icon_file(
      1, {{7, 5, 32, fixtures::icon_dib(fixtures::pattern_frame(7, 5), false, never)}});
  auto patched = [&icon](std::size_t at, std::initializer_list<std::uint8_t> bytes) {
    Bytes copy = icon;
    std::copy(bytes.begin(), bytes.end(), copy.begin() + static_cast<std::ptrdiff_t>(at));
    return copy;
  };
  struct Case {
    const char* name;
    Bytes bytes;
  } const cases[] = {
      {"DirectoryCut", Bytes(icon.begin(), icon.begin() + 12)},
      {"MaskCut", Bytes(icon.begin(), icon.end() - 1)},
      {"EntryPastTheEnd", patched(18, {0xF0, 0xFF, 0, 0})},
      {"MoreEntriesThanTheDirectoryHolds", patched(4, {0x10, 0})},
      {"ZeroCount", patched(4, {0, 0})},
      {"TypeThree", patched(2, {3, 0})},
      {"Oversized", patched(22 + 4, {0x20, 0x4E, 0, 0, 0x40, 0x9C, 0, 0})},  // 20000 x 20000
  };
  for (const Case& c : cases) EXPECT_TRUE(decode_ico(c.bytes).empty()) << c.name;
}

}  // namespace
}  // namespace varnelle::image

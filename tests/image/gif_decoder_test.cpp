#include "image/gif_decoder.h"

#include <gif_lib.h>
#include <gtest/gtest.h>

#include "tests/image/image_fixtures.h"

namespace varnelle::image {
namespace {

using fixtures::Bytes;
using fixtures::GifFrame;
using fixtures::Rgba;

constexpr Rgba kRed{255, 0, 0}, kGreen{0, 255, 0}, kBlue{0, 0, 255}, kClear{0, 0, 0, 0};
const std::vector<Rgba> kPalette = {kRed, kGreen, kBlue, {255, 255, 255}};
constexpr std::uint8_t kSeeThrough = 3;

// Four frames on a 6 x 4 canvas:
//  1. all red, kept;
//  2. a 3 x 3 patch at (2,1), green and blue around see-through pixels, then cleared;
//  3. interlaced, see-through on the left half, blue and red rows on the right, then undone;
//  4. one green pixel at (0,0).
Bytes four_frame_animation() {
  GifFrame red{0, 0, 6, 4, std::vector<std::uint8_t>(24, 0), DISPOSE_DO_NOT, 10, -1, false};
  GifFrame patch{2, 1, 3, 3, {}, DISPOSE_BACKGROUND, 20, kSeeThrough, false};
  patch.indices = {1, 3, 1, 3, 2, 3, 1, 3, 1};
  GifFrame stripes{0, 0, 6, 4, {}, DISPOSE_PREVIOUS, 5, kSeeThrough, true};
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 6; ++x) stripes.indices.push_back(x < 3 ? kSeeThrough : y % 2 == 0 ? 2 : 0);
  GifFrame dot{0, 0, 1, 1, {1}, DISPOSAL_UNSPECIFIED, 0, -1, false};
  return fixtures::encode_gif(6, 4, kPalette, {red, patch, stripes, dot});
}

std::vector<Rgba> pixels(const Frame& frame) {
  std::vector<Rgba> out;
  for (int y = 0; y < frame.height; ++y)
    for (int x = 0; x < frame.width; ++x) out.push_back(fixtures::pixel_at(frame, x, y));
  return out;
}

TEST(GifDecoder, ComposesEveryFrameOnTheFullCanvas) {
  const Image image = decode_gif(four_frame_animation());
  ASSERT_EQ(image.frames.size(), 4u);
  EXPECT_EQ(image.width, 6);
  EXPECT_EQ(image.height, 4);
  const Rgba R = kRed, G = kGreen, B = kBlue, _ = kClear;
  const std::vector<std::vector<Rgba>> expected = {
      {R, R, R, R, R, R,  //
       R, R, R, R, R, R,  //
       R, R, R, R, R, R,  //
       R, R, R, R, R, R},
      {R, R, R, R, R, R,  // the patch's see-through pixels show the red below
       R, R, G, R, G, R,  //
       R, R, R, B, R, R,  //
       R, R, G, R, G, R},
      {R, R, R, B, B, B,  // the patch was cleared; the stripes' rows land where interlacing says
       R, R, _, R, R, R,  //
       R, R, _, B, B, B,  //
       R, R, _, R, R, R},
      {G, R, R, R, R, R,  // the stripes were undone: back to the cleared canvas
       R, R, _, _, _, R,  //
       R, R, _, _, _, R,  //
       R, R, _, _, _, R},
  };
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(image.frames[i].width, 6);
    EXPECT_TRUE(pixels(image.frames[i]) == expected[i]) << "frame " << i;
  }
  EXPECT_EQ(image.frames[0].delay_ms, 100);
  EXPECT_EQ(image.frames[1].delay_ms, 200);
  EXPECT_EQ(image.frames[2].delay_ms, 50);
  EXPECT_EQ(image.frames[3].delay_ms, 0);
}

TEST(GifDecoder, FramesReachingPastTheCanvasAreCut) {
  GifFrame wide{4, 2, 5, 3, std::vector<std::uint8_t>(15, 1), 0, 0, -1, false};
  const Image image = decode_gif(fixtures::encode_gif(6, 4, kPalette, {wide}));
  ASSERT_EQ(image.frames.size(), 1u);
  EXPECT_EQ(fixtures::pixel_at(image.frames[0], 5, 3), kGreen);
  EXPECT_EQ(fixtures::pixel_at(image.frames[0], 3, 3), kClear);
}

TEST(GifDecoder, AcceptsAMissingTrailerAfterCompleteFrames) {
  Bytes gif = four_frame_animation();
  ASSERT_EQ(gif.back(), 0x3B);
  gif.pop_back();
  EXPECT_EQ(decode_gif(gif).frames.size(), 4u);
}

TEST(GifDecoder, RefusesBrokenFiles) {
  const Bytes gif = four_frame_animation();
  Bytes huge_canvas = gif;
  std::fill(huge_canvas.begin() + 6, huge_canvas.begin() + 10, 0xFF);  // 65535 x 65535
  Bytes no_frames(gif.begin(), gif.begin() + 13 + 12);  // header, screen and colour table
  no_frames.push_back(0x3B);
  struct Case {
    const char* name;
    Bytes bytes;
  } const cases[] = {
      {"Empty", {}},
      {"CutInAFrame",
       Bytes(gif.begin(), gif.begin() + static_cast<std::ptrdiff_t>(gif.size() - 12))},
      {"ScreenOnly", Bytes(gif.begin(), gif.begin() + 13)},
      {"NoFrames", no_frames},
      {"CanvasAboveTheLimit", huge_canvas},
  };
  for (const Case& c : cases) EXPECT_TRUE(decode_gif(c.bytes).empty()) << c.name;
}

TEST(GifDecoder, RefusesMoreThanTenThousandFrames) {
  const GifFrame dot{0, 0, 1, 1, {1}, 0, 0, -1, false};
  EXPECT_EQ(decode_gif(fixtures::encode_gif(1, 1, kPalette, std::vector<GifFrame>(10000, dot)))
                .frames.size(),
            10000u);
  EXPECT_TRUE(
      decode_gif(fixtures::encode_gif(1, 1, kPalette, std::vector<GifFrame>(10001, dot))).empty());
}

}  // namespace
}  // namespace varnelle::image

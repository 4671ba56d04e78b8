#include <gtest/gtest.h>

#include <functional>

#include "image/image.h"
#include "image/shrink.h"
#include "tests/image/image_fixtures.h"

namespace varnelle::image {
namespace {

using fixtures::Bytes;
using fixtures::Rgba;

struct Sample {
  const char* name;
  std::function<Bytes()> make;
};

void PrintTo(const Sample& c, std::ostream* out) { *out << c.name; }

const Sample kSamples[] = {
    {"Bmp",
     [] {
       return fixtures::encode_bmp(fixtures::pattern_frame(30, 20), fixtures::BmpLayout::rgb24);
     }},
    {"Jpeg", [] { return fixtures::encode_jpeg(fixtures::gradient_frame(30, 20)); }},
    {"Png", [] { return fixtures::encode_png(fixtures::pattern_frame(30, 20)); }},
    {"Ico",
     [] {
       return fixtures::icon_file(1, {{30, 20, 32,
                                       fixtures::icon_dib(fixtures::pattern_frame(30, 20), false,
                                                          [](int, int) { return false; })}});
     }},
    {"Gif",
     [] {
       return fixtures::encode_gif(
           30, 20, {{1, 2, 3}, {4, 5, 6}},
           {{0, 0, 30, 20, std::vector<std::uint8_t>(600, 1), 0, 0, -1, false}});
     }},
    {"Pcx",
     [] {
       fixtures::ByteWriter out;
       out.bytes(fixtures::pcx_header({5, 8, 3, 30, 20, 30}))
           .bytes(fixtures::pcx_runs(Bytes(30 * 3 * 20, 99)));
       return out.data();
     }},
};

class EveryFormat : public testing::TestWithParam<Sample> {};

TEST_P(EveryFormat, IsRecognisedAndDecoded) {
  const Image image = decode_image(GetParam().make());
  ASSERT_FALSE(image.empty());
  EXPECT_EQ(image.width, 30);
  EXPECT_EQ(image.height, 20);
}

TEST_P(EveryFormat, TruncatedIsEmpty) {
  const Bytes whole = GetParam().make();
  for (std::size_t size : {std::size_t{6}, whole.size() / 2, whole.size() * 9 / 10}) {
    EXPECT_TRUE(
        decode_image(Bytes(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(size)))
            .empty())
        << size << " of " << whole.size();
  }
}

TEST_P(EveryFormat, GarbageAfterTheFirstBytesIsEmpty) {
  Bytes bytes = GetParam().make();
  for (std::size_t i = 8; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i * 151 + 7);
  EXPECT_TRUE(decode_image(bytes).empty());
}

TEST_P(EveryFormat, WithABoxComesBackAtItsPlacement) {
  const Image image = decode_image(GetParam().make(), {12, 12});  // 30 x 20 -> 12 x 8
  ASSERT_EQ(image.frames.size(), 1u);
  EXPECT_EQ(image.width, 30);
  EXPECT_EQ(image.frames[0].width, 12);
  EXPECT_EQ(image.frames[0].height, 8);
}

INSTANTIATE_TEST_SUITE_P(Formats, EveryFormat, testing::ValuesIn(kSamples),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(DecodeImage, UnknownOrTooShortDataIsEmpty) {
  EXPECT_TRUE(decode_image({}).empty());
  EXPECT_TRUE(decode_image(Bytes{'B', 'M', 0, 0, 0}).empty());
  EXPECT_TRUE(decode_image(Bytes(1000, 0x20)).empty());
}

TEST(DecodeImage, AnimationFramesAllFitTheBox) {
  const std::vector<fixtures::GifFrame> frames(
      3, {0, 0, 528, 336, std::vector<std::uint8_t>(528 * 336, 1), 0, 4, -1, false});
  const Image image =
      decode_image(fixtures::encode_gif(528, 336, {{0, 0, 0}, {10, 20, 30}}, frames), {264, 168});
  ASSERT_EQ(image.frames.size(), 3u);
  for (const Frame& frame : image.frames) {
    EXPECT_EQ(frame.width, 264);
    EXPECT_EQ(frame.height, 168);
    EXPECT_EQ(frame.delay_ms, 40);
    EXPECT_EQ(fixtures::pixel_at(frame, 100, 100), (Rgba{10, 20, 30}));
  }
}

TEST(DecodeImage, PicturesThatFitKeepTheirOwnSize) {
  const Frame original = fixtures::pattern_frame(100, 100, true);
  const Image image = decode_image(fixtures::encode_png(original), {264, 168});
  ASSERT_EQ(image.frames.size(), 1u);
  EXPECT_EQ(image.frames[0].rgba, original.rgba);
}

TEST(ShrinkFrame, AveragesTheAreaEachPixelCovers) {
  // 4 x 2 in 2 x 2 blocks: opaque grey levels 0/100/200/60 on the left, on the right red next
  // to fully transparent black.
  Frame frame{4, 2, {}, 0};
  const Rgba source[2][4] = {{{0, 0, 0}, {100, 100, 100}, {200, 0, 0}, {0, 0, 0, 0}},
                             {{200, 200, 200}, {60, 60, 60}, {200, 0, 0}, {0, 0, 0, 0}}};
  for (const auto& row : source)
    for (const Rgba& p : row) frame.rgba.insert(frame.rgba.end(), {p.r, p.g, p.b, p.a});
  const Frame half = shrink_frame(frame, 2, 1);
  EXPECT_EQ(fixtures::pixel_at(half, 0, 0), (Rgba{90, 90, 90}));
  EXPECT_EQ(fixtures::pixel_at(half, 1, 0), (Rgba{200, 0, 0, 128}));  // not darkened
  const Frame third = shrink_frame(fixtures::pattern_frame(3, 1), 1, 1);
  EXPECT_EQ(third.width, 1);
}

TEST(ShrinkFrame, SplitsSourcePixelsBetweenTargetPixels) {
  Frame frame{3, 1, {30, 30, 30, 255, 90, 90, 90, 255, 150, 150, 150, 255}, 0};
  const Frame two = shrink_frame(frame, 2, 1);  // each covers 1.5 source pixels
  EXPECT_EQ(fixtures::pixel_at(two, 0, 0), (Rgba{50, 50, 50}));
  EXPECT_EQ(fixtures::pixel_at(two, 1, 0), (Rgba{130, 130, 130}));
}

}  // namespace
}  // namespace varnelle::image

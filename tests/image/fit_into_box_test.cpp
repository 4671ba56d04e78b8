#include <gtest/gtest.h>

#include "image/image.h"

namespace varnelle::image {
namespace {

struct FitCase {
  int image_width, image_height;
  Placement expected;
};

void PrintTo(const FitCase& c, std::ostream* out) {
  *out << c.image_width << "x" << c.image_height;
}

bool operator==(const Placement& a, const Placement& b) {
  return a.x == b.x && a.y == b.y && a.width == b.width && a.height == b.height;
}

class FitIntoPictureBox : public testing::TestWithParam<FitCase> {};

TEST_P(FitIntoPictureBox, PlacesThePicture) {
  const FitCase& c = GetParam();
  const Placement got = fit_into_box(c.image_width, c.image_height, 264, 168);
  EXPECT_TRUE(got == c.expected) << c.image_width << "x" << c.image_height << " -> " << got.width
                                 << "x" << got.height << " at (" << got.x << "," << got.y << ")";
}

INSTANTIATE_TEST_SUITE_P(
    Box264x168, FitIntoPictureBox,
    testing::Values(FitCase{528, 336, {0, 0, 264, 168}},    // half size fills the box
                    FitCase{1000, 500, {0, 18, 264, 132}},  // width binds, 18 pixels above
                    FitCase{100, 100, {82, 34, 100, 100}},  // fits: own size, centred
                    FitCase{264, 168, {0, 0, 264, 168}},    // exactly the box
                    FitCase{265, 168, {0, 0, 264, 167}},    // one pixel too wide: height truncated
                    FitCase{300, 600, {90, 0, 84, 168}},    // height binds
                    FitCase{101, 101, {81, 33, 101, 101}},  // odd free space: offset truncated
                    FitCase{10000, 1, {0, 83, 264, 1}},     // a sliver keeps one pixel
                    FitCase{1, 10000, {131, 0, 1, 168}},
                    FitCase{0, 100, {0, 0, 0, 0}}));  // no picture, no placement

}  // namespace
}  // namespace varnelle::image

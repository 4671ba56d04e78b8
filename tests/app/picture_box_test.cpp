#include "app/picture_box.h"

#include <gtest/gtest.h>

#include <QTest>
#include <algorithm>
#include <ostream>

#include "pictures.h"

namespace varnelle {
namespace {

using testing::drawn_rect;

const QColor kPictureColour(200, 30, 40);

class PictureBoxTest : public ::testing::Test {
 protected:
  PictureBoxTest() { box.resize(264, 168); }
  QColor face() const { return box.palette().color(QPalette::Window); }
  QImage shot() { return box.grab().toImage(); }
  QRect drawn() { return drawn_rect(shot(), face()); }

  PictureBox box;
};

struct PlacementCase {
  const char* what;
  QSize picture;
  Bytes (*file)(const QImage&);
  QRect shown;
};

void PrintTo(const PlacementCase& c, std::ostream* os) {
  *os << c.what << " " << c.picture.width() << "x" << c.picture.height();
}

class PictureBoxPlacementTest : public PictureBoxTest,
                                public ::testing::WithParamInterface<PlacementCase> {};

TEST_P(PictureBoxPlacementTest, FitsAndCentresThePicture) {
  const PlacementCase& c = GetParam();
  box.set_picture(c.file(testing::solid_image(c.picture, kPictureColour)));
  EXPECT_EQ(drawn(), c.shown);
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, PictureBoxPlacementTest,
    ::testing::Values(
        PlacementCase{"twice the box", {528, 336}, testing::png_file, {0, 0, 264, 168}},
        PlacementCase{"wide", {1000, 500}, testing::png_file, {0, 18, 264, 132}},
        PlacementCase{"wide jpeg", {1000, 500}, testing::jpeg_file, {0, 18, 264, 132}},
        PlacementCase{"tall", {100, 400}, testing::png_file, {111, 0, 42, 168}},
        PlacementCase{"small", {100, 100}, testing::png_file, {82, 34, 100, 100}},
        PlacementCase{"exactly the box", {264, 168}, testing::jpeg_file, {0, 0, 264, 168}},
        PlacementCase{"one pixel", {1, 1}, testing::png_file, {131, 83, 1, 1}}),
    [](const auto& info) {
      std::string name = info.param.what;
      std::replace(name.begin(), name.end(), ' ', '_');
      return name;
    });

TEST_F(PictureBoxTest, DrawsThePicturesOwnPixelsWhenItFits) {
  const QImage picture = testing::checkerboard_image(QSize(64, 32));
  box.set_picture(testing::png_file(picture));
  EXPECT_EQ(shot().copy(100, 68, 64, 32).convertToFormat(QImage::Format_RGB32), picture);
}

TEST_F(PictureBoxTest, NothingOrNoPictureLeavesTheBoxBlank) {
  const std::vector<Bytes> not_pictures = {
      {},
      {'B', 'M'},
      Bytes(100, 'x'),
      {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0},  // a PNG that ends early
  };
  for (const Bytes& bytes : not_pictures) {
    box.set_picture(testing::png_file(testing::solid_image({50, 50}, kPictureColour)));
    ASSERT_FALSE(drawn().isEmpty());
    box.set_picture(bytes);
    EXPECT_TRUE(drawn().isEmpty()) << bytes.size() << " bytes";
  }
}

TEST_F(PictureBoxTest, PlaysAnAnimatedGif) {
  box.set_picture(testing::gif_file({40, 40}, {{Qt::red, 5}, {Qt::blue, 5}}));
  const auto centre = [this] { return shot().pixelColor(132, 84); };
  EXPECT_EQ(centre(), QColor(Qt::red));
  EXPECT_TRUE(QTest::qWaitFor([&] { return centre() == QColor(Qt::blue); }, 5000));
  EXPECT_TRUE(QTest::qWaitFor([&] { return centre() == QColor(Qt::red); }, 5000));

  box.set_picture({});
  EXPECT_TRUE(drawn().isEmpty());
}

}  // namespace
}  // namespace varnelle

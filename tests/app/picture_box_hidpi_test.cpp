// Runs on a screen scaled by two: the box is 528 x 336 device pixels.

#include <gtest/gtest.h>

#include "app/picture_box.h"
#include "pictures.h"

namespace varnelle {
namespace {

class PictureBoxScaledScreenTest : public ::testing::Test {
 protected:
  PictureBoxScaledScreenTest() { box.resize(264, 168); }
  QImage device_pixels() {
    const QPixmap shot = box.grab();
    EXPECT_EQ(shot.devicePixelRatio(), 2.0);
    return shot.toImage().convertToFormat(QImage::Format_RGB32);
  }

  PictureBox box;
};

TEST_F(PictureBoxScaledScreenTest, ShrinksOnlyAsFarAsTheDevicePixelsNeed) {
  // Shown at 264 x 168, which on this screen is the picture's own 528 x 336 pixels.
  const QImage picture = testing::checkerboard_image(QSize(528, 336));
  box.set_picture(testing::png_file(picture));
  EXPECT_EQ(device_pixels(), picture);
}

TEST_F(PictureBoxScaledScreenTest, EnlargesASmallPictureWithHardEdges) {
  const QImage picture = testing::checkerboard_image(QSize(100, 100));
  box.set_picture(testing::png_file(picture));
  const QImage expected = picture.scaled(200, 200, Qt::IgnoreAspectRatio, Qt::FastTransformation);
  EXPECT_EQ(device_pixels().copy(164, 68, 200, 200), expected);
}

TEST_F(PictureBoxScaledScreenTest, KeepsTheFitRuleInWindowPixels) {
  const QColor colour(200, 30, 40);
  box.set_picture(testing::png_file(testing::solid_image({1000, 500}, colour)));
  const QImage shot = device_pixels();
  EXPECT_EQ(testing::drawn_rect(shot, box.palette().color(QPalette::Window)),
            QRect(0, 36, 528, 264));
}

}  // namespace
}  // namespace varnelle

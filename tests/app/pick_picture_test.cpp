#include "app/pick_picture.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QFileDialog>
#include <QTemporaryDir>

#include "app/main_window.h"
#include "app/picture_box.h"
#include "dialog_driver.h"
#include "pictures.h"

namespace varnelle {
namespace {

using testing::press_open;
using testing::type_file_name;
using testing::when_shown;

class PickPictureTest : public ::testing::Test {
 protected:
  void write(const QString& path, const Bytes& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
  }
  QColor shown_colour() { return window.图片框1()->grab().toImage().pixelColor(132, 84); }
  QColor face() { return window.图片框1()->palette().color(QPalette::Window); }

  QTemporaryDir folder;
  MainWindow window;
};

TEST_F(PickPictureTest, ShowsThePickedFileAndAfterACancelTheSameFileAgain) {
  when_shown<QFileDialog>([](QFileDialog& dialog) { dialog.reject(); });
  pick_picture(window);
  EXPECT_EQ(shown_colour(), face());

  const QString path = folder.filePath(QStringLiteral("二维码.png"));
  write(path, testing::png_file(testing::solid_image({50, 50}, Qt::red)));
  when_shown<QFileDialog>([path](QFileDialog& dialog) {
    type_file_name(dialog, path);
    press_open(dialog);
  });
  pick_picture(window);
  EXPECT_EQ(shown_colour(), QColor(Qt::red));

  // A cancel reads the last confirmed file anew.
  write(path, testing::jpeg_file(testing::solid_image({50, 50}, Qt::blue)));
  when_shown<QFileDialog>([](QFileDialog& dialog) { dialog.reject(); });
  pick_picture(window);
  const QColor shown = shown_colour();  // JPEG comes back close, not exact
  EXPECT_TRUE(shown.red() < 8 && shown.green() < 8 && shown.blue() > 247)
      << shown.name().toStdString();

  QFile::remove(path);
  when_shown<QFileDialog>([](QFileDialog& dialog) { dialog.reject(); });
  pick_picture(window);
  EXPECT_EQ(shown_colour(), face());
}

}  // namespace
}  // namespace varnelle

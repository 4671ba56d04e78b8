#include "app/open_file_dialog.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QWidget>

#include "dialog_driver.h"

namespace varnelle {
namespace {

using testing::press_open;
using testing::type_file_name;
using testing::when_shown;

class OpenFileDialogTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(folder.isValid()); }

  // Makes a file in the test's folder and gives its full path.
  QString make_file(const QString& name) {
    const QString path = folder.filePath(name);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("picture");
    return path;
  }
  // The ANSI bytes of a path in the test's folder, whose own path is ASCII.
  Text ansi_path(const Text& name) const { return folder.path().toStdString() + "/" + name; }

  static void choose(const QString& path) {
    when_shown<QFileDialog>([path](QFileDialog& dialog) {
      type_file_name(dialog, path);
      press_open(dialog);
    });
  }

  QTemporaryDir folder;
  QWidget window;
  OpenFileDialog dialog{&window};
};

TEST_F(OpenFileDialogTest, ConfirmingSetsTheFileNameInTheAnsiCodePage) {
  EXPECT_TRUE(dialog.file_name().empty());
  choose(make_file(QStringLiteral("二维码 a.png")));
  EXPECT_TRUE(dialog.show());
  // 二维码 in GB18030
  EXPECT_EQ(dialog.file_name(), ansi_path("\xB6\xFE\xCE\xAC\xC2\xEB a.png"));
}

TEST_F(OpenFileDialogTest, CancellingKeepsTheFileName) {
  when_shown<QFileDialog>([](QFileDialog& shown) { shown.reject(); });
  EXPECT_FALSE(dialog.show());
  EXPECT_TRUE(dialog.file_name().empty());

  choose(make_file(QStringLiteral("a.png")));
  ASSERT_TRUE(dialog.show());
  // A file picked and then cancelled does not count.
  const QString second = make_file(QStringLiteral("b.png"));
  when_shown<QFileDialog>([second](QFileDialog& shown) {
    type_file_name(shown, second);
    shown.reject();
  });
  EXPECT_FALSE(dialog.show());
  EXPECT_EQ(dialog.file_name(), ansi_path("a.png"));
}

TEST_F(OpenFileDialogTest, TheNextDialogOffersTheLastConfirmedFile) {
  const QString first = make_file(QStringLiteral("a.png"));
  choose(first);
  ASSERT_TRUE(dialog.show());

  QStringList offered;
  QString folder_shown;
  when_shown<QFileDialog>([&](QFileDialog& shown) {
    offered = shown.selectedFiles();
    folder_shown = shown.directory().absolutePath();
    press_open(shown);
  });
  EXPECT_TRUE(dialog.show());
  EXPECT_EQ(offered, QStringList{first});
  EXPECT_EQ(folder_shown, QDir(folder.path()).absolutePath());
  EXPECT_EQ(dialog.file_name(), ansi_path("a.png"));
}

TEST_F(OpenFileDialogTest, AFileThatDoesNotExistCannotBeConfirmed) {
  choose(make_file(QStringLiteral("a.png")));
  ASSERT_TRUE(dialog.show());

  bool stayed_open = false;
  when_shown<QFileDialog>([&](QFileDialog& shown) {
    type_file_name(shown, folder.filePath(QStringLiteral("missing.png")));
    when_shown<QMessageBox>([](QMessageBox& warning) { warning.close(); }, &shown);
    press_open(shown);
    stayed_open = shown.isVisible();
    shown.reject();
  });
  EXPECT_FALSE(dialog.show());
  EXPECT_TRUE(stayed_open);
  EXPECT_EQ(dialog.file_name(), ansi_path("a.png"));
}

TEST_F(OpenFileDialogTest, UsesTheToolkitsTitleAndNoFilter) {
  const QFileDialog plain;
  QString title;
  QStringList filters;
  QFileDialog::FileMode mode = QFileDialog::AnyFile;
  when_shown<QFileDialog>([&](QFileDialog& shown) {
    title = shown.windowTitle();
    filters = shown.nameFilters();
    mode = shown.fileMode();
    shown.reject();
  });
  dialog.show();
  EXPECT_EQ(title, plain.windowTitle());
  EXPECT_EQ(filters, plain.nameFilters());
  EXPECT_EQ(mode, QFileDialog::ExistingFile);
}

}  // namespace
}  // namespace varnelle

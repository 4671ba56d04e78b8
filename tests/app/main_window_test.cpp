#include "app/main_window.h"

#include <gtest/gtest.h>

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>

#include "app/open_file_dialog.h"
#include "app/picture_box.h"
#include "app/window_placement.h"
#include "pictures.h"

namespace varnelle {
namespace {

class MainWindowTest : public ::testing::Test {
 protected:
  void show_active() {
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  }
  QWidget* component(const char* name) {
    return window.findChild<QWidget*>(QString::fromUtf8(name));
  }

  MainWindow window;
};

struct ComponentCase {
  const char* name;
  const char* class_name;
  const char* parent;  // empty for the window itself
  QRect geometry;
};

TEST_F(MainWindowTest, ComponentsSitWhereTheFormPutsThem) {
  const std::vector<ComponentCase> cases = {
      {"分组框1", "QGroupBox", "", QRect(2, 45, 349, 204)},
      {"图片框1", "varnelle::PictureBox", "分组框1", QRect(39, 23, 264, 168)},
      {"按钮1", "QPushButton", "", QRect(4, 265, 84, 32)},
      {"标签1", "QLabel", "", QRect(97, 269, 88, 25)},
      {"编辑框1", "QLineEdit", "", QRect(196, 267, 151, 28)},
  };
  show_active();
  for (const ComponentCase& c : cases) {
    SCOPED_TRACE(c.name);
    QWidget* widget = component(c.name);
    ASSERT_NE(widget, nullptr);
    EXPECT_STREQ(widget->metaObject()->className(), c.class_name);
    const QWidget* parent = *c.parent ? component(c.parent) : &window;
    EXPECT_EQ(widget->parentWidget(), parent);
    EXPECT_EQ(widget->geometry(), c.geometry);
    EXPECT_TRUE(widget->isVisible());
    EXPECT_TRUE(window.rect().contains(widget->mapTo(&window, widget->rect().bottomRight())));
  }
  // The dialog component is no widget: nothing of it is drawn in the window.
  auto* dialog = window.findChild<QObject*>(QStringLiteral("通用对话框1"));
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(qobject_cast<OpenFileDialog*>(dialog), window.通用对话框1());
  EXPECT_FALSE(dialog->isWidgetType());
}

TEST_F(MainWindowTest, ShowsItsTexts) {
  EXPECT_EQ(window.windowTitle(), QStringLiteral("Varnelle"));
  EXPECT_EQ(window.分组框1()->title(), QStringLiteral("请点击\"解析二维码\"按钮进行地址解析"));
  EXPECT_EQ(window.分组框1()->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignLeft);
  EXPECT_EQ(window.按钮1()->text(), QStringLiteral("解析二维码"));
  EXPECT_EQ(window.标签1()->text(), QStringLiteral("解析后地址："));
  EXPECT_EQ(window.标签1()->alignment(), Qt::AlignCenter);
  EXPECT_FALSE(window.标签1()->wordWrap());
  EXPECT_TRUE(window.编辑框1()->text().isEmpty());
  EXPECT_EQ(window.编辑框1()->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignLeft);
  EXPECT_TRUE(window.windowIcon().availableSizes().contains(QSize(16, 16)));
}

TEST_F(MainWindowTest, HasAFixedFrameCentredOnTheScreen) {
  show_active();
  EXPECT_EQ(window.frameGeometry().size(), kWindowOuterSize);
  EXPECT_EQ(window.frameGeometry().topLeft(),
            centred_position(window.screen()->availableGeometry(), kWindowOuterSize));
  EXPECT_EQ(window.minimumSize(), window.size());
  EXPECT_EQ(window.maximumSize(), window.size());

  const Qt::WindowFlags flags = window.windowFlags();
  EXPECT_TRUE(flags & Qt::WindowTitleHint);
  EXPECT_TRUE(flags & Qt::WindowSystemMenuHint);
  EXPECT_TRUE(flags & Qt::WindowMinimizeButtonHint);
  EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
  EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
  EXPECT_FALSE(flags & Qt::FramelessWindowHint);
}

class MainWindowEscapeTest : public MainWindowTest,
                             public ::testing::WithParamInterface<const char*> {};

TEST_P(MainWindowEscapeTest, ClosesTheWindowWhereverTheFocusIs) {
  show_active();
  QWidget* focus = component(GetParam());
  focus->setFocus();
  QTest::keyClick(focus, Qt::Key_Escape);
  EXPECT_FALSE(window.isVisible());
}

INSTANTIATE_TEST_SUITE_P(Focus, MainWindowEscapeTest, ::testing::Values("按钮1", "编辑框1"));

TEST_F(MainWindowTest, TabMovesBetweenTheButtonAndTheEditBoxOnly) {
  show_active();
  EXPECT_EQ(QApplication::focusWidget(), window.按钮1());
  QTest::keyClick(window.按钮1(), Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), window.编辑框1());
  QTest::keyClick(window.编辑框1(), Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), window.按钮1());
  QTest::keyClick(window.按钮1(), Qt::Key_Backtab);
  EXPECT_EQ(QApplication::focusWidget(), window.编辑框1());

  for (QWidget* widget : window.findChildren<QWidget*>()) {
    const bool tab_stop = widget == window.按钮1() || widget == window.编辑框1();
    EXPECT_EQ(bool(widget->focusPolicy() & Qt::TabFocus), tab_stop)
        << widget->objectName().toStdString();
  }
}

TEST_F(MainWindowTest, EnterInTheEditBoxDoesNotPressTheButton) {
  show_active();
  EXPECT_FALSE(window.按钮1()->isDefault());
  EXPECT_FALSE(window.按钮1()->autoDefault());
  QSignalSpy clicks(window.按钮1(), &QPushButton::clicked);
  window.编辑框1()->setFocus();
  QTest::keyClick(window.编辑框1(), Qt::Key_Return);
  EXPECT_EQ(clicks.count(), 0);
}

TEST_F(MainWindowTest, EditBoxIsEditableWithoutALengthLimit) {
  show_active();
  QLineEdit* edit = window.编辑框1();
  EXPECT_FALSE(edit->isReadOnly());
  EXPECT_EQ(edit->echoMode(), QLineEdit::Normal);
  EXPECT_TRUE(edit->hasFrame());

  const QString long_text(100000, QLatin1Char('x'));
  edit->setText(long_text);
  EXPECT_EQ(edit->text(), long_text);

  edit->clear();
  edit->setFocus();
  QTest::keyClicks(edit, QStringLiteral("https://example.org/a"));
  EXPECT_EQ(edit->text(), QStringLiteral("https://example.org/a"));
}

TEST_F(MainWindowTest, SelectionHidesWhenTheEditBoxLosesTheFocus) {
  show_active();
  QLineEdit* edit = window.编辑框1();
  edit->setText(QStringLiteral("https://example.org/a"));
  edit->setFocus();
  edit->selectAll();
  QTest::keyClick(edit, Qt::Key_Tab);
  ASSERT_EQ(QApplication::focusWidget(), window.按钮1());
  EXPECT_FALSE(edit->hasSelectedText());

  // Another window taking over keeps the selection, but the box draws it as no selection.
  QTest::keyClick(window.按钮1(), Qt::Key_Backtab);
  edit->selectAll();
  QWidget other;
  other.show();
  other.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
  ASSERT_TRUE(edit->hasSelectedText());
  const QImage selected = edit->grab().toImage();
  edit->deselect();
  EXPECT_EQ(selected, edit->grab().toImage());
}

// Also leaves main_window.png beside the test, to look at.
TEST_F(MainWindowTest, ShowsAPictureInTheBoxAsDrawn) {
  const QImage qr = testing::qr_code_image("https://example.org/varnelle", 4);
  ASSERT_LE(qr.width(), 168);
  window.图片框1()->set_picture(testing::png_file(qr));
  show_active();

  const QImage shot = window.grab().toImage();
  shot.save(QStringLiteral("main_window.png"));
  const QPoint box = window.图片框1()->mapTo(&window, QPoint(0, 0));
  const QPoint origin = box + QPoint((264 - qr.width()) / 2, (168 - qr.height()) / 2);
  EXPECT_EQ(shot.copy(QRect(origin, qr.size())).convertToFormat(QImage::Format_RGB32),
            qr.convertToFormat(QImage::Format_RGB32));
}

}  // namespace
}  // namespace varnelle

#include "app/main_window.h"

#include <QGroupBox>
#include <QIcon>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QWindow>
#include <climits>

#include "app/open_file_dialog.h"
#include "app/picture_box.h"
#include "app/window_placement.h"

namespace varnelle {

namespace {

// A fixed frame with a caption, the system menu, minimize and close, and no maximize button.
constexpr Qt::WindowFlags kWindowFlags = Qt::Window | Qt::CustomizeWindowHint |
                                         Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                                         Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint;

// A selection shows only while the edit box has the focus; Qt drops it when the focus moves on
// inside the window, and these colours hide it while the window is in the background.
void hide_inactive_selection(QLineEdit& edit_box) {
  QPalette palette = edit_box.palette();
  palette.setColor(QPalette::Inactive, QPalette::Highlight,
                   palette.color(QPalette::Inactive, QPalette::Base));
  palette.setColor(QPalette::Inactive, QPalette::HighlightedText,
                   palette.color(QPalette::Inactive, QPalette::Text));
  edit_box.setPalette(palette);
}

}  // namespace

MainWindow::MainWindow() : QWidget(nullptr, kWindowFlags) {
  setWindowTitle(QStringLiteral("Varnelle"));
  setWindowIcon(QIcon(QStringLiteral(":/icons/org.varnelle.Varnelle.png")));

  dialog_ = new OpenFileDialog(this);
  dialog_->setObjectName(QStringLiteral("通用对话框1"));

  group_box_ = new QGroupBox(QStringLiteral("请点击\"解析二维码\"按钮进行地址解析"), this);
  group_box_->setObjectName(QStringLiteral("分组框1"));
  group_box_->setGeometry(2, 45, 349, 204);
  group_box_->setAlignment(Qt::AlignLeft);

  picture_box_ = new PictureBox(group_box_);
  picture_box_->setObjectName(QStringLiteral("图片框1"));
  picture_box_->setGeometry(39, 23, 264, 168);

  button_ = new QPushButton(QStringLiteral("解析二维码"), this);
  button_->setObjectName(QStringLiteral("按钮1"));
  button_->setGeometry(4, 265, 84, 32);
  button_->setAutoDefault(false);
  button_->setDefault(false);
  button_->setFocusPolicy(Qt::StrongFocus);

  label_ = new QLabel(QStringLiteral("解析后地址："), this);
  label_->setObjectName(QStringLiteral("标签1"));
  label_->setGeometry(97, 269, 88, 25);
  label_->setTextFormat(Qt::PlainText);
  label_->setAlignment(Qt::AlignCenter);

  edit_box_ = new QLineEdit(this);
  edit_box_->setObjectName(QStringLiteral("编辑框1"));
  edit_box_->setGeometry(196, 267, 151, 28);
  edit_box_->setMaxLength(INT_MAX);
  edit_box_->setFocusPolicy(Qt::StrongFocus);
  hide_inactive_selection(*edit_box_);

  setTabOrder(button_, edit_box_);
  auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
  connect(escape, &QShortcut::activated, this, &QWidget::close);

  move(centred_position(screen()->availableGeometry(), kWindowOuterSize));
  fit_outer_size();
}

// The frame is known only once the window manager has framed the window, which shows up as a
// move of the client area; the frame's top-left corner stays where it was centred.
void MainWindow::fit_outer_size() {
  const QMargins frame = windowHandle() ? windowHandle()->frameMargins() : QMargins();
  const QRect components = childrenRect();
  const QSize size =
      client_size(kWindowOuterSize, frame, QSize(components.right() + 1, components.bottom() + 1));
  if (size != this->size() || minimumSize() != maximumSize()) setFixedSize(size);
}

void MainWindow::showEvent(QShowEvent* event) {
  fit_outer_size();
  QWidget::showEvent(event);
}

void MainWindow::moveEvent(QMoveEvent* event) {
  fit_outer_size();
  QWidget::moveEvent(event);
}

}  // namespace varnelle

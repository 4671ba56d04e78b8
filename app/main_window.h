#pragma once
// The one window: a picture box in a group box, the button that starts a decode, and the field
// that receives the result. The components keep the names of the window form, also as their Qt
// object names.

#include <QMargins>
#include <QWidget>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace varnelle {

class OpenFileDialog;
class PictureBox;

class MainWindow : public QWidget {
  Q_OBJECT

 public:
  MainWindow();

  OpenFileDialog* 通用对话框1() const { return dialog_; }
  QGroupBox* 分组框1() const { return group_box_; }
  PictureBox* 图片框1() const { return picture_box_; }
  QPushButton* 按钮1() const { return button_; }
  QLabel* 标签1() const { return label_; }
  QLineEdit* 编辑框1() const { return edit_box_; }

 protected:
  void showEvent(QShowEvent* event) override;
  void moveEvent(QMoveEvent* event) override;

 private:
  void fit_outer_size();

  OpenFileDialog* dialog_;
  QGroupBox* group_box_;
  PictureBox* picture_box_;
  QPushButton* button_;
  QLabel* label_;
  QLineEdit* edit_box_;
};

}  // namespace varnelle

#pragma once
// The picture box: shows the picture held in a file's bytes, centred and shrunk to fit, and plays
// animated GIFs. It draws for the screen's device pixels, so a scaled screen shows it crisply.

#include <QPixmap>
#include <QTimer>
#include <QWidget>
#include <vector>

#include "text/text.h"

namespace varnelle {

class PictureBox : public QWidget {
  Q_OBJECT

 public:
  explicit PictureBox(QWidget* parent = nullptr);

  // The picture property. Empty bytes, or bytes in no known picture format, leave the box blank.
  void set_picture(Bytes bytes);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void render_frames();
  void show_next_frame();

  Bytes picture_;
  qreal rendered_ratio_ = 0;  // device pixel ratio the frames were made for
  QPoint origin_;
  std::vector<QPixmap> frames_;
  std::vector<int> delays_ms_;
  std::size_t current_ = 0;
  QTimer animation_;
};

}  // namespace varnelle

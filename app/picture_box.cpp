#include "app/picture_box.h"

#include <QImage>
#include <QPainter>
#include <cmath>
#include <span>
#include <utility>

#include "image/image.h"

namespace varnelle {

namespace {

// Browsers show a GIF frame that asks for 10 ms or less for 100 ms; so do we, which also keeps a
// zero-delay animation from spinning the window thread.
int shown_delay_ms(int delay_ms) { return delay_ms <= 10 ? 100 : delay_ms; }

QPixmap to_pixmap(const image::Frame& frame, QSize device_size, qreal ratio) {
  const QImage pixels(frame.rgba.data(), frame.width, frame.height, frame.width * 4,
                      QImage::Format_RGBA8888);
  QPixmap pixmap;
  if (pixels.size() == device_size) {
    pixmap = QPixmap::fromImage(pixels);
  } else {
    // Shrinking smooths; enlarging (a small picture on a scaled screen) keeps hard edges, so the
    // modules of a QR code stay sharp.
    const bool shrinking = device_size.width() < pixels.width();
    pixmap = QPixmap::fromImage(
        pixels.scaled(device_size, Qt::IgnoreAspectRatio,
                      shrinking ? Qt::SmoothTransformation : Qt::FastTransformation));
  }
  pixmap.setDevicePixelRatio(ratio);
  return pixmap;
}

}  // namespace

// Not filled: the box has no look of its own, so a blank box is the group box's face.
PictureBox::PictureBox(QWidget* parent) : QWidget(parent) {
  animation_.setSingleShot(true);
  connect(&animation_, &QTimer::timeout, this, &PictureBox::show_next_frame);
}

void PictureBox::set_picture(Bytes bytes) {
  picture_ = std::move(bytes);
  render_frames();
  update();
}

void PictureBox::render_frames() {
  animation_.stop();
  frames_.clear();
  delays_ms_.clear();
  current_ = 0;
  const qreal ratio = devicePixelRatioF();
  rendered_ratio_ = ratio;
  if (picture_.empty()) return;

  // The picture is decoded for the box in device pixels; the fit rule itself is in window pixels.
  const int device_width = static_cast<int>(std::lround(width() * ratio));
  const int device_height = static_cast<int>(std::lround(height() * ratio));
  const image::Image picture = image::decode_image(std::span<const std::uint8_t>(picture_),
                                                   image::DecodeHint{device_width, device_height});
  if (picture.empty()) return;
  const image::Placement placement =
      image::fit_into_box(picture.width, picture.height, width(), height());
  const QSize device_size(static_cast<int>(std::lround(placement.width * ratio)),
                          static_cast<int>(std::lround(placement.height * ratio)));
  if (device_size.isEmpty()) return;

  origin_ = QPoint(placement.x, placement.y);
  frames_.reserve(picture.frames.size());
  for (const image::Frame& frame : picture.frames) {
    frames_.push_back(to_pixmap(frame, device_size, ratio));
    delays_ms_.push_back(shown_delay_ms(frame.delay_ms));
  }
  if (frames_.size() > 1) animation_.start(delays_ms_[0]);
}

void PictureBox::show_next_frame() {
  current_ = (current_ + 1) % frames_.size();
  animation_.start(delays_ms_[current_]);
  update();
}

void PictureBox::paintEvent(QPaintEvent*) {
  // Moving to a screen with another scale makes the frames for its device pixels anew.
  if (!picture_.empty() && devicePixelRatioF() != rendered_ratio_) render_frames();
  if (frames_.empty()) return;
  QPainter painter(this);
  painter.drawPixmap(origin_, frames_[current_]);
}

}  // namespace varnelle

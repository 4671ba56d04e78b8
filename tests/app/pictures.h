#pragma once
// Picture files made by the tests, and what a grabbed widget shows.

#include <QColor>
#include <QImage>
#include <QRect>
#include <QSize>
#include <vector>

#include "text/text.h"

namespace varnelle::testing {

QImage solid_image(QSize size, QColor colour);
// One-pixel black and white squares, so any resampling shows.
QImage checkerboard_image(QSize size);
// A QR code of `text`, `module` pixels a module, with the usual four-module quiet zone.
QImage qr_code_image(const char* text, int module);

Bytes png_file(const QImage& image);
Bytes jpeg_file(const QImage& image);

struct GifFrame {
  QColor colour;  // the whole frame in one colour
  int delay_centiseconds;
};
// An animated GIF of `size` whose frames each fill the canvas with one colour.
Bytes gif_file(QSize size, const std::vector<GifFrame>& frames);

// The rectangle of the pixels in `shot` that differ from `background`; empty when none do.
QRect drawn_rect(const QImage& shot, QColor background);

}  // namespace varnelle::testing

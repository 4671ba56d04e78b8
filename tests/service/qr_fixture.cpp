#include "qr_fixture.h"

#include "tests/image/image_fixtures.h"

#include <qrencode.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <numbers>
#include <stdexcept>

// jpeglib.h needs FILE and size_t declared first.

namespace varnelle::service::testing {
namespace {

constexpr int kQuietZone = 4;

struct QrCodeFree {
  void operator()(QRcode* code) const { QRcode_free(code); }
};
struct QrInputFree {
  void operator()(QRinput* input) const { QRinput_free(input); }
};

}  // namespace

QrSymbol make_qr(std::string_view bytes, QrMarker marker) {
  std::unique_ptr<QRinput, QrInputFree> input(QRinput_new2(0, QR_ECLEVEL_M));
  if (!input) throw std::runtime_error("QRinput_new2 failed");
  if (marker == QrMarker::utf8_eci && QRinput_appendECIheader(input.get(), 26) != 0)
    throw std::runtime_error("QRinput_appendECIheader failed");
  if (QRinput_append(input.get(), QR_MODE_8, static_cast<int>(bytes.size()),
                     reinterpret_cast<const unsigned char*>(bytes.data())) != 0)
    throw std::runtime_error("QRinput_append failed");
  std::unique_ptr<QRcode, QrCodeFree> code(QRcode_encodeInput(input.get()));
  if (!code) throw std::runtime_error("QRcode_encodeInput failed");
  QrSymbol symbol;
  symbol.width = code->width;
  symbol.dark.resize(code->width * code->width);
  for (int i = 0; i < code->width * code->width; ++i) symbol.dark[i] = code->data[i] & 1;
  return symbol;
}

Canvas::Canvas(int w, int h, std::uint8_t fill) : width(w), height(h), gray(w * h, fill) {}

void Canvas::fill_texture(unsigned seed) {
  std::uint32_t state = seed * 2654435761u + 1;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      state = state * 1664525u + 1013904223u;
      int shade = 90 + 80 * x / width + 40 * y / height + static_cast<int>(state >> 28) - 8;
      gray[y * width + x] = static_cast<std::uint8_t>(shade);
    }
  }
}

void Canvas::draw(const QrSymbol& symbol, double cx, double cy, double module_px,
                  double degrees) {
  const int side = symbol.width + 2 * kQuietZone;
  const double half = side * module_px / 2;
  const double radius = half * std::numbers::sqrt2 + 1;
  const double angle = degrees * std::numbers::pi / 180;
  const double c = std::cos(angle), s = std::sin(angle);
  for (int y = std::max(0, int(cy - radius)); y < std::min(height, int(cy + radius)); ++y) {
    for (int x = std::max(0, int(cx - radius)); x < std::min(width, int(cx + radius)); ++x) {
      // Back from the canvas into the unturned symbol.
      double dx = x + 0.5 - cx, dy = y + 0.5 - cy;
      double u = (c * dx + s * dy + half) / module_px;
      double v = (-s * dx + c * dy + half) / module_px;
      if (u < 0 || v < 0 || u >= side || v >= side) continue;
      int mx = int(u) - kQuietZone, my = int(v) - kQuietZone;
      bool dark = mx >= 0 && my >= 0 && mx < symbol.width && my < symbol.width &&
                  symbol.dark[my * symbol.width + mx];
      gray[y * width + x] = dark ? 20 : 240;
    }
  }
}

// The canvas as the image tests' frames, so one set of encoders serves every test.
image::Frame to_frame(const Canvas& canvas) {
  image::Frame frame{canvas.width, canvas.height, {}, 0};
  frame.rgba.reserve(canvas.gray.size() * 4);
  for (std::uint8_t g : canvas.gray) frame.rgba.insert(frame.rgba.end(), {g, g, g, 255});
  return frame;
}

std::vector<std::uint8_t> png_bytes(const Canvas& canvas) {
  return image::fixtures::encode_png(to_frame(canvas));
}

std::vector<std::uint8_t> jpeg_bytes(const Canvas& canvas, int quality) {
  return image::fixtures::encode_jpeg(to_frame(canvas), quality, image::fixtures::JpegColour::grey);
}

std::vector<std::uint8_t> qr_png(std::string_view bytes, QrMarker marker) {
  QrSymbol symbol = make_qr(bytes, marker);
  const int module_px = 4;
  const int side = (symbol.width + 2 * kQuietZone) * module_px;
  Canvas canvas(side, side);
  canvas.draw(symbol, side / 2.0, side / 2.0, module_px);
  return png_bytes(canvas);
}

std::vector<std::uint8_t> qr_photo_jpeg(std::string_view bytes, double degrees) {
  Canvas canvas(4000, 3000);
  canvas.fill_texture(7);
  canvas.draw(make_qr(bytes), 2600, 1200, 12, degrees);
  return jpeg_bytes(canvas);
}

}  // namespace varnelle::service::testing

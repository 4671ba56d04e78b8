#pragma once
// QR-code pictures made for tests and benchmarks: symbols from libqrencode drawn onto a grey
// canvas at any size and angle, saved as PNG (libpng) or JPEG (libjpeg).

#include <cstdint>
#include <string_view>
#include <vector>

namespace varnelle::service::testing {

struct QrSymbol {
  int width = 0;             // modules per side, without the quiet zone
  std::vector<bool> dark;    // width * width, rows top to bottom
};

enum class QrMarker { none, utf8_eci };

// The bytes in 8-bit mode, as they are: no ECI unless asked for.
QrSymbol make_qr(std::string_view bytes, QrMarker marker = QrMarker::none);

struct Canvas {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> gray;  // width * height

  Canvas(int width, int height, std::uint8_t fill = 255);
  // A photo-like background: a shading gradient with fine noise, the same for the same seed.
  void fill_texture(unsigned seed);
  // Draws the symbol with its quiet zone, centred at (cx, cy), turned by degrees.
  void draw(const QrSymbol& symbol, double cx, double cy, double module_px, double degrees = 0);
};

std::vector<std::uint8_t> png_bytes(const Canvas& canvas);
std::vector<std::uint8_t> jpeg_bytes(const Canvas& canvas, int quality = 90);

// A plain PNG of one symbol, 4 pixels to a module.
std::vector<std::uint8_t> qr_png(std::string_view bytes, QrMarker marker = QrMarker::none);

// A 12-megapixel JPEG photo with one symbol turned by degrees somewhere in it.
std::vector<std::uint8_t> qr_photo_jpeg(std::string_view bytes, double degrees = 17);

}  // namespace varnelle::service::testing

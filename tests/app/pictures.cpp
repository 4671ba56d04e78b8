#include "pictures.h"

#include <gif_lib.h>
#include <qrencode.h>

#include <QBuffer>
#include <QImageWriter>
#include <memory>

namespace varnelle::testing {

namespace {

Bytes encoded(const QImage& image, const char* format) {
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, format);
  if (!writer.write(image)) return {};
  const QByteArray& data = buffer.data();
  return Bytes(data.begin(), data.end());
}

int append_to_bytes(GifFileType* gif, const GifByteType* data, int length) {
  auto* out = static_cast<Bytes*>(gif->UserData);
  out->insert(out->end(), data, data + length);
  return length;
}

}  // namespace

QImage solid_image(QSize size, QColor colour) {
  QImage image(size, QImage::Format_RGB32);
  image.fill(colour);
  return image;
}

QImage checkerboard_image(QSize size) {
  QImage image(size, QImage::Format_RGB32);
  for (int y = 0; y < size.height(); ++y)
    for (int x = 0; x < size.width(); ++x)
      image.setPixel(x, y, (x + y) % 2 ? qRgb(255, 255, 255) : qRgb(0, 0, 0));
  return image;
}

QImage qr_code_image(const char* text, int module) {
  const std::unique_ptr<QRcode, decltype(&QRcode_free)> code(
      QRcode_encodeString(text, 0, QR_ECLEVEL_M, QR_MODE_8, 1), &QRcode_free);
  const int quiet = 4;
  const int side = (code->width + 2 * quiet) * module;
  QImage image = solid_image(QSize(side, side), Qt::white);
  for (int y = 0; y < code->width; ++y)
    for (int x = 0; x < code->width; ++x)
      if (code->data[y * code->width + x] & 1)
        for (int dy = 0; dy < module; ++dy)
          for (int dx = 0; dx < module; ++dx)
            image.setPixel((x + quiet) * module + dx, (y + quiet) * module + dy, qRgb(0, 0, 0));
  return image;
}

Bytes png_file(const QImage& image) { return encoded(image, "png"); }

Bytes jpeg_file(const QImage& image) { return encoded(image, "jpeg"); }

Bytes gif_file(QSize size, const std::vector<GifFrame>& frames) {
  Bytes out;
  int error = 0;
  GifFileType* gif = EGifOpen(&out, append_to_bytes, &error);
  std::vector<GifColorType> colours;
  for (const GifFrame& frame : frames)
    colours.push_back({static_cast<GifByteType>(frame.colour.red()),
                       static_cast<GifByteType>(frame.colour.green()),
                       static_cast<GifByteType>(frame.colour.blue())});
  colours.resize(8, GifColorType{0, 0, 0});
  ColorMapObject* map = GifMakeMapObject(8, colours.data());
  EGifSetGifVersion(gif, true);
  EGifPutScreenDesc(gif, size.width(), size.height(), 8, 0, map);
  std::vector<GifPixelType> row(size.width());
  for (std::size_t i = 0; i < frames.size(); ++i) {
    const int delay = frames[i].delay_centiseconds;
    const GifByteType control[4] = {0, static_cast<GifByteType>(delay & 0xFF),
                                    static_cast<GifByteType>(delay >> 8), 0};
    EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, control);
    EGifPutImageDesc(gif, 0, 0, size.width(), size.height(), false, nullptr);
    std::fill(row.begin(), row.end(), static_cast<GifPixelType>(i));
    for (int y = 0; y < size.height(); ++y) EGifPutLine(gif, row.data(), size.width());
  }
  EGifCloseFile(gif, &error);
  GifFreeMapObject(map);
  return out;
}

QRect drawn_rect(const QImage& shot, QColor background) {
  QRect drawn;
  for (int y = 0; y < shot.height(); ++y)
    for (int x = 0; x < shot.width(); ++x)
      if (shot.pixelColor(x, y).rgb() != background.rgb()) drawn |= QRect(x, y, 1, 1);
  return drawn;
}

}  // namespace varnelle::testing

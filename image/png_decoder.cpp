#include "image/png_decoder.h"

#include <png.h>

#include "image/frame.h"

namespace varnelle::image {
namespace {

// png_image owns libpng state that must be released on every path.
class PngReader {
 public:
  PngReader() { image_.version = PNG_IMAGE_VERSION; }
  ~PngReader() { png_image_free(&image_); }
  PngReader(const PngReader&) = delete;
  PngReader& operator=(const PngReader&) = delete;

  png_image& image() { return image_; }

 private:
  png_image image_{};
};

}  // namespace

Image decode_png(std::span<const std::uint8_t> data) {
  if (data.empty()) return {};
  PngReader reader;
  png_image& png = reader.image();
  if (!png_image_begin_read_from_memory(&png, data.data(), data.size())) return {};
  std::optional<Frame> frame = make_frame(png.width, png.height);
  if (!frame) return {};
  png.format = PNG_FORMAT_RGBA;
  if (!png_image_finish_read(&png, nullptr, frame->rgba.data(), 0, nullptr)) return {};
  return single_frame_image(std::move(*frame));
}

}  // namespace varnelle::image

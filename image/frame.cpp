#include "image/frame.h"

#include <utility>

namespace varnelle::image {

bool size_allowed(std::int64_t width, std::int64_t height) {
  if (width <= 0 || height <= 0) return false;
  if (width > static_cast<std::int64_t>(kPixelLimit) ||
      height > static_cast<std::int64_t>(kPixelLimit))
    return false;
  return static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height) <= kPixelLimit;
}

std::optional<Frame> make_frame(std::int64_t width, std::int64_t height) {
  if (!size_allowed(width, height)) return std::nullopt;
  Frame frame;
  frame.width = static_cast<int>(width);
  frame.height = static_cast<int>(height);
  frame.rgba.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4, 0);
  return frame;
}

Image single_frame_image(Frame frame) {
  Image image;
  image.width = frame.width;
  image.height = frame.height;
  image.frames.push_back(std::move(frame));
  return image;
}

}  // namespace varnelle::image

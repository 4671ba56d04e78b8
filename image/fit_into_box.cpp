#include <algorithm>
#include <cstdint>

#include "image/image.h"

namespace varnelle::image {

Placement fit_into_box(int image_width, int image_height, int box_width, int box_height) {
  if (image_width <= 0 || image_height <= 0 || box_width <= 0 || box_height <= 0) return {};
  std::int64_t width = image_width;
  std::int64_t height = image_height;
  if (image_width > box_width || image_height > box_height) {
    // Ratios compared and applied in integers, so the truncation is exact: the binding side gets
    // the box's size and the other side its truncated product. A sliver keeps one pixel.
    if (std::int64_t{box_width} * image_height <= std::int64_t{box_height} * image_width) {
      width = box_width;
      height = std::max<std::int64_t>(1, std::int64_t{image_height} * box_width / image_width);
    } else {
      height = box_height;
      width = std::max<std::int64_t>(1, std::int64_t{image_width} * box_height / image_height);
    }
  }
  return {static_cast<int>((box_width - width) / 2), static_cast<int>((box_height - height) / 2),
          static_cast<int>(width), static_cast<int>(height)};
}

}  // namespace varnelle::image

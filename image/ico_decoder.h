#pragma once

#include <cstdint>
#include <span>

#include "image/image.h"

namespace varnelle::image {

// An icon (ICO) or cursor (CUR) file. It shows the largest picture the file holds, the deepest
// one among those of that size; an entry is either a bitmap with its AND mask or a PNG file.
Image decode_ico(std::span<const std::uint8_t> data);

}  // namespace varnelle::image

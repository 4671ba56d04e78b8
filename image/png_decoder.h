#pragma once

#include <cstdint>
#include <span>

#include "image/image.h"

namespace varnelle::image {

// A PNG file held in memory, through libpng's simplified reader.
Image decode_png(std::span<const std::uint8_t> data);

}  // namespace varnelle::image

#pragma once

#include <cstdint>
#include <span>

#include "image/image.h"

namespace varnelle::image {

// A GIF file held in memory, through giflib. Every frame is composed onto the full canvas, as it
// is seen at that moment: transparent pixels keep what lies below, and each frame's disposal
// (keep, clear to transparent, restore the previous canvas) is applied before the next.
Image decode_gif(std::span<const std::uint8_t> data);

}  // namespace varnelle::image

#pragma once

#include <cstdint>
#include <span>

#include "image/image.h"

namespace varnelle::image {

// A JPEG file held in memory, through libjpeg. When the hint's box holds the picture at half its
// size or less, libjpeg's DCT scaling decodes at the smallest of 1/2, 1/4, 1/8 that still covers
// the placement, so the frame may be smaller than the picture (never smaller than the placement).
Image decode_jpeg(std::span<const std::uint8_t> data, DecodeHint hint);

}  // namespace varnelle::image

#pragma once

#include <cstdint>
#include <span>

#include "image/image.h"

namespace varnelle::image {

// decode_image without the sniffing: decodes data as the given format, then fits the frames to
// the hint's box. Format::none gives an empty Image.
Image decode_as(Format format, std::span<const std::uint8_t> data, DecodeHint hint = {});

}  // namespace varnelle::image

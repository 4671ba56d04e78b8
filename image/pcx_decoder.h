#pragma once

#include <cstdint>
#include <span>

#include "image/image.h"

namespace varnelle::image {

// A run-length coded PCX file: 8 bits per pixel with the 256-colour palette at its end, 8 bits in
// three planes (red, green, blue), or 1 bit per pixel in black and white.
Image decode_pcx(std::span<const std::uint8_t> data);

}  // namespace varnelle::image

#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "image/image.h"

namespace varnelle::image {

// A BMP file: the 14-byte file header, then a device-independent bitmap.
Image decode_bmp(std::span<const std::uint8_t> data);

// Where a device-independent bitmap sits. In a BMP file the file header says where its pixels
// start. In an icon or cursor the pixels follow the palette, the header's height counts the AND
// mask that follows them too, and 32-bit pixels carry alpha.
enum class DibSource { bitmap_file, icon_entry };

// dib starts at the info header (12, 40, 52, 56, 108 or 124 bytes); pixels_at is where the pixel
// bits start inside dib, and is ignored for icon entries.
std::optional<Frame> decode_dib(std::span<const std::uint8_t> dib, DibSource source,
                                std::size_t pixels_at = 0);

}  // namespace varnelle::image

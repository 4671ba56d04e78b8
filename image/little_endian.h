#pragma once
// Little-endian fields of the BMP, ICO and PCX headers. Callers check the bounds first.

#include <cstddef>
#include <cstdint>
#include <span>

namespace varnelle::image {

inline std::uint16_t read_le16(std::span<const std::uint8_t> data, std::size_t at) {
  return static_cast<std::uint16_t>(data[at] | data[at + 1] << 8);
}

inline std::uint32_t read_le32(std::span<const std::uint8_t> data, std::size_t at) {
  return static_cast<std::uint32_t>(data[at]) | static_cast<std::uint32_t>(data[at + 1]) << 8 |
         static_cast<std::uint32_t>(data[at + 2]) << 16 |
         static_cast<std::uint32_t>(data[at + 3]) << 24;
}

}  // namespace varnelle::image

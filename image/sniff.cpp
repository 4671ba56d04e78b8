#include <algorithm>

#include "image/image.h"

namespace varnelle::image {
namespace {

bool starts_with(std::span<const std::uint8_t> data, std::initializer_list<std::uint8_t> prefix) {
  return data.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), data.begin());
}

bool icon_count_nonzero(std::span<const std::uint8_t> data) { return (data[4] | data[5]) != 0; }

}  // namespace

Format sniff_format(std::span<const std::uint8_t> data) {
  if (data.size() <= 5) return Format::none;
  if (starts_with(data, {0x42, 0x4D})) return Format::bmp;
  if (starts_with(data, {0xFF, 0xD8})) return Format::jpeg;
  if (starts_with(data, {0x89, 0x50, 0x4E, 0x47})) return Format::png;
  if (starts_with(data, {0x00, 0x00, 0x01, 0x00}) && icon_count_nonzero(data)) return Format::ico;
  if (starts_with(data, {0x00, 0x00, 0x02, 0x00}) && icon_count_nonzero(data)) return Format::cur;
  if (starts_with(data, {0x47, 0x49, 0x46, 0x38}) && (data[4] == 0x37 || data[4] == 0x39) &&
      data[5] == 0x61)
    return Format::gif;
  if (data[0] == 0x0A && data[2] == 1) {
    if (data[1] <= 5 && data[3] == 8) return Format::pcx8;
    if (data[1] == 3 && data[3] == 1) return Format::pcx1;
  }
  return Format::none;
}

}  // namespace varnelle::image

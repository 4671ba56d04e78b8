#pragma once
// Finds and reads every QR code in a picture.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace varnelle::service {

struct QrDecodeResult {
  enum class Outcome { decoded, no_code, not_image };
  Outcome outcome = Outcome::not_image;
  std::vector<std::string> texts;  // UTF-8, one per code found
};

QrDecodeResult decode_qr_codes(std::span<const std::uint8_t> picture);

}  // namespace varnelle::service

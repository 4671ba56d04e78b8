#include "service/qr_decoder.h"

#include <ZXing/ReadBarcode.h>

#include "image/image.h"
#include "service/qr_text.h"

namespace varnelle::service {

QrDecodeResult decode_qr_codes(std::span<const std::uint8_t> picture) {
  QrDecodeResult result;
  image::Image decoded = image::decode_image(picture);
  if (decoded.empty()) return result;
  const image::Frame& frame = decoded.frames.front();
  if (frame.width <= 0 || frame.height <= 0) return result;
  ZXing::ImageView view(frame.rgba.data(), frame.width, frame.height, ZXing::ImageFormat::RGBX);
  ZXing::DecodeHints hints;
  hints.setFormats(ZXing::BarcodeFormat::QRCode).setTryHarder(true).setTryRotate(true);
  for (const ZXing::Result& code : ZXing::ReadBarcodes(view, hints)) {
    if (!code.isValid()) continue;
    // With an ECI marker the code says its own character set, and ZXing applies it.
    result.texts.push_back(code.hasECI() ? code.text() : unmarked_text_to_utf8(code.bytes()));
  }
  result.outcome = result.texts.empty() ? QrDecodeResult::Outcome::no_code
                                        : QrDecodeResult::Outcome::decoded;
  return result;
}

}  // namespace varnelle::service

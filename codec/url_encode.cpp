#include "codec/url_encode.h"

#include "codec/code_page.h"

namespace varnelle {
namespace {

bool is_kept(std::uint8_t v) {
  return (v > 0x2C && v < 0x3A && v != 0x2F) || (v > 0x40 && v < 0x5B) || (v > 0x60 && v < 0x7B);
}

Text escape(std::uint8_t v) {
  const Text digits = hex_text(v);
  return concat_text("%", text_length(digits) < 2 ? "0" : "", digits);
}

}  // namespace

Text url_encode(const Text& text, bool keep_alphanumerics, bool as_utf8) {
  if (text.empty()) return {};
  Text encoded;
  for (const std::uint8_t v : text_to_bytes(as_utf8 ? ansi_to_utf8(text) : text)) {
    encoded += keep_alphanumerics && is_kept(v) ? char_from_code(v) : escape(v);
  }
  return encoded;
}

}  // namespace varnelle

#include "codec/base64.h"

namespace varnelle {
namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

}  // namespace

Text base64_encode(Bytes& data) {
  if (data.empty()) return {};
  const std::size_t pad = (3 - data.size() % 3) % 3;
  data.resize(data.size() + pad, 0);

  Text encoded;
  encoded.reserve(data.size() / 3 * 4);
  for (std::size_t i = 0; i < data.size(); i += 3) {
    const unsigned b0 = data[i], b1 = data[i + 1], b2 = data[i + 2];
    encoded += kAlphabet[b0 >> 2];
    encoded += kAlphabet[((b0 & 3) << 4) | (b1 >> 4)];
    encoded += kAlphabet[((b1 & 15) << 2) | (b2 >> 6)];
    encoded += kAlphabet[b2 & 63];
  }
  // The zero bytes added above stand for missing input: their characters become the pad.
  encoded.replace(encoded.size() - pad, pad, pad, '=');
  return encoded;
}

}  // namespace varnelle

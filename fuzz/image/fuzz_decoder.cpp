// One libFuzzer target per decoder: VARNELLE_FUZZ_FORMAT names the Format whose decoder this
// build exercises, past the sniffing, and on to the fit into the picture box.

#include <cstddef>
#include <cstdint>
#include <span>

#include "image/dispatch.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using varnelle::image::Format;
  constexpr varnelle::image::DecodeHint kPictureBox{264, 168};
  varnelle::image::decode_as(Format::VARNELLE_FUZZ_FORMAT, std::span(data, size), kPictureBox);
  return 0;
}

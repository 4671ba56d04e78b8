#include "image/dispatch.h"

#include <new>

#include "image/bmp_decoder.h"
#include "image/gif_decoder.h"
#include "image/ico_decoder.h"
#include "image/jpeg_decoder.h"
#include "image/pcx_decoder.h"
#include "image/png_decoder.h"
#include "image/shrink.h"

namespace varnelle::image {
namespace {

Image decode_full(Format format, std::span<const std::uint8_t> data, DecodeHint hint) {
  switch (format) {
    case Format::bmp:
      return decode_bmp(data);
    case Format::jpeg:
      return decode_jpeg(data, hint);
    case Format::png:
      return decode_png(data);
    case Format::ico:
    case Format::cur:
      return decode_ico(data);
    case Format::gif:
      return decode_gif(data);
    case Format::pcx8:
    case Format::pcx1:
      return decode_pcx(data);
    case Format::none:
      break;
  }
  return {};
}

void fit_frames(Image& image, DecodeHint hint) {
  if (hint.target_width <= 0 || hint.target_height <= 0) return;
  const Placement placement =
      fit_into_box(image.width, image.height, hint.target_width, hint.target_height);
  for (Frame& frame : image.frames) {
    if (frame.width != placement.width || frame.height != placement.height)
      frame = shrink_frame(frame, placement.width, placement.height);
  }
}

}  // namespace

Image decode_as(Format format, std::span<const std::uint8_t> data, DecodeHint hint) {
  try {
    Image image = decode_full(format, data, hint);
    fit_frames(image, hint);
    return image;
  } catch (const std::bad_alloc&) {
    // A picture within the size limits can still meet a machine short of memory.
    return {};
  }
}

Image decode_image(std::span<const std::uint8_t> data, DecodeHint hint) {
  return decode_as(sniff_format(data), data, hint);
}

}  // namespace varnelle::image

#include "image/jpeg_decoder.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>  // before jpeglib.h, which uses FILE
#include <new>

#include <jerror.h>
#include <jpeglib.h>

#include "image/frame.h"

namespace varnelle::image {
namespace {

// Progressive files can hold thousands of tiny scans that cost time without adding anything.
constexpr int kMaxScans = 500;

// libjpeg keeps coefficient buffers of progressive files in memory; with no backing store, a
// request above this fails instead of growing without bound. As much as the largest RGBA picture.
constexpr long kMaxDecoderMemory = static_cast<long>(kPixelLimit * 4);

struct ErrorManager {
  jpeg_error_mgr manager;
  std::jmp_buf jump;
};

[[noreturn]] void fail(j_common_ptr info) {
  std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->jump, 1);
}

// A scan that runs out of data, whether the file ends or a marker cuts in, is refused like any
// other broken file. The end of the data alone is not: the decoder reads ahead, so it meets the
// end of a file without its end-of-image marker before the last rows are out. Other warnings
// (stray bytes between markers) still give a picture, as every viewer shows one.
void on_message(j_common_ptr info, int level) {
  if (level < 0 && info->err->msg_code == JWRN_HIT_MARKER) fail(info);
}

void stay_quiet(j_common_ptr) {}

void limit_scans(j_common_ptr info) {
  if (reinterpret_cast<j_decompress_ptr>(info)->input_scan_number > kMaxScans) fail(info);
}

// The largest of 1/8, 1/4, 1/2 by which the picture can shrink and still cover its placement.
int dct_scale_denominator(const jpeg_decompress_struct& info, DecodeHint hint) {
  if (hint.target_width <= 0 || hint.target_height <= 0) return 1;
  const int width = static_cast<int>(info.image_width);
  const int height = static_cast<int>(info.image_height);
  const Placement placement = fit_into_box(width, height, hint.target_width, hint.target_height);
  for (int denominator : {8, 4, 2}) {
    if ((width + denominator - 1) / denominator >= placement.width &&
        (height + denominator - 1) / denominator >= placement.height)
      return denominator;
  }
  return 1;
}

// Adobe writes CMYK inverted, and so do nearly all CMYK JPEG files in the wild.
void cmyk_to_rgba(std::vector<std::uint8_t>& pixels, bool inverted) {
  for (std::size_t i = 0; i + 3 < pixels.size(); i += 4) {
    int c = pixels[i], m = pixels[i + 1], y = pixels[i + 2], k = pixels[i + 3];
    if (!inverted) {
      c = 255 - c, m = 255 - m, y = 255 - y, k = 255 - k;
    }
    pixels[i] = static_cast<std::uint8_t>((c * k + 127) / 255);
    pixels[i + 1] = static_cast<std::uint8_t>((m * k + 127) / 255);
    pixels[i + 2] = static_cast<std::uint8_t>((y * k + 127) / 255);
    pixels[i + 3] = 255;
  }
}

// Everything libjpeg may leave by longjmp happens here; no object with a destructor lives in
// this frame, and what survives the jump sits in the caller's objects.
bool read_jpeg(jpeg_decompress_struct& info, ErrorManager& errors, jpeg_progress_mgr& progress,
               std::span<const std::uint8_t> data, DecodeHint hint, Image& image) {
  if (setjmp(errors.jump)) return false;
  jpeg_create_decompress(&info);
  info.progress = &progress;
  info.mem->max_memory_to_use = kMaxDecoderMemory;
  jpeg_mem_src(&info, data.data(), static_cast<unsigned long>(data.size()));
  if (jpeg_read_header(&info, TRUE) != JPEG_HEADER_OK) return false;
  if (!size_allowed(info.image_width, info.image_height)) return false;

  const bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
  info.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_RGBA;
  info.scale_num = 1;
  info.scale_denom = static_cast<unsigned>(dct_scale_denominator(info, hint));
  jpeg_start_decompress(&info);
  if (info.output_components != 4) return false;

  image.width = static_cast<int>(info.image_width);
  image.height = static_cast<int>(info.image_height);
  Frame& frame = image.frames.emplace_back();
  frame.width = static_cast<int>(info.output_width);
  frame.height = static_cast<int>(info.output_height);
  const std::size_t stride = static_cast<std::size_t>(frame.width) * 4;
  // Rows are added as they are decoded, so a file that ends early never touches the whole buffer.
  frame.rgba.reserve(stride * frame.height);
  while (info.output_scanline < info.output_height) {
    JSAMPROW rows[16];
    const std::size_t first = info.output_scanline;
    const JDIMENSION count =
        std::min<JDIMENSION>({info.output_height - info.output_scanline,
                              static_cast<JDIMENSION>(std::max(info.rec_outbuf_height, 1)), 16});
    frame.rgba.resize((first + count) * stride);
    for (JDIMENSION i = 0; i < count; ++i) rows[i] = frame.rgba.data() + (first + i) * stride;
    if (jpeg_read_scanlines(&info, rows, count) == 0) return false;
  }
  // Every row is there, so what follows is not read: many files lack their end-of-image marker.
  if (cmyk) cmyk_to_rgba(frame.rgba, info.saw_Adobe_marker);
  return true;
}

}  // namespace

Image decode_jpeg(std::span<const std::uint8_t> data, DecodeHint hint) {
  if (data.empty()) return {};
  jpeg_decompress_struct info{};
  ErrorManager errors{};
  info.err = jpeg_std_error(&errors.manager);
  errors.manager.error_exit = fail;
  errors.manager.emit_message = on_message;
  errors.manager.output_message = stay_quiet;
  jpeg_progress_mgr progress{};
  progress.progress_monitor = limit_scans;
  Image image;
  bool ok = false;
  try {
    ok = read_jpeg(info, errors, progress, data, hint, image);
  } catch (const std::bad_alloc&) {
    // libjpeg's own state is released below either way.
  }
  jpeg_destroy_decompress(&info);
  if (!ok) return {};
  return image;
}

}  // namespace varnelle::image

#pragma once
// Picture decoding shared by the picture box and the decoding service: format sniffing by the first
// bytes, decoders to RGBA frames, and the rule that fits a picture into a box. No Qt in here.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace varnelle::image {

enum class Format { none, bmp, jpeg, png, ico, cur, gif, pcx8, pcx1 };

// Recognises a picture by its first bytes; data of 5 bytes or fewer is never a picture.
Format sniff_format(std::span<const std::uint8_t> data);

// Pictures whose pixel buffer would exceed this are refused before anything is allocated.
inline constexpr std::uint64_t kMaxPixels = 256ull * 1024 * 1024;

// One full-canvas frame, 8-bit RGBA, rows top to bottom, not premultiplied.
struct Frame {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgba;  // width * height * 4
  int delay_ms = 0;                // how long an animation shows this frame
};

struct Image {
  int width = 0;
  int height = 0;
  std::vector<Frame> frames;  // more than one for an animated GIF
  bool empty() const { return frames.empty(); }
};

// The box a picture is about to be drawn in. With a box, every frame comes back at the
// picture's placement in it (fit_into_box), ready to draw: a JPEG shown at half its size or less
// is first decoded smaller by libjpeg's DCT scaling, and any picture larger than its placement is
// then shrunk by area averaging. width and height of the Image stay the picture's own. A target
// width or height of 0 means no box: frames at the picture's own size.
struct DecodeHint {
  int target_width = 0;
  int target_height = 0;
};

// Decodes any recognised format. Truncated, malformed or hostile data gives an empty Image.
Image decode_image(std::span<const std::uint8_t> data, DecodeHint hint = {});

struct Placement {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
};

// Where a picture of image_width x image_height is drawn in a box: at its own size and centred
// when it fits, else scaled by the smaller ratio and centred; sizes and offsets truncated.
Placement fit_into_box(int image_width, int image_height, int box_width, int box_height);

}  // namespace varnelle::image

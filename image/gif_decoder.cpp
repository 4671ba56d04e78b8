#include "image/gif_decoder.h"

#include <gif_lib.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <optional>
#include <vector>

#include "image/frame.h"

namespace varnelle::image {
namespace {

// Every frame is a full canvas, so an animation costs frames x canvas. All frames together may
// hold as much as the largest still picture (1 GiB of RGBA), and no more than 10000 frames, which
// also bounds giflib's per-frame bookkeeping for tiny canvases.
constexpr std::uint64_t kMaxAnimationBytes = kPixelLimit * 4;
constexpr std::size_t kMaxFrames = 10000;

struct MemoryInput {
  std::span<const std::uint8_t> data;
  std::size_t position = 0;

  bool at_end() const { return position == data.size(); }
};

int read_memory(GifFileType* gif, GifByteType* out, int length) {
  auto* input = static_cast<MemoryInput*>(gif->UserData);
  const std::size_t count =
      std::min(static_cast<std::size_t>(std::max(length, 0)), input->data.size() - input->position);
  if (count > 0) std::memcpy(out, input->data.data() + input->position, count);
  input->position += count;
  return static_cast<int>(count);
}

struct GifCloser {
  void operator()(GifFileType* gif) const { DGifCloseFile(gif, nullptr); }
};
using GifHandle = std::unique_ptr<GifFileType, GifCloser>;

struct FrameControl {
  int disposal = DISPOSAL_UNSPECIFIED;
  int delay_ms = 0;
  int transparent_index = NO_TRANSPARENT_COLOR;
};

// Reads one extension; a graphic control block sets how the next frame is drawn.
bool read_extension(GifFileType* gif, FrameControl& control) {
  int code = 0;
  GifByteType* block = nullptr;
  if (DGifGetExtension(gif, &code, &block) == GIF_ERROR) return false;
  GraphicsControlBlock graphics{};
  if (code == GRAPHICS_EXT_FUNC_CODE && block != nullptr &&
      DGifExtensionToGCB(block[0], block + 1, &graphics) == GIF_OK) {
    control = {graphics.DisposalMode, graphics.DelayTime * 10, graphics.TransparentColor};
  }
  while (block != nullptr) {
    if (DGifGetExtensionNext(gif, &block) == GIF_ERROR) return false;
  }
  return true;
}

// Interlaced frames store rows in four passes: every 8th from 0, every 8th from 4, every 4th
// from 2, every 2nd from 1.
std::vector<int> row_order(int height, bool interlaced) {
  std::vector<int> rows;
  rows.reserve(static_cast<std::size_t>(height));
  if (!interlaced) {
    for (int y = 0; y < height; ++y) rows.push_back(y);
    return rows;
  }
  constexpr int kStart[] = {0, 4, 2, 1};
  constexpr int kStep[] = {8, 8, 4, 2};
  for (int pass = 0; pass < 4; ++pass) {
    for (int y = kStart[pass]; y < height; y += kStep[pass]) rows.push_back(y);
  }
  return rows;
}

// Decodes the current frame row by row onto the canvas; parts outside the canvas are cut off.
bool draw_frame(GifFileType* gif, const FrameControl& control, Frame& canvas) {
  const GifImageDesc& desc = gif->Image;
  if (!size_allowed(desc.Width, desc.Height)) return false;
  const ColorMapObject* colors = desc.ColorMap != nullptr ? desc.ColorMap : gif->SColorMap;
  if (colors == nullptr) return false;
  std::vector<GifPixelType> line(static_cast<std::size_t>(desc.Width));
  for (int y : row_order(desc.Height, desc.Interlace)) {
    if (DGifGetLine(gif, line.data(), desc.Width) == GIF_ERROR) return false;
    const int canvas_y = desc.Top + y;
    const int visible = std::clamp(canvas.width - desc.Left, 0, desc.Width);
    if (canvas_y >= canvas.height || visible == 0) continue;
    std::uint8_t* out = canvas.rgba.data() + (static_cast<std::size_t>(canvas_y) * canvas.width +
                                              static_cast<std::size_t>(desc.Left)) *
                                                 4;
    for (int x = 0; x < visible; ++x, out += 4) {
      const int index = line[static_cast<std::size_t>(x)];
      if (index == control.transparent_index || index >= colors->ColorCount) continue;
      const GifColorType& color = colors->Colors[index];
      out[0] = color.Red;
      out[1] = color.Green;
      out[2] = color.Blue;
      out[3] = 255;
    }
  }
  return true;
}

void clear_rectangle(Frame& canvas, const GifImageDesc& desc) {
  const int right = std::min(canvas.width, desc.Left + desc.Width);
  const int bottom = std::min(canvas.height, desc.Top + desc.Height);
  if (desc.Left >= right) return;
  for (int y = desc.Top; y < bottom; ++y) {
    std::uint8_t* row = canvas.rgba.data() + static_cast<std::size_t>(y) * canvas.width * 4;
    std::fill(row + static_cast<std::size_t>(desc.Left) * 4,
              row + static_cast<std::size_t>(right) * 4, 0);
  }
}

// The canvas is the logical screen; a file that leaves it at zero gets its first frame's extent.
std::optional<Frame> make_canvas(const GifFileType& gif) {
  if (gif.SWidth > 0 && gif.SHeight > 0) return make_frame(gif.SWidth, gif.SHeight);
  return make_frame(std::int64_t{gif.Image.Left} + gif.Image.Width,
                    std::int64_t{gif.Image.Top} + gif.Image.Height);
}

}  // namespace

Image decode_gif(std::span<const std::uint8_t> data) {
  MemoryInput input{data};
  int error = 0;
  GifHandle gif(DGifOpen(&input, read_memory, &error));
  if (!gif) return {};

  std::optional<Frame> canvas;
  std::vector<std::uint8_t> before_frame;
  std::vector<Frame> frames;
  FrameControl control;
  for (;;) {
    GifRecordType record = UNDEFINED_RECORD_TYPE;
    if (DGifGetRecordType(gif.get(), &record) == GIF_ERROR) {
      // A missing trailer after complete frames is common and harmless.
      if (input.at_end() && !frames.empty()) break;
      return {};
    }
    if (record == TERMINATE_RECORD_TYPE) break;
    if (record == EXTENSION_RECORD_TYPE) {
      if (!read_extension(gif.get(), control)) return {};
      continue;
    }
    if (record != IMAGE_DESC_RECORD_TYPE) return {};
    if (DGifGetImageDesc(gif.get()) == GIF_ERROR) return {};
    if (!canvas && !(canvas = make_canvas(*gif))) return {};
    if (frames.size() == kMaxFrames ||
        (frames.size() + 1) * canvas->rgba.size() > kMaxAnimationBytes)
      return {};
    if (control.disposal == DISPOSE_PREVIOUS) before_frame = canvas->rgba;
    if (!draw_frame(gif.get(), control, *canvas)) return {};
    frames.push_back(*canvas);
    frames.back().delay_ms = control.delay_ms;
    if (control.disposal == DISPOSE_BACKGROUND) clear_rectangle(*canvas, gif->Image);
    if (control.disposal == DISPOSE_PREVIOUS) canvas->rgba.swap(before_frame);
    control = {};
  }
  if (frames.empty()) return {};
  Image image;
  image.width = canvas->width;
  image.height = canvas->height;
  image.frames = std::move(frames);
  return image;
}

}  // namespace varnelle::image

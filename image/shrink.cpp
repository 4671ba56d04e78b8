#include "image/shrink.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace varnelle::image {
namespace {

// For each target index, the source indices it covers and the share each one has.
struct Taps {
  std::vector<int> first;          // first source index, per target index
  std::vector<std::size_t> begin;  // into weights, per target index, plus one end
  std::vector<float> weights;
};

Taps area_taps(int source_size, int target_size) {
  Taps taps;
  const double scale = static_cast<double>(source_size) / target_size;
  taps.begin.push_back(0);
  for (int t = 0; t < target_size; ++t) {
    const double low = t * scale;
    const double high = std::min<double>((t + 1) * scale, source_size);
    const int first = std::min(static_cast<int>(low), source_size - 1);
    const int end = std::max(first + 1, std::min(source_size, static_cast<int>(std::ceil(high))));
    taps.first.push_back(first);
    for (int s = first; s < end; ++s) {
      const double covered = std::min<double>(high, s + 1) - std::max<double>(low, s);
      taps.weights.push_back(static_cast<float>(std::max(covered, 0.0) / (high - low)));
    }
    taps.begin.push_back(taps.weights.size());
  }
  return taps;
}

std::uint8_t to_byte(float value) {
  return static_cast<std::uint8_t>(std::clamp(value + 0.5f, 0.0f, 255.0f));
}

bool opaque(const std::uint8_t* row, std::size_t width) {
  std::uint8_t all = 255;
  for (std::size_t x = 0; x < width; ++x) all &= row[x * 4 + 3];
  return all == 255;
}

// Adds weight x one source row to the sum: colours times alpha / 255, and alpha. An opaque row,
// the common case, is one multiply-add per byte, which the compiler can vectorise.
void add_row(const std::uint8_t* in, std::size_t width, float weight, float* sum) {
  if (opaque(in, width)) {
    for (std::size_t i = 0; i < width * 4; ++i) sum[i] += in[i] * weight;
    return;
  }
  for (std::size_t x = 0; x < width; ++x, in += 4, sum += 4) {
    const float share = in[3] * weight / 255.0f;
    sum[0] += in[0] * share;
    sum[1] += in[1] * share;
    sum[2] += in[2] * share;
    sum[3] += in[3] * weight;
  }
}

}  // namespace

Frame shrink_frame(const Frame& source, int width, int height) {
  Frame target;
  target.width = width;
  target.height = height;
  target.delay_ms = source.delay_ms;
  target.rgba.resize(static_cast<std::size_t>(width) * height * 4);
  const Taps columns = area_taps(source.width, width);
  const Taps rows = area_taps(source.height, height);
  const auto source_width = static_cast<std::size_t>(source.width);

  // One target row at a time: the source rows it covers are summed into a premultiplied row,
  // which is then narrowed to the target's columns.
  std::vector<float> sum(source_width * 4);
  std::uint8_t* out = target.rgba.data();
  for (int y = 0; y < height; ++y) {
    std::fill(sum.begin(), sum.end(), 0.0f);
    for (std::size_t i = rows.begin[y]; i < rows.begin[y + 1]; ++i) {
      const float weight = rows.weights[i];
      const std::size_t source_y = static_cast<std::size_t>(rows.first[y]) + (i - rows.begin[y]);
      add_row(source.rgba.data() + source_y * source_width * 4, source_width, weight, sum.data());
    }
    for (int x = 0; x < width; ++x, out += 4) {
      float r = 0, g = 0, b = 0, a = 0;
      const float* acc = sum.data() + static_cast<std::size_t>(columns.first[x]) * 4;
      for (std::size_t i = columns.begin[x]; i < columns.begin[x + 1]; ++i, acc += 4) {
        const float weight = columns.weights[i];
        r += acc[0] * weight;
        g += acc[1] * weight;
        b += acc[2] * weight;
        a += acc[3] * weight;
      }
      if (a > 0) {
        const float unpremultiply = 255.0f / a;
        out[0] = to_byte(r * unpremultiply);
        out[1] = to_byte(g * unpremultiply);
        out[2] = to_byte(b * unpremultiply);
      }
      out[3] = to_byte(a);
    }
  }
  return target;
}

}  // namespace varnelle::image

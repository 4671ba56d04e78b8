// Decoding a camera-sized picture into the picture box: ours (DCT scaling for JPEG, then area
// averaging) against QImageReader with setScaledSize on the same bytes.

#include <benchmark/benchmark.h>

#include <QBuffer>
#include <QByteArray>
#include <QCoreApplication>
#include <QImage>
#include <QImageReader>
#include <cmath>
#include <cstdint>
#include <cstdio>

#include "image/image.h"
#include "tests/image/image_fixtures.h"

namespace {

using varnelle::image::Frame;
using varnelle::image::fixtures::Bytes;

constexpr int kBoxWidth = 264;
constexpr int kBoxHeight = 168;

// Photo-like content: broad light and colour gradients, shapes with hard edges, fine texture
// and sensor grain, so the encoders see what a camera hands them rather than flat colour.
Frame photo_like(int width, int height) {
  Frame frame{width, height, {}, 0};
  frame.rgba.resize(static_cast<std::size_t>(width) * height * 4);
  std::uint32_t state = 0x9E3779B9u;
  auto grain = [&state] {
    state ^= state << 13, state ^= state >> 17, state ^= state << 5;
    return static_cast<int>(state % 17) - 8;
  };
  std::vector<float> wave_x(static_cast<std::size_t>(width)),
      wave_y(static_cast<std::size_t>(height));
  for (int x = 0; x < width; ++x)
    wave_x[x] = 40 * std::sin(x * 0.0021f) + 12 * std::sin(x * 0.031f);
  for (int y = 0; y < height; ++y)
    wave_y[y] = 50 * std::cos(y * 0.0017f) + 10 * std::sin(y * 0.047f);
  const float cx = width * 0.6f, cy = height * 0.45f, radius = height * 0.25f;
  std::uint8_t* out = frame.rgba.data();
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x, out += 4) {
      const float light = 110 + wave_x[x] + wave_y[y];
      const float dx = x - cx, dy = y - cy;
      const bool in_disc = dx * dx + dy * dy < radius * radius;
      const bool in_bar = (x / 397 + y / 311) % 5 == 0;
      const float texture = 14 * std::sin((x + 2 * y) * 0.19f) * std::sin((x - y) * 0.07f);
      float r = light + texture + (in_disc ? 60 : 0),
            g = light * 0.9f + texture + (in_bar ? -50 : 10);
      float b = 150 - wave_y[y] + texture * 0.5f + (in_disc ? -40 : 0);
      out[0] = static_cast<std::uint8_t>(std::clamp(r + grain(), 0.0f, 255.0f));
      out[1] = static_cast<std::uint8_t>(std::clamp(g + grain(), 0.0f, 255.0f));
      out[2] = static_cast<std::uint8_t>(std::clamp(b + grain(), 0.0f, 255.0f));
      out[3] = 255;
    }
  }
  return frame;
}

const Bytes& photo_jpeg() {
  static const Bytes bytes = varnelle::image::fixtures::encode_jpeg(photo_like(6000, 4000), 90);
  return bytes;
}

const Bytes& photo_png() {
  static const Bytes bytes = varnelle::image::fixtures::encode_png(photo_like(4000, 3000));
  return bytes;
}

void ours(benchmark::State& state, const Bytes& (*photo)()) {
  const Bytes& bytes = photo();
  for (auto _ : state) {
    varnelle::image::Image image = varnelle::image::decode_image(bytes, {kBoxWidth, kBoxHeight});
    if (image.empty()) state.SkipWithError("decode failed");
    benchmark::DoNotOptimize(image.frames.data());
  }
  state.counters["file_MB"] = bytes.size() / 1e6;
}

void qt_reader(benchmark::State& state, const Bytes& (*photo)(), int width, int height) {
  const Bytes& bytes = photo();
  const QByteArray data = QByteArray::fromRawData(reinterpret_cast<const char*>(bytes.data()),
                                                  static_cast<qsizetype>(bytes.size()));
  const varnelle::image::Placement placement =
      varnelle::image::fit_into_box(width, height, kBoxWidth, kBoxHeight);
  for (auto _ : state) {
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setScaledSize(QSize(placement.width, placement.height));
    QImage image = reader.read();
    if (image.width() != placement.width) state.SkipWithError("Qt decode failed");
    benchmark::DoNotOptimize(image.constBits());
  }
}

BENCHMARK_CAPTURE(ours, jpeg_6000x4000, photo_jpeg)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(qt_reader, jpeg_6000x4000, photo_jpeg, 6000, 4000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ours, png_4000x3000, photo_png)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(qt_reader, png_4000x3000, photo_png, 4000, 3000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);  // Qt finds its image format plugins through it
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

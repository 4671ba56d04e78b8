// Writes the seed corpus of the image fuzz targets: one small, valid picture per variant each
// decoder knows, made by the same fixtures as the tests. Usage: make_image_seeds <corpus dir>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

#include "tests/image/image_fixtures.h"

namespace fs = std::filesystem;
using namespace varnelle::image::fixtures;

namespace {

void write_seed(const fs::path& corpus, const std::string& format, const std::string& name,
                const Bytes& bytes) {
  fs::create_directories(corpus / format);
  std::ofstream(corpus / format / name, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
}

Bytes pcx_file(const PcxHeader& header, const Bytes& plain, const Bytes& trailer) {
  ByteWriter out;
  out.bytes(pcx_header(header)).bytes(pcx_runs(plain)).bytes(trailer);
  return out.data();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: make_image_seeds <corpus dir>\n";
    return 2;
  }
  const fs::path corpus = argv[1];
  const varnelle::image::Frame small = pattern_frame(7, 5, false);
  const varnelle::image::Frame clear = pattern_frame(7, 5, true);

  const std::pair<const char*, BmpLayout> layouts[] = {
      {"rgb24.bmp", BmpLayout::rgb24},     {"top_down.bmp", BmpLayout::rgb24_top_down},
      {"core.bmp", BmpLayout::rgb24_core}, {"rgb32.bmp", BmpLayout::rgb32},
      {"rgb555.bmp", BmpLayout::rgb555},   {"bitfields565.bmp", BmpLayout::bitfields565},
      {"v4.bmp", BmpLayout::v4_bitfields}, {"v5_alpha.bmp", BmpLayout::v5_alpha}};
  for (const auto& [name, layout] : layouts)
    write_seed(corpus, "bmp", name, encode_bmp(clear, layout));
  std::vector<std::uint8_t> indices(35);
  for (std::size_t i = 0; i < indices.size(); ++i) indices[i] = static_cast<std::uint8_t>(i * 7);
  const std::vector<Rgba> two = {{0, 0, 0}, {255, 255, 255}};
  std::vector<Rgba> many;
  for (int i = 0; i < 256; ++i)
    many.push_back({static_cast<std::uint8_t>(i), 0, static_cast<std::uint8_t>(255 - i)});
  for (auto& i : indices) i %= 2;
  write_seed(corpus, "bmp", "indexed1.bmp", encode_indexed_bmp(7, 5, indices, 1, two));
  write_seed(corpus, "bmp", "indexed4.bmp",
             encode_indexed_bmp(7, 5, indices, 4, {many.begin(), many.begin() + 16}));
  write_seed(corpus, "bmp", "indexed8.bmp", encode_indexed_bmp(7, 5, indices, 8, many));
  write_seed(corpus, "bmp", "rle8.bmp", bmp_rle_sample(8).file);
  write_seed(corpus, "bmp", "rle4.bmp", bmp_rle_sample(4).file);

  write_seed(corpus, "jpeg", "baseline.jpg", encode_jpeg(pattern_frame(24, 17), 80));
  write_seed(corpus, "jpeg", "progressive.jpg",
             encode_jpeg(pattern_frame(24, 17), 80, JpegColour::rgb, true));
  write_seed(corpus, "jpeg", "grey.jpg", encode_jpeg(pattern_frame(24, 17), 80, JpegColour::grey));
  write_seed(corpus, "jpeg", "cmyk.jpg", encode_jpeg(pattern_frame(24, 17), 80, JpegColour::cmyk));
  write_seed(corpus, "jpeg", "large.jpg", encode_jpeg(pattern_frame(600, 40), 30));

  write_seed(corpus, "png", "rgba.png", encode_png(clear));
  write_seed(corpus, "png", "large.png", encode_png(pattern_frame(600, 40)));

  const std::vector<Rgba> palette = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}};
  GifFrame first{0, 0, 6, 4, std::vector<std::uint8_t>(24, 0), 1, 10, -1, false};
  GifFrame second{2, 1, 3, 3, {1, 3, 1, 3, 2, 3, 1, 3, 1}, 2, 20, 3, false};
  GifFrame third{0, 0, 6, 4, std::vector<std::uint8_t>(24, 2), 3, 5, -1, true};
  write_seed(corpus, "gif", "animation.gif", encode_gif(6, 4, palette, {first, second, third}));
  write_seed(corpus, "gif", "still.gif", encode_gif(6, 4, palette, {first}));

  write_seed(
      corpus, "ico", "bitmap.ico",
      icon_file(1, {{7, 5, 32, icon_dib(small, false, [](int x, int y) { return x == y; })}}));
  write_seed(corpus, "ico", "alpha.ico",
             icon_file(1, {{7, 5, 32, icon_dib(clear, true, [](int, int) { return false; })}}));
  write_seed(corpus, "ico", "png.ico", icon_file(1, {{7, 5, 32, encode_png(clear)}}));
  write_seed(corpus, "ico", "cursor.cur",
             icon_file(2, {{7, 5, 3, icon_dib(small, false, [](int x, int) { return x < 2; })}}));

  Bytes plain8(8 * 5);
  for (std::size_t i = 0; i < plain8.size(); ++i) plain8[i] = static_cast<std::uint8_t>(i / 3 * 41);
  Bytes palette_trailer{0x0C};
  for (int i = 0; i < 256; ++i)
    palette_trailer.insert(palette_trailer.end(),
                           {std::uint8_t(i), std::uint8_t(255 - i), std::uint8_t(i / 2)});
  write_seed(corpus, "pcx", "indexed.pcx", pcx_file({5, 8, 1, 7, 5, 8}, plain8, palette_trailer));
  Bytes plain24(8 * 3 * 5);
  for (std::size_t i = 0; i < plain24.size(); ++i) plain24[i] = static_cast<std::uint8_t>(i * 13);
  write_seed(corpus, "pcx", "rgb.pcx", pcx_file({5, 8, 3, 7, 5, 8}, plain24, {}));
  const Bytes plain1 = {0xA5, 0x00, 0xFF, 0x00, 0x3C, 0x00, 0x81, 0x00, 0x00, 0x00};
  write_seed(corpus, "pcx", "mono.pcx", pcx_file({3, 1, 1, 7, 5, 2}, plain1, {}));
  return 0;
}

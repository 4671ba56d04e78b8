// Runs every fuzzing seed through its decoder, as the fuzz targets do, in the ordinary test run.
// Seeds named regression-* are inputs that once found a fault; the others are valid pictures.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>

#include "image/dispatch.h"

namespace varnelle::image {
namespace {

namespace fs = std::filesystem;

const std::map<std::string, Format> kCorpusFormats = {{"bmp", Format::bmp}, {"jpeg", Format::jpeg},
                                                      {"png", Format::png}, {"gif", Format::gif},
                                                      {"ico", Format::ico}, {"pcx", Format::pcx8}};

std::vector<std::uint8_t> read_bytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(SeedCorpus, EverySeedDecodesSafely) {
  std::size_t seeds = 0;
  for (const auto& [folder, format] : kCorpusFormats) {
    const fs::path dir = fs::path(VARNELLE_IMAGE_SEED_CORPUS) / folder;
    ASSERT_TRUE(fs::is_directory(dir)) << dir;
    for (const fs::directory_entry& entry : fs::directory_iterator(dir)) {
      const std::vector<std::uint8_t> bytes = read_bytes(entry.path());
      const bool regression = entry.path().filename().string().rfind("regression-", 0) == 0;
      for (DecodeHint hint : {DecodeHint{}, DecodeHint{264, 168}}) {
        const Image image = decode_as(format, bytes, hint);
        if (!regression) {
          EXPECT_FALSE(image.empty()) << entry.path();
        }
      }
      decode_image(bytes, {264, 168});
      ++seeds;
    }
  }
  EXPECT_GT(seeds, 0u);
}

}  // namespace
}  // namespace varnelle::image

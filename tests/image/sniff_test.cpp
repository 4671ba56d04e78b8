#include <gtest/gtest.h>

#include <vector>

#include "image/image.h"

namespace varnelle::image {
namespace {

struct SniffCase {
  const char* name;
  std::vector<std::uint8_t> bytes;
  Format expected;
};

void PrintTo(const SniffCase& c, std::ostream* out) { *out << c.name; }

// Pads a prefix to the given length with zero bytes.
std::vector<std::uint8_t> padded(std::vector<std::uint8_t> prefix, std::size_t size = 8) {
  prefix.resize(std::max(size, prefix.size()), 0);
  return prefix;
}

class SniffFormat : public testing::TestWithParam<SniffCase> {};

TEST_P(SniffFormat, RecognisesByFirstBytes) {
  EXPECT_EQ(sniff_format(GetParam().bytes), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, SniffFormat,
    testing::Values(SniffCase{"Empty", {}, Format::none},
                    SniffCase{"BmpOfFiveBytes", {'B', 'M', 0, 0, 0}, Format::none},
                    SniffCase{"BmpOfSixBytes", {'B', 'M', 0, 0, 0, 0}, Format::bmp},
                    SniffCase{"JpegOfFiveBytes", {0xFF, 0xD8, 0xFF, 0xE0, 0}, Format::none},
                    SniffCase{"Jpeg", padded({0xFF, 0xD8}), Format::jpeg},
                    SniffCase{"Png", padded({0x89, 'P', 'N', 'G'}), Format::png},
                    SniffCase{"PngWithWrongThirdByte", padded({0x89, 'P', 'M', 'G'}), Format::none},
                    SniffCase{"IcoOfSixBytes", {0, 0, 1, 0, 1, 0}, Format::ico},
                    SniffCase{"IcoCountInHighByte", padded({0, 0, 1, 0, 0, 1}), Format::ico},
                    SniffCase{"IcoZeroCount", padded({0, 0, 1, 0, 0, 0}), Format::none},
                    SniffCase{"Cur", padded({0, 0, 2, 0, 3, 0}), Format::cur},
                    SniffCase{"CurZeroCount", padded({0, 0, 2, 0, 0, 0}), Format::none},
                    SniffCase{"TypeThreeIcon", padded({0, 0, 3, 0, 1, 0}), Format::none},
                    SniffCase{"Gif87a", padded({'G', 'I', 'F', '8', '7', 'a'}), Format::gif},
                    SniffCase{"Gif89aOfSixBytes", {'G', 'I', 'F', '8', '9', 'a'}, Format::gif},
                    SniffCase{"Gif88a", padded({'G', 'I', 'F', '8', '8', 'a'}), Format::none},
                    SniffCase{"Gif89b", padded({'G', 'I', 'F', '8', '9', 'b'}), Format::none},
                    SniffCase{"Pcx8Version5", padded({0x0A, 5, 1, 8}), Format::pcx8},
                    SniffCase{"Pcx8Version0", padded({0x0A, 0, 1, 8}), Format::pcx8},
                    SniffCase{"Pcx8Version6", padded({0x0A, 6, 1, 8}), Format::none},
                    SniffCase{"Pcx8NotRunLength", padded({0x0A, 5, 0, 8}), Format::none},
                    SniffCase{"Pcx1Version3", padded({0x0A, 3, 1, 1}), Format::pcx1},
                    SniffCase{"Pcx1Version5", padded({0x0A, 5, 1, 1}), Format::none},
                    SniffCase{"Pcx4Bits", padded({0x0A, 3, 1, 4}), Format::none},
                    SniffCase{"Text", {'h', 'e', 'l', 'l', 'o', '!', '\n'}, Format::none}),
    [](const testing::TestParamInfo<SniffCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace varnelle::image

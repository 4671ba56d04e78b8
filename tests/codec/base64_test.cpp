#include "codec/base64.h"

#include <gtest/gtest.h>

#include <numeric>
#include <ostream>

namespace varnelle {
namespace {

Bytes bytes_of(std::string_view s) { return Bytes(s.begin(), s.end()); }

std::string hex(const Bytes& bytes) {
  std::string out;
  for (const std::uint8_t b : bytes) out += (out.empty() ? "" : " ") + hex_text(b);
  return "[" + out + "]";
}

struct Base64Case {
  Bytes input;
  Text encoded;
  Bytes input_afterwards;  // the caller's variable keeps the zero bytes added to it
};

void PrintTo(const Base64Case& c, std::ostream* os) { *os << hex(c.input) << " -> " << c.encoded; }

class Base64Test : public testing::TestWithParam<Base64Case> {};

TEST_P(Base64Test, EncodesAndPadsCallersBytes) {
  Bytes data = GetParam().input;
  EXPECT_EQ(base64_encode(data), GetParam().encoded);
  EXPECT_EQ(data, GetParam().input_afterwards);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Base64Test,
    testing::Values(Base64Case{{}, "", {}},
                    Base64Case{bytes_of("abc"), "YWJj", bytes_of("abc")},
                    Base64Case{bytes_of("ab"), "YWI=", {'a', 'b', 0}},
                    Base64Case{bytes_of("a"), "YQ==", {'a', 0, 0}},
                    Base64Case{{0}, "AA==", {0, 0, 0}},
                    Base64Case{bytes_of("fooba"), "Zm9vYmE=", {'f', 'o', 'o', 'b', 'a', 0}},
                    Base64Case{bytes_of("foobar"), "Zm9vYmFy", bytes_of("foobar")},
                    Base64Case{{0xFF, 0xFE, 0xFD}, "//79", {0xFF, 0xFE, 0xFD}},
                    Base64Case{bytes_of("user:pa\xD6\xD0"), "dXNlcjpwYdbQ",
                               bytes_of("user:pa\xD6\xD0")}));

TEST(Base64, LongInputStaysOnOneLine) {
  Bytes data(57);
  std::iota(data.begin(), data.end(), 0);
  const Text encoded = base64_encode(data);
  EXPECT_EQ(encoded,
            "AAECAwQFBgcICQoLDA0ODxAREhMUFRYXGBkaGxwdHh8gISIjJCUmJygpKissLS4vMDEyMzQ1Njc4");
  EXPECT_EQ(encoded.size(), 76u);

  Bytes longer(1000, 0xAB);
  const Text long_encoded = base64_encode(longer);
  EXPECT_EQ(long_encoded.size(), 1336u);
  EXPECT_EQ(long_encoded.find_first_of("\r\n"), Text::npos);
  EXPECT_EQ(longer.size(), 1002u);
}

}  // namespace
}  // namespace varnelle

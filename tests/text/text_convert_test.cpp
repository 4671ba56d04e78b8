#include <gtest/gtest.h>

#include <charconv>
#include <climits>
#include <iterator>
#include <ostream>
#include <string_view>

#include "c_literal.h"
#include "text/text.h"

namespace varnelle {
namespace {

using testing_text::c_literal;

struct DoubleCase {
  double value;
  Text expected;
};

// The shortest digits that read back as the same double, so neighbours such as 1e13 and
// 9999999999999.5 keep apart.
void PrintTo(const DoubleCase& c, std::ostream* os) {
  char digits[32];
  *os << std::string_view(digits, std::to_chars(digits, std::end(digits), c.value).ptr);
}

class DoubleToTextTest : public testing::TestWithParam<DoubleCase> {};

TEST_P(DoubleToTextTest, FormatsWithThirteenDigitsAndAThreeDigitExponent) {
  EXPECT_EQ(double_to_text(GetParam().value), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DoubleToTextTest,
    testing::Values(DoubleCase{0, "0"}, DoubleCase{-0.0, "-0"}, DoubleCase{3, "3"},
                    DoubleCase{-7, "-7"}, DoubleCase{2.5, "2.5"}, DoubleCase{0.1, "0.1"},
                    DoubleCase{1.0 / 3, "0.3333333333333"}, DoubleCase{1e12, "1000000000000"},
                    DoubleCase{1e13, "1e+013"}, DoubleCase{0.0001, "0.0001"},
                    DoubleCase{0.00001, "1e-005"}, DoubleCase{1e15, "1e+015"},
                    DoubleCase{-1.5e-7, "-1.5e-007"}, DoubleCase{1e300, "1e+300"},
                    DoubleCase{1.23456789012345e20, "1.234567890123e+020"},
                    DoubleCase{9999999999999.5, "1e+013"}, DoubleCase{42, "42"}));

TEST(IntTextTest, WritesDecimalAndHexadecimal) {
  struct Case {
    Text got;
    Text expected;
  };
  const Case cases[] = {
      {int_to_text(0), "0"},           {int_to_text(42), "42"},
      {int_to_text(-7), "-7"},         {int_to_text(INT_MIN), "-2147483648"},
      {hex_text(0), "0"},              {hex_text(10), "A"},
      {hex_text(255), "FF"},           {hex_text(0xABCDEF), "ABCDEF"},
      {hex_text(-1), "FFFFFFFF"},      {hex_text(-256), "FFFFFF00"},
      {hex_text(INT_MIN), "80000000"},
  };
  for (const Case& c : cases) EXPECT_EQ(c.got, c.expected);
}

struct TextToIntCase {
  Text text;
  int expected;
};

void PrintTo(const TextToIntCase& c, std::ostream* os) { *os << c_literal(c.text); }

class TextToIntTest : public testing::TestWithParam<TextToIntCase> {};

TEST_P(TextToIntTest, FoldsFullWidthFormsThenReadsLikeAtoi) {
  EXPECT_EQ(text_to_int(GetParam().text), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TextToIntTest,
    testing::Values(
        TextToIntCase{"12abc", 12}, TextToIntCase{" -3", -3}, TextToIntCase{"abc", 0},
        TextToIntCase{"", 0}, TextToIntCase{"+7", 7}, TextToIntCase{"\t\r\n\v\f 5", 5},
        TextToIntCase{"- 5", 0}, TextToIntCase{"--5", 0}, TextToIntCase{"007", 7},
        // Full-width digits, sign and space fold to their half-width forms.
        TextToIntCase{"\xA3\xB1\xA3\xB2", 12},
        TextToIntCase{"\xA1\xA1\xA3\xAD\xA3\xB9", -9},
        TextToIntCase{"\xA3\xAB\xA3\xB4" "2", 42},
        // Another double-byte character ends the digits; a lone lead byte is dropped.
        TextToIntCase{"1\xD6\xD0" "2", 1}, TextToIntCase{"3\xA3", 3},
        // The trail byte of an unfolded character is not a digit of its own.
        TextToIntCase{"\xB0\x35", 0},
        // Beyond 32 bits the value holds at the nearest limit.
        TextToIntCase{"2147483647", INT_MAX}, TextToIntCase{"-2147483648", INT_MIN},
        TextToIntCase{"2147483648", INT_MAX}, TextToIntCase{"-99999999999999999999", INT_MIN},
        TextToIntCase{"99999999999999999999999999999999", INT_MAX}));

TEST(BytesTextTest, ConvertsWithoutTerminatorAndStopsAtNul) {
  EXPECT_EQ(bytes_to_text(Bytes{0x61, 0x00, 0x62}), "a");
  EXPECT_EQ(bytes_to_text(Bytes{0x00, 0x62}), "");
  EXPECT_EQ(bytes_to_text(Bytes{}), "");
  EXPECT_EQ(bytes_to_text(Bytes{0xD6, 0xD0}), "\xD6\xD0");
  EXPECT_EQ(text_to_bytes(""), Bytes{});
  EXPECT_EQ(text_to_bytes("a\xD6"), (Bytes{0x61, 0xD6}));
}

TEST(NumbersTest, FollowsThirtyTwoBitRules) {
  EXPECT_EQ(low_byte(0x1234), 0x34);
  EXPECT_EQ(low_byte(-1), 0xFF);
  EXPECT_EQ(bit_and(0b1100, 0b1010), 0b1000);
  EXPECT_EQ(bit_and(-1, 0x7F), 0x7F);
  EXPECT_EQ(shift_left(1, 4), 16);
  EXPECT_EQ(shift_left(1, 31), INT_MIN);
  EXPECT_EQ(shift_left(-1, 1), -2);
  EXPECT_EQ(shift_left(3, 33), 6);  // the count is taken modulo 32
  EXPECT_EQ(shift_left(1, -1), INT_MIN);
  EXPECT_EQ(shift_right(-16, 2), -4);  // the sign bit is copied in
  EXPECT_EQ(shift_right(INT_MIN, 31), -1);
  EXPECT_EQ(shift_right(256, 36), 16);
  EXPECT_EQ(modulo(7, 3), 1);
  EXPECT_EQ(modulo(-7, 3), -1);
  EXPECT_EQ(modulo(7.5, 2), 1.5);
}

}  // namespace
}  // namespace varnelle

#include "codec/code_page.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace varnelle {
namespace {

std::string hex(const Bytes& bytes) {
  std::string out;
  for (const std::uint8_t b : bytes) out += (out.empty() ? "" : " ") + hex_text(b);
  return "[" + out + "]";
}

TEST(AnsiToUtf8, ConvertsGbkAndKeepsAscii) {
  EXPECT_EQ(ansi_to_utf8("\xB6\xFE\xCE\xAC\xC2\xEB"),
            "\xE4\xBA\x8C\xE7\xBB\xB4\xE7\xA0\x81");
  EXPECT_EQ(ansi_to_utf8("plain ASCII ~"), "plain ASCII ~");
  EXPECT_EQ(ansi_to_utf8(""), "");
  // Beyond GBK: the four-byte form of U+1F600.
  EXPECT_EQ(ansi_to_utf8("\x94\x39\xFC\x36"), "\xF0\x9F\x98\x80");
}

struct ToWideCase {
  Text text;
  int code_page;
  Bytes wide;
};

void PrintTo(const ToWideCase& c, std::ostream* os) {
  *os << testing::PrintToString(c.text) << " in " << c.code_page;
}

class MultibyteToWideTest : public testing::TestWithParam<ToWideCase> {};

TEST_P(MultibyteToWideTest, GivesTerminatedUtf16) {
  EXPECT_EQ(multibyte_to_wide(GetParam().text, GetParam().code_page), GetParam().wide);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MultibyteToWideTest,
    testing::Values(
        ToWideCase{"a\xD6\xD0", 936, {0x61, 0, 0x2D, 0x4E, 0, 0}},
        ToWideCase{"a\xD6\xD0", 0, {0x61, 0, 0x2D, 0x4E, 0, 0}},
        ToWideCase{"\x94\x39\xFC\x36", 936, {0x3D, 0xD8, 0x00, 0xDE, 0, 0}},
        // UTF-8 reads shorter than the ANSI count: exactly one terminating unit remains.
        ToWideCase{"\xE4\xB8\xAD", 65001, {0x2D, 0x4E, 0, 0}},
        // GBK bytes read as UTF-8 need more units than the ANSI count gives; none is lost.
        ToWideCase{"\xB6\xFE", 65001, {0xFD, 0xFF, 0xFD, 0xFF, 0, 0}},
        ToWideCase{"a", 1252, {}}));

struct FromWideCase {
  Bytes wide;
  int code_page;
  Text text;
};

void PrintTo(const FromWideCase& c, std::ostream* os) {
  *os << hex(c.wide) << " to " << c.code_page;
}

class WideToMultibyteTest : public testing::TestWithParam<FromWideCase> {};

TEST_P(WideToMultibyteTest, StopsAtTheFirstZeroUnit) {
  EXPECT_EQ(wide_to_multibyte(GetParam().wide, GetParam().code_page), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WideToMultibyteTest,
    testing::Values(
        FromWideCase{{}, 0, ""},
        FromWideCase{{}, 65001, ""},
        FromWideCase{{0x61, 0, 0, 0}, 0, "a"},
        FromWideCase{{0x2D, 0x4E, 0, 0}, 65001, "\xE4\xB8\xAD"},
        FromWideCase{{0x2D, 0x4E, 0, 0}, 0, "\xD6\xD0"},
        FromWideCase{{0x3D, 0xD8, 0x00, 0xDE, 0, 0}, 65001, "\xF0\x9F\x98\x80"},
        FromWideCase{{0x3D, 0xD8, 0x00, 0xDE, 0, 0}, 0, "\x94\x39\xFC\x36"},
        // unterminated, odd-length, or with text after the first zero unit
        FromWideCase{{0x2D, 0x4E}, 0, "\xD6\xD0"},
        FromWideCase{{0x61, 0, 0x62}, 0, "a"},
        FromWideCase{{0x61, 0, 0, 0, 0x62, 0, 0, 0}, 0, "a"},
        // Lone surrogates are one "?" each in ANSI but three bytes each in UTF-8.
        FromWideCase{{0x00, 0xD8, 0x00, 0xD8, 0x00, 0xD8, 0, 0}, 65001,
                     "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},
        FromWideCase{{0x00, 0xD8, 0, 0}, 0, "?"},
        FromWideCase{{0x61, 0, 0, 0}, 1252, ""}));

TEST(CodePage, GbkRoundTripsThroughUtf16) {
  for (const Text& text : {Text("a"), Text("\xB6\xFE\xCE\xAC\xC2\xEB.png"),
                           Text("C:\\\xCD\xBC\xC6\xAC\\\x94\x39\xFC\x36.jpg")}) {
    EXPECT_EQ(wide_to_multibyte(multibyte_to_wide(text, 936), 0), text);
  }
}

}  // namespace
}  // namespace varnelle

#include "platform/codepage.h"

#include <gtest/gtest.h>

#include <array>
#include <ostream>

namespace varnelle::platform {
namespace {

constexpr char16_t kGuardUnit = 0xAAAA;
constexpr char kGuardByte = '#';

TEST(CodePage, CharacterOutsideGbkRoundTripsThroughAnsi) {
  const std::string utf8 = "a\xE4\xB8\xAD\xF0\x9F\x98\x80z";  // a, U+4E2D, U+1F600, z
  const Text ansi = utf8_to_ansi(utf8);
  EXPECT_EQ(ansi, "a\xD6\xD0\x94\x39\xFC\x36z");
  const std::u16string wide = ansi_to_wide(ansi);
  EXPECT_EQ(wide, u"a\u4E2D\U0001F600z");

  std::array<char, 16> back{};
  const int written =
      WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, back.data(), back.size(), nullptr, nullptr);
  EXPECT_EQ(written, static_cast<int>(utf8.size()) + 1);
  EXPECT_EQ(std::string(back.data()), utf8);
  EXPECT_EQ(ansi_to_utf8_string(ansi), utf8);
}

TEST(MultiByteToWideChar, SizesWithTheTerminatorForLengthMinusOne) {
  const char* text = "a\xD6\xD0";
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0), 3);
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, text, 3, nullptr, 0), 2);

  std::array<char16_t, 4> buffer;
  buffer.fill(kGuardUnit);
  EXPECT_EQ(MultiByteToWideChar(CP_GBK, 0, text, -1, buffer.data(), 3), 3);
  EXPECT_EQ(buffer, (std::array<char16_t, 4>{u'a', 0x4E2D, 0, kGuardUnit}));
}

TEST(MultiByteToWideChar, ShortBufferGetsWholeCharactersOnly) {
  const char* text = "a\xD6\xD0\x94\x39\xFC\x36";  // a, U+4E2D, U+1F600 (a surrogate pair)
  ASSERT_EQ(MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0), 5);

  std::array<char16_t, 4> buffer;
  buffer.fill(kGuardUnit);
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, text, -1, buffer.data(), 3), 0);
  // Half of the pair would fit, but is not written.
  EXPECT_EQ(buffer, (std::array<char16_t, 4>{u'a', 0x4E2D, kGuardUnit, kGuardUnit}));
}

TEST(WideCharToMultiByte, SizesWithTheTerminatorForLengthMinusOne) {
  const char16_t* wide = u"a\u4E2D\U0001F600";
  EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, wide, -1, nullptr, 0, nullptr, nullptr), 8);
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr), 9);
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, wide, 2, nullptr, 0, nullptr, nullptr), 4);
}

struct ShortBufferCase {
  unsigned code_page;
  int size;
  std::string written;  // the whole characters that fit
};

void PrintTo(const ShortBufferCase& c, std::ostream* os) {
  *os << "code page " << c.code_page << " size " << c.size;
}

class WideCharToMultiByteShortTest : public testing::TestWithParam<ShortBufferCase> {};

TEST_P(WideCharToMultiByteShortTest, WritesWholeCharactersWithinTheBuffer) {
  const ShortBufferCase& c = GetParam();
  std::array<char, 16> buffer;
  buffer.fill(kGuardByte);
  EXPECT_EQ(WideCharToMultiByte(c.code_page, 0, u"a\u4E2D\U0001F600", -1, buffer.data(), c.size,
                                nullptr, nullptr),
            0);
  EXPECT_EQ(std::string(buffer.data(), c.written.size()), c.written);
  for (size_t i = c.written.size(); i < buffer.size(); ++i) {
    EXPECT_EQ(buffer[i], kGuardByte) << "byte " << i;
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, WideCharToMultiByteShortTest,
                         testing::Values(ShortBufferCase{CP_ACP, 2, "a"},
                                         ShortBufferCase{CP_ACP, 6, "a\xD6\xD0"},
                                         ShortBufferCase{CP_ACP, 7, "a\xD6\xD0\x94\x39\xFC\x36"},
                                         ShortBufferCase{CP_UTF8, 3, "a"},
                                         ShortBufferCase{CP_UTF8, 7, "a\xE4\xB8\xAD"}));

struct InvalidCase {
  unsigned code_page;
  std::string bytes;
  std::u16string wide;
};

void PrintTo(const InvalidCase& c, std::ostream* os) {
  *os << testing::PrintToString(c.bytes) << " in " << c.code_page;
}

class InvalidBytesTest : public testing::TestWithParam<InvalidCase> {};

TEST_P(InvalidBytesTest, BecomeReplacementCharacters) {
  const InvalidCase& c = GetParam();
  std::array<char16_t, 8> buffer{};
  const int n = MultiByteToWideChar(c.code_page, 0, c.bytes.c_str(), -1, buffer.data(), 8);
  ASSERT_GT(n, 0);
  EXPECT_EQ(std::u16string(buffer.data(), n - 1), c.wide);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, InvalidBytesTest,
    testing::Values(InvalidCase{CP_ACP, "\x80", u"\uFFFD"},
                    InvalidCase{CP_ACP, "a\xFF", u"a\uFFFD"},
                    InvalidCase{CP_ACP, "\xD6", u"\uFFFD"},        // lead byte without trail
                    InvalidCase{CP_ACP, "\x81\x30z", u"\uFFFD0z"},  // cut four-byte form
                    InvalidCase{CP_UTF8, "\xC3", u"\uFFFD"},
                    InvalidCase{CP_UTF8, "\xB6\xFE", u"\uFFFD\uFFFD"},
                    InvalidCase{CP_UTF8, "a\xC0\xAFz", u"a\uFFFD\uFFFDz"}));  // overlong "/"

TEST(WideCharToMultiByte, LoneSurrogateUsesTheDefaultCharacter) {
  const char16_t lone[] = {u'a', 0xD800, u'b', 0};
  std::array<char, 8> buffer{};
  bool used_default = false;
  EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, lone, -1, buffer.data(), 8, nullptr, &used_default), 4);
  EXPECT_STREQ(buffer.data(), "a?b");
  EXPECT_TRUE(used_default);

  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, lone, -1, buffer.data(), 8, nullptr, nullptr), 6);
  EXPECT_STREQ(buffer.data(), "a\xEF\xBF\xBD" "b");

  EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, u"ab", -1, buffer.data(), 8, nullptr, &used_default), 3);
  EXPECT_FALSE(used_default);
}

TEST(CodePage, UnknownCodePageGivesZero) {
  char16_t wide[4];
  char bytes[4];
  EXPECT_EQ(MultiByteToWideChar(1252, 0, "a", -1, wide, 4), 0);
  EXPECT_EQ(WideCharToMultiByte(1252, 0, u"a", -1, bytes, 4, nullptr, nullptr), 0);
}

TEST(CodePage, ValidUtf8) {
  EXPECT_TRUE(is_valid_utf8(""));
  EXPECT_TRUE(is_valid_utf8("a\xE4\xB8\xAD\xF0\x9F\x98\x80"));
  EXPECT_FALSE(is_valid_utf8("\xD6\xD0"));
  EXPECT_FALSE(is_valid_utf8("\xE4\xB8"));          // cut
  EXPECT_FALSE(is_valid_utf8("\xC0\xAF"));          // overlong
  EXPECT_FALSE(is_valid_utf8("\xED\xA0\x80"));      // surrogate
  EXPECT_FALSE(is_valid_utf8("\xF4\x90\x80\x80"));  // beyond U+10FFFF
}

}  // namespace
}  // namespace varnelle::platform

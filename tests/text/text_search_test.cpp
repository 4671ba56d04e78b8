#include <gtest/gtest.h>

#include <optional>
#include <ostream>

#include "c_literal.h"
#include "text/text.h"

namespace varnelle {
namespace {

using testing_text::c_literal;

// Byte escapes are closed with "" before a following hex digit: "\xB0" "A", not "\xB0A".

struct FindCase {
  Text text;
  Text needle;
  int start;
  bool ignore_case;
  int expected;
};

void PrintTo(const FindCase& c, std::ostream* os) {
  *os << c_literal(c.needle) << " in " << c_literal(c.text) << " from " << c.start;
  if (c.ignore_case) *os << ", ignoring case";
}

class FindTextTest : public testing::TestWithParam<FindCase> {};

TEST_P(FindTextTest, FindsFirstOccurrenceOnACharacterStart) {
  const FindCase& c = GetParam();
  EXPECT_EQ(find_text(c.text, c.needle, c.start, c.ignore_case), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FindTextTest,
    testing::Values(
        // The empty needle is found at 1 whatever the start, while the range is not empty.
        FindCase{"abc", "", 1, false, 1}, FindCase{"abc", "", 3, false, 1},
        FindCase{"abc", "", 4, false, -1}, FindCase{"", "", 1, false, -1},
        FindCase{"", "a", 1, false, -1},
        FindCase{"abcabc", "bc", 3, false, 5}, FindCase{"abc", "bc", 0, false, 2},
        FindCase{"abc", "bc", -5, false, 2}, FindCase{"abc", "c", 3, false, 3},
        FindCase{"abc", "abcd", 1, false, -1},
        FindCase{"a", "A", 1, false, -1}, FindCase{"a", "A", 1, true, 1},
        FindCase{"xHeLLo", "hello", 1, true, 2},
        // Only ASCII letters fold: 0xC1 and 0xE1 differ by 0x20 but are not letters.
        FindCase{"\xE1", "\xC1", 1, true, -1},
        // The 0xB0 at offset 1 is the second byte of 0xD6 0xB0 and is never tried.
        FindCase{"\xD6\xB0\xB0" "A", "\xB0", 1, false, 3},
        // A 0x5C trail byte is not a backslash.
        FindCase{"\xD5\x5C", "\\", 1, false, -1},
        FindCase{"\xD5\x5C\\", "\\", 1, false, 3},
        // A start on a second byte scans from there, stepping characters from that byte.
        FindCase{"\xD6\xB0\xB0" "A", "\xB0", 2, false, 2},
        FindCase{"\xD6\xB0" "A", "A", 2, false, -1}, FindCase{"\xD6\xB0" "A", "A", 3, false, 3},
        // A lone lead byte at the end is a character of its own.
        FindCase{"ab\xB0", "\xB0", 1, false, 3},
        // Overlapping candidates: a match is found after a rejected one that shares its bytes.
        FindCase{"\xC1\xB0\xC1\xB0\xC1", "\xB0\xC1", 1, false, -1},
        FindCase{"a\xC1\xB0\xC1\xB0\xC1", "\xB0\xC1", 1, false, -1},
        FindCase{"\xC1\xB0" "A\xB0" "A\xB0", "\xB0" "A\xB0", 1, false, 4},
        FindCase{"aaab", "aab", 1, false, 2}));

struct FindReverseCase {
  Text text;
  Text needle;
  std::optional<int> limit;
  bool ignore_case;
  int expected;
};

void PrintTo(const FindReverseCase& c, std::ostream* os) {
  *os << c_literal(c.needle) << " in " << c_literal(c.text);
  if (c.limit) *os << " before " << *c.limit;
  if (c.ignore_case) *os << ", ignoring case";
}

class FindTextReverseTest : public testing::TestWithParam<FindReverseCase> {};

TEST_P(FindTextReverseTest, FindsLastOccurrenceWhollyBeforeTheLimit) {
  const FindReverseCase& c = GetParam();
  EXPECT_EQ(find_text_reverse(c.text, c.needle, c.limit, c.ignore_case), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FindTextReverseTest,
    testing::Values(
        FindReverseCase{"a/b/c", "/", std::nullopt, false, 4},
        FindReverseCase{"a/b/c", "/", 4, false, 2}, FindReverseCase{"a/b/c", "/", 1, false, -1},
        FindReverseCase{"a/b/c", "/", -3, false, -1},
        FindReverseCase{"a/b/c", "/", 100, false, 4},
        // The occurrence must end before the limit, not just begin before it.
        FindReverseCase{"abab", "ab", 4, false, 1}, FindReverseCase{"abab", "ab", 5, false, 3},
        FindReverseCase{"abc", "", std::nullopt, false, 1},
        FindReverseCase{"", "", std::nullopt, false, -1},
        FindReverseCase{"abc", "", 1, false, -1},
        FindReverseCase{"aaaa", "aa", std::nullopt, false, 3},
        FindReverseCase{"xAx", "a", std::nullopt, false, -1},
        FindReverseCase{"xAxa", "A", std::nullopt, true, 4},
        FindReverseCase{"\\\xD5\x5C", "\\", std::nullopt, false, 1}));

struct ReplaceCase {
  Text text;
  Text old_text;
  Text new_text;
  int start;
  std::optional<int> max_count;
  bool case_sensitive;
  Text expected;
};

void PrintTo(const ReplaceCase& c, std::ostream* os) {
  *os << c_literal(c.text) << ": " << c_literal(c.old_text) << " -> " << c_literal(c.new_text)
      << " from " << c.start;
  if (c.max_count) *os << ", at most " << *c.max_count;
  if (!c.case_sensitive) *os << ", ignoring case";
}

class ReplaceTextTest : public testing::TestWithParam<ReplaceCase> {};

TEST_P(ReplaceTextTest, ReplacesLeftToRightWithoutOverlap) {
  const ReplaceCase& c = GetParam();
  EXPECT_EQ(replace_text(c.text, c.old_text, c.new_text, c.start, c.max_count, c.case_sensitive),
            c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ReplaceTextTest,
    testing::Values(
        ReplaceCase{"aXbxc", "x", "-", 1, std::nullopt, false, "a-b-c"},
        ReplaceCase{"aXbxc", "x", "-", 1, std::nullopt, true, "aXb-c"},
        ReplaceCase{"abc", "", "-", 1, std::nullopt, true, "abc"},
        ReplaceCase{"", "a", "-", 1, std::nullopt, true, ""},
        ReplaceCase{"aaa", "aa", "b", 1, std::nullopt, true, "ba"},
        ReplaceCase{"abc", "b", "", 1, std::nullopt, true, "ac"},
        // Replaced text is never searched again.
        ReplaceCase{"aa", "a", "aa", 1, std::nullopt, true, "aaaa"},
        ReplaceCase{"a,b,c,d", ",", ";", 1, 2, true, "a;b;c,d"},
        ReplaceCase{"a,b", ",", ";", 1, 0, true, "a,b"},
        ReplaceCase{"a,b", ",", ";", 1, -1, true, "a,b"},
        ReplaceCase{"a,b,c", ",", ";", 3, std::nullopt, true, "a,b;c"},
        ReplaceCase{"a,b", ",", ";", 0, std::nullopt, true, "a;b"},
        ReplaceCase{"a,b", ",", ";", 4, std::nullopt, true, "a,b"},
        ReplaceCase{"\xD6\xB0\xB0" "A", "\xB0", "!", 1, std::nullopt, true, "\xD6\xB0!A"},
        ReplaceCase{"\xD5\x5C\\", "\\", "/", 1, std::nullopt, true, "\xD5\x5C/"},
        // A one-byte scan that reaches a lone lead byte drops it; a longer needle stops before it.
        ReplaceCase{"ab\xB0", "x", "y", 1, std::nullopt, true, "ab"},
        ReplaceCase{"ab\xB0", "b", "y", 1, std::nullopt, true, "ay"},
        ReplaceCase{"ab\xB0", "\xB0", "y", 1, std::nullopt, true, "aby"},
        ReplaceCase{"ab\xB0", "ab", "y", 1, std::nullopt, true, "y\xB0"},
        ReplaceCase{"ab\xB0", "a", "y", 1, 1, true, "yb\xB0"},
        ReplaceCase{"a\xC1\xB0\xB0", "b", "y", 1, std::nullopt, true, "a\xC1\xB0"}));

struct SplitCase {
  Text text;
  Text separator;
  std::optional<int> max_count;
  TextList expected;
};

void PrintTo(const SplitCase& c, std::ostream* os) {
  *os << c_literal(c.text) << " at " << c_literal(c.separator);
  if (c.max_count) *os << ", at most " << *c.max_count;
}

class SplitTextTest : public testing::TestWithParam<SplitCase> {};

TEST_P(SplitTextTest, KeepsInnerEmptyPiecesButNothingAfterATrailingSeparator) {
  const SplitCase& c = GetParam();
  EXPECT_EQ(split_text(c.text, c.separator, c.max_count), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SplitTextTest,
    testing::Values(
        SplitCase{"a,,b", ",", std::nullopt, {"a", "", "b"}},
        SplitCase{",a", ",", std::nullopt, {"", "a"}},
        SplitCase{"a,", ",", std::nullopt, {"a"}},
        SplitCase{",", ",", std::nullopt, {""}},
        SplitCase{",,", ",", std::nullopt, {"", ""}},
        SplitCase{"", ",", std::nullopt, {}},
        SplitCase{"abc", "", std::nullopt, {"abc"}},
        SplitCase{"a,b,c", ",", 2, {"a", "b"}},
        SplitCase{"a,b", ",", 2, {"a", "b"}},
        SplitCase{"a,b", ",", 0, {}},
        SplitCase{"a,b", ",", -2, {}},
        SplitCase{"x\r\ny\r\n\r\n", "\r\n", std::nullopt, {"x", "y", ""}},
        SplitCase{"a; b;c", "; ", std::nullopt, {"a", "b;c"}},
        // The separator compares exactly.
        SplitCase{"aXbxc", "x", std::nullopt, {"aXb", "c"}},
        SplitCase{"ab\xB0", ",", std::nullopt, {"ab\xB0"}},
        SplitCase{"\xB2\x2C,\xB3", ",", std::nullopt, {"\xB2\x2C", "\xB3"}}));

TEST(SplitTextTest, DefaultSeparatorIsComma) {
  EXPECT_EQ(split_text("a,b"), (TextList{"a", "b"}));
}

}  // namespace
}  // namespace varnelle

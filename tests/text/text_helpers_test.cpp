#include "text/text_helpers.h"

#include <gtest/gtest.h>

#include <ostream>

#include "c_literal.h"

namespace varnelle {
namespace {

using testing_text::c_literal;

struct RightOfLastCase {
  Text text;
  Text separator;
  bool ignore_case;
  Text expected;
};

void PrintTo(const RightOfLastCase& c, std::ostream* os) {
  *os << c_literal(c.text) << " after the last " << c_literal(c.separator);
  if (!c.ignore_case) *os << ", case-sensitive";
}

class TextRightOfLastTest : public testing::TestWithParam<RightOfLastCase> {};

TEST_P(TextRightOfLastTest, TakesThePartAfterTheLastSeparator) {
  const RightOfLastCase& c = GetParam();
  EXPECT_EQ(text_right_of_last(c.text, c.separator, c.ignore_case), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TextRightOfLastTest,
    testing::Values(
        RightOfLastCase{"dir\\sub\\a.png", "\\", true, "a.png"},
        RightOfLastCase{"a.png", "\\", true, "a.png"},
        RightOfLastCase{"dir\\", "\\", true, ""},
        RightOfLastCase{"", "\\", true, ""},
        // The 0x5C of 0xD5 0x5C is a trail byte, not a backslash.
        RightOfLastCase{"dir\\\xD5\x5C" "a.png", "\\", true, "\xD5\x5C" "a.png"},
        RightOfLastCase{"C:\\qr\\a.jpg", "\\", true, "a.jpg"},
        RightOfLastCase{"aXbxc", "x", true, "c"}, RightOfLastCase{"aXbxc", "X", false, "bxc"},
        RightOfLastCase{"a--b--c", "--", true, "c"},
        // An absent separator of any length leaves the whole text.
        RightOfLastCase{"abcdef", "::", true, "abcdef"},
        RightOfLastCase{"abcdef", "xyz", true, "abcdef"},
        RightOfLastCase{"abc", "", true, "abc"}));

TEST(TextRightOfLastTest, IgnoresCaseByDefault) {
  EXPECT_EQ(text_right_of_last("aXbxc", "X"), "c");
}

struct HeaderCase {
  Text line;
  Text name;
  Text value;
};

void PrintTo(const HeaderCase& c, std::ostream* os) { *os << c_literal(c.line); }

class HeaderLineTest : public testing::TestWithParam<HeaderCase> {};

TEST_P(HeaderLineTest, SplitsAtTheFirstColonAndTrims) {
  EXPECT_EQ(header_name(GetParam().line), GetParam().name);
  EXPECT_EQ(header_value(GetParam().line), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HeaderLineTest,
    testing::Values(
        HeaderCase{"Content-Type: text/html; charset=gbk", "Content-Type",
                   "text/html; charset=gbk"},
        HeaderCase{"Date: 12:30:00", "Date", "12:30:00"}, HeaderCase{"X:", "X", ""},
        HeaderCase{"HTTP/1.1 200 OK", "", ""}, HeaderCase{"", "", ""},
        HeaderCase{" \xA1\xA1Name \t: \xA1\xA1 v ", "Name \t", "v"},
        HeaderCase{":v", "", "v"}));

TEST(TextLeftOfTest, CutsFromTheBeginningUpToTheMarker) {
  struct Case {
    Text got;
    Text expected;
  };
  const Case cases[] = {
      {text_left_of("Set-Cookie: a=1", ": "), "Set-Cookie"},
      {text_left_of("abc", "x"), ""},
      {text_left_of("abc", ""), ""},
      {text_left_of("a=1=2", "=", 3), "a=1"},
      {text_left_of("a=1", "=", -5), "a"},
      {text_left_of("aXb", "x"), ""},
      {text_left_of("aXb", "x", 1, true), "a"},
  };
  for (const Case& c : cases) EXPECT_EQ(c.got, c.expected);
}

struct BetweenCase {
  Text text;
  Text begin;
  Text end;
  int start;
  bool ignore_case;
  Text expected;
};

void PrintTo(const BetweenCase& c, std::ostream* os) {
  *os << c_literal(c.text) << " between " << c_literal(c.begin) << " and " << c_literal(c.end)
      << " from " << c.start;
  if (c.ignore_case) *os << ", ignoring case";
}

class TextBetweenTest : public testing::TestWithParam<BetweenCase> {};

TEST_P(TextBetweenTest, CutsBetweenTheFirstMarkersFromStart) {
  const BetweenCase& c = GetParam();
  EXPECT_EQ(text_between(c.text, c.begin, c.end, c.start, c.ignore_case), c.expected);
}

// "#引号" in the ANSI code page.
const char kQuote[] = "#\xD2\xFD\xBA\xC5";

INSTANTIATE_TEST_SUITE_P(
    Cases, TextBetweenTest,
    testing::Values(
        BetweenCase{"Set-Cookie: a=1; path=/", "Set-Cookie:", ";", 1, false, " a=1"},
        BetweenCase{"x[12]", "[", "]", 1, false, "12"},
        BetweenCase{"x[12", "[", "]", 1, false, ""},
        BetweenCase{"x[]", "[", "]", 1, false, ""},
        BetweenCase{"x12]", "[", "]", 1, false, ""},
        // The end marker is looked for after the begin marker only.
        BetweenCase{"]x[12]", "[", "]", 1, false, "12"},
        BetweenCase{"[1][2]", "[", "]", 2, false, "2"},
        BetweenCase{"[1][2]", "[", "]", -3, false, "1"},
        BetweenCase{"<A>x</a>", "<a>", "</A>", 1, true, "x"},
        BetweenCase{"<A>x</a>", "<a>", "</A>", 1, false, ""},
        BetweenCase{"k=\"v\" w=\"z\"", kQuote, kQuote, 1, false, "v"},
        BetweenCase{"{\"path\":\"/a.png\"}", Text("\"path\":") + kQuote, kQuote, 1, false,
                    "/a.png"},
        // Only the whole placeholder stands for a quote.
        BetweenCase{"#\xD2\xFD" "a#\xD2\xFD", "#\xD2\xFD", "#\xD2\xFD", 1, false, "a"}));

struct DedupCase {
  Text text;
  Text separator;
  bool by_separator;
  Text expected;
};

void PrintTo(const DedupCase& c, std::ostream* os) {
  *os << c_literal(c.text) << (c.by_separator ? " split at " : " per character, joined by ")
      << c_literal(c.separator);
}

class DedupJoinTest : public testing::TestWithParam<DedupCase> {};

TEST_P(DedupJoinTest, KeepsFirstOccurrencesInOrder) {
  const DedupCase& c = GetParam();
  EXPECT_EQ(dedup_join(c.text, c.separator, c.by_separator), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DedupJoinTest,
    testing::Values(
        DedupCase{"a=1; b=2; a=1", "; ", true, "a=1; b=2"},
        DedupCase{"", "; ", true, ""},
        DedupCase{"aab", ",", false, "a,b"},
        DedupCase{"a=1; A=1", "; ", true, "a=1; A=1"},
        // An empty item counts like any other, once.
        DedupCase{"a;;b;;c", ";", true, "a;;b;c"},
        DedupCase{";a", ";", true, ";a"},
        DedupCase{"a; ", "; ", true, "a"},
        DedupCase{"\xD6\xD0" "a\xD6\xD0", "", false, "\xD6\xD0" "a"}));

TEST(SplitCharactersTest, GivesCharactersAndCrLfPairs) {
  struct Case {
    Text text;
    TextList pieces;
  };
  const Case cases[] = {
      {"ab\r\nc", {"a", "b", "\r\n", "c"}},
      {"\n\r", {"\n", "\r"}},
      {"\r", {"\r"}},
      {"\x80" "A", {"\x80", "A"}},
      {"\x81" "A", {"\x81" "A"}},
      {"A\xD6", {"A", "\xD6"}},
      {"\xD6\xD0\xB9", {"\xD6\xD0", "\xB9"}},
      {"", {}},
  };
  for (const Case& c : cases) {
    TextList list = {"stale"};
    EXPECT_EQ(split_characters(c.text, list), list_count(c.pieces));
    EXPECT_EQ(list, c.pieces);
  }
}

TEST(ListIndexOfTest, FindsTheFirstExactlyEqualItem) {
  EXPECT_EQ(list_index_of({"a", "b", "a"}, "a"), 1);
  EXPECT_EQ(list_index_of({"a", "b", "a"}, "b"), 2);
  EXPECT_EQ(list_index_of({}, "a"), -1);
  EXPECT_EQ(list_index_of({"A"}, "a"), -1);
  EXPECT_EQ(list_index_of({"a", ""}, ""), 2);
}

}  // namespace
}  // namespace varnelle

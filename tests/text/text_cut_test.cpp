#include <gtest/gtest.h>

#include <climits>
#include <iterator>

#include "text/text.h"

namespace varnelle {
namespace {

TEST(TextCutTest, CutsByPlainByteCounts) {
  struct Case {
    Text got;
    Text expected;
  };
  const Case cases[] = {
      {text_left("abc", 5), "abc"},         {text_left("abc", 2), "ab"},
      {text_left("abc", 0), ""},            {text_left("abc", -1), ""},
      {text_right("abc", 2), "bc"},         {text_right("abc", 9), "abc"},
      {text_right("abc", -1), ""},          {text_right("abc", 0), ""},
      {text_mid("abc", 2, 1), "b"},         {text_mid("abc", 2, 99), "bc"},
      {text_mid("abc", 3, INT_MAX), "c"},   {text_mid("abc", 0, 2), ""},
      {text_mid("abc", 4, 1), ""},          {text_mid("abc", 1, 0), ""},
      {text_mid("abc", 1, -1), ""},         {text_left("\xD6\xD0", 1), "\xD6"},
      {blank_text(3), "   "},               {blank_text(0), ""},
      {blank_text(-2), ""},                 {char_from_code('A'), "A"},
      {char_from_code(0), ""},              {char_from_code(0xD6), "\xD6"},
      {concat_text("a", "", "bc"), "abc"},  {concat_text(""), ""},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    EXPECT_EQ(cases[i].got, cases[i].expected) << "case " << i;
  }
}

TEST(TextCutTest, MeasuresAndComparesBytes) {
  EXPECT_EQ(text_length(""), 0);
  EXPECT_EQ(text_length("a\xD6\xD0"), 3);
  EXPECT_TRUE(text_equal("ab", "ab"));
  EXPECT_FALSE(text_equal("ab", "aB"));
  EXPECT_FALSE(text_equal("ab", "ab "));
}

TEST(TextCutTest, CharCodeReadsASignedByte) {
  EXPECT_EQ(char_code("="), 61);
  EXPECT_EQ(char_code("=", 2), 0);
  EXPECT_EQ(char_code("=", 0), 0);
  EXPECT_EQ(char_code(""), 0);
  EXPECT_EQ(char_code("\xD6"), -42);
  EXPECT_EQ(char_code("a\x80", 2), -128);
}

TEST(TextListTest, AppendsCopiesAndAddressesFromOne) {
  TextList list;
  Text item = "a";
  list_append(list, item);
  item = "changed";
  list_append(list, "");
  EXPECT_EQ(list_count(list), 2);
  EXPECT_EQ(list_item(list, 1), "a");
  EXPECT_EQ(list_item(list, 2), "");
  list_clear(list);
  EXPECT_EQ(list_count(list), 0);
}

}  // namespace
}  // namespace varnelle

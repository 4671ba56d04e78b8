#include "net/cookies.h"

#include <gtest/gtest.h>

#include <ostream>

namespace varnelle {
namespace {

struct MergeCase {
  Text old_cookies;
  Text new_cookies;
  Text merged;
};

void PrintTo(const MergeCase& c, std::ostream* os) {
  *os << testing::PrintToString(c.old_cookies) << " + " << testing::PrintToString(c.new_cookies);
}

class MergeCookiesTest : public testing::TestWithParam<MergeCase> {};

TEST_P(MergeCookiesTest, MergesIntoOldAndStripsSpacesFromNew) {
  Text old_cookies = GetParam().old_cookies;
  Text new_cookies = GetParam().new_cookies;
  EXPECT_EQ(merge_cookies(old_cookies, new_cookies), GetParam().merged);
  EXPECT_EQ(old_cookies, GetParam().merged);
  EXPECT_EQ(new_cookies, remove_spaces(GetParam().new_cookies));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MergeCookiesTest,
    testing::Values(
        MergeCase{"sid=1; theme=dark; lang=en", "sid=2; lang=deleted; token=x",
                  "sid=2; token=x; theme=dark"},
        MergeCase{"", "", ""},
        MergeCase{"a=1; a=2; b=3", "", "a=1; b=3"},
        MergeCase{"", "a=1;a=2", "a=1; a=2"},
        MergeCase{"", "a=1;a=1", "a=1"},
        MergeCase{"a=5; b=deleted", "a=deleted", ""},
        MergeCase{"c=Deleted", "", "c=Deleted"},
        MergeCase{"x=hello world", "", "x=helloworld"},
        MergeCase{"flag; y=1", "y=2", "y=2; flag"},
        MergeCase{"a=1;;b=2", "", "a=1; ; b=2"},
        // names compare with letter case, and only an old item meeting the merged list drops
        MergeCase{"A=1; a=2", "a=3; b=4", "a=3; b=4; A=1"},
        // the full-width space 0xA1 0xA1 is a space too
        MergeCase{"k=\xA1\xA1v", "n=1;\xA1\xA1m=2", "n=1; m=2; k=v"},
        // the value may hold "="; only the first one ends the name
        MergeCase{"q=a=b", "q=c", "q=c"}));

TEST(MergeCookies, NewCookiesLoseTheirSpaces) {
  Text old_cookies = "x=1";
  Text new_cookies = "a=1; b=2";
  merge_cookies(old_cookies, new_cookies);
  EXPECT_EQ(new_cookies, "a=1;b=2");
  EXPECT_EQ(old_cookies, "a=1; b=2; x=1");
}

struct NameCase {
  Text item;
  Text name;
};

void PrintTo(const NameCase& c, std::ostream* os) { *os << testing::PrintToString(c.item); }

class CookieNameTest : public testing::TestWithParam<NameCase> {};

TEST_P(CookieNameTest, IsTheTrimmedTextBeforeTheFirstEquals) {
  EXPECT_EQ(cookie_name(GetParam().item), GetParam().name);
}

INSTANTIATE_TEST_SUITE_P(Cases, CookieNameTest,
                         testing::Values(NameCase{"sid=1", "sid"}, NameCase{" sid =1", "sid"},
                                         NameCase{"a=b=c", "a"}, NameCase{"flag", "flag"},
                                         NameCase{" flag ", "flag"}, NameCase{"=v", ""},
                                         NameCase{"", ""}));

TEST(HasCookieNamed, ComparesNamesExactly) {
  const TextList items = {"sid=1", "Theme=dark", "flag"};
  EXPECT_TRUE(has_cookie_named(items, "sid"));
  EXPECT_TRUE(has_cookie_named(items, "flag"));
  EXPECT_FALSE(has_cookie_named(items, "theme"));
  EXPECT_FALSE(has_cookie_named(items, "si"));
  EXPECT_FALSE(has_cookie_named({}, ""));
  EXPECT_TRUE(has_cookie_named({""}, ""));
}

}  // namespace
}  // namespace varnelle

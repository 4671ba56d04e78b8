#include "codec/url_encode.h"

#include <gtest/gtest.h>

#include <ostream>

namespace varnelle {
namespace {

struct UrlEncodeCase {
  Text text;
  bool keep_alphanumerics;
  bool as_utf8;
  Text encoded;
};

void PrintTo(const UrlEncodeCase& c, std::ostream* os) {
  *os << testing::PrintToString(c.text) << (c.keep_alphanumerics ? " keep" : "")
      << (c.as_utf8 ? " utf8" : "");
}

class UrlEncodeTest : public testing::TestWithParam<UrlEncodeCase> {};

TEST_P(UrlEncodeTest, Encodes) {
  const UrlEncodeCase& c = GetParam();
  EXPECT_EQ(url_encode(c.text, c.keep_alphanumerics, c.as_utf8), c.encoded);
}

INSTANTIATE_TEST_SUITE_P(
    EmptyText, UrlEncodeTest,
    testing::Values(UrlEncodeCase{"", false, false, ""}, UrlEncodeCase{"", true, false, ""},
                    UrlEncodeCase{"", false, true, ""}, UrlEncodeCase{"", true, true, ""}));

INSTANTIATE_TEST_SUITE_P(
    KeepingAlphanumerics, UrlEncodeTest,
    testing::Values(UrlEncodeCase{"a b", true, false, "a%20b"},
                    UrlEncodeCase{"a/b.png", true, false, "a%2Fb.png"},
                    UrlEncodeCase{"x_y~z", true, false, "x%5Fy%7Ez"},
                    UrlEncodeCase{"-.09AZaz", true, false, "-.09AZaz"},
                    UrlEncodeCase{"a+b=c&d", true, false, "a%2Bb%3Dc%26d"},
                    // the neighbours of every kept range
                    UrlEncodeCase{",/:@[`{*", true, false, "%2C%2F%3A%40%5B%60%7B%2A"},
                    UrlEncodeCase{"\xD6\xD0.png", true, false, "%D6%D0.png"},
                    UrlEncodeCase{"/up/2024/a b.png", true, false,
                                  "%2Fup%2F2024%2Fa%20b.png"}));

INSTANTIATE_TEST_SUITE_P(
    EncodingEveryByte, UrlEncodeTest,
    testing::Values(UrlEncodeCase{"ab", false, false, "%61%62"},
                    UrlEncodeCase{"\n", false, false, "%0A"},
                    UrlEncodeCase{"\x01\x7F\xFF", false, false, "%01%7F%FF"},
                    UrlEncodeCase{"\xD6\xD0", false, false, "%D6%D0"}));

INSTANTIATE_TEST_SUITE_P(
    AsUtf8, UrlEncodeTest,
    testing::Values(UrlEncodeCase{"\xD6\xD0", false, true, "%E4%B8%AD"},
                    UrlEncodeCase{"a\xD6\xD0", true, true, "a%E4%B8%AD"},
                    UrlEncodeCase{"a b", true, true, "a%20b"}));

}  // namespace
}  // namespace varnelle

#include <gtest/gtest.h>

#include <climits>
#include <optional>
#include <ostream>

#include "c_literal.h"
#include "text/text.h"

namespace varnelle {
namespace {

using testing_text::c_literal;

Bytes B(const char* text) { return text_to_bytes(text); }

struct MidCase {
  int start;
  int n;
  Bytes expected;
};

void PrintTo(const MidCase& c, std::ostream* os) {
  *os << "start " << c.start << ", count " << c.n;
}

class BytesMidTest : public testing::TestWithParam<MidCase> {};

TEST_P(BytesMidTest, ClampsStartAndCount) {
  EXPECT_EQ(bytes_mid(B("abc"), GetParam().start, GetParam().n), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BytesMidTest,
    testing::Values(MidCase{0, 2, B("ab")}, MidCase{-7, 1, B("a")}, MidCase{INT_MIN, 1, B("a")},
                    MidCase{2, 1, B("b")}, MidCase{2, 99, B("bc")}, MidCase{3, INT_MAX, B("c")},
                    MidCase{4, 1, {}}, MidCase{1, 0, {}}, MidCase{1, -1, {}}));

struct ReplaceBytesCase {
  Bytes bytes;
  Bytes old_bytes;
  Bytes new_bytes;
  int start;
  std::optional<int> max_count;
  Bytes expected;
};

std::string c_literal(const Bytes& bytes) {
  return c_literal(std::string(bytes.begin(), bytes.end()));
}

void PrintTo(const ReplaceBytesCase& c, std::ostream* os) {
  *os << c_literal(c.bytes) << ": " << c_literal(c.old_bytes) << " -> " << c_literal(c.new_bytes)
      << " from " << c.start;
  if (c.max_count) *os << ", at most " << *c.max_count;
}

class ReplaceBytesTest : public testing::TestWithParam<ReplaceBytesCase> {};

TEST_P(ReplaceBytesTest, ReplacesAnyByteValuesLeftToRight) {
  const ReplaceBytesCase& c = GetParam();
  EXPECT_EQ(replace_bytes(c.bytes, c.old_bytes, c.new_bytes, c.start, c.max_count), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ReplaceBytesTest,
    testing::Values(
        ReplaceBytesCase{B("aaa"), B("aa"), B("b"), 1, std::nullopt, B("ba")},
        ReplaceBytesCase{B("a{img}b"), B("{img}"), {0x00, 0xFF, 0x00}, 1, std::nullopt,
                         {'a', 0x00, 0xFF, 0x00, 'b'}},
        ReplaceBytesCase{{0x00, 0x01, 0x00, 0x01}, {0x00}, {}, 1, std::nullopt, {0x01, 0x01}},
        // No characters in bytes: a 0xB0 after a lead byte is matched.
        ReplaceBytesCase{{0xD6, 0xB0}, {0xB0}, B("x"), 1, std::nullopt, {0xD6, 'x'}},
        ReplaceBytesCase{B("ab\xB0"), B("x"), B("y"), 1, std::nullopt, B("ab\xB0")},
        ReplaceBytesCase{B("a,b,c"), B(","), B(";"), 3, std::nullopt, B("a,b;c")},
        ReplaceBytesCase{B("a,b,c"), B(","), B(";"), -4, 1, B("a;b,c")},
        ReplaceBytesCase{B("a,b"), B(","), B(";"), 1, 0, B("a,b")},
        ReplaceBytesCase{B("a,b"), B(","), B(";"), 1, -1, B("a,b")},
        ReplaceBytesCase{B("a,b"), B(","), B(";"), 9, std::nullopt, B("a,b")},
        ReplaceBytesCase{B("abc"), {}, B("-"), 1, std::nullopt, B("abc")},
        ReplaceBytesCase{{}, B("a"), B("-"), 1, std::nullopt, {}},
        ReplaceBytesCase{B("ab"), B("abc"), B("-"), 1, std::nullopt, B("ab")}));

TEST(BytesTest, MeasuresComparesAndBuilds) {
  EXPECT_EQ(bytes_length({}), 0);
  EXPECT_EQ(bytes_length({0x00, 0x00}), 2);
  EXPECT_TRUE(bytes_equal({0x00, 0x01}, {0x00, 0x01}));
  EXPECT_FALSE(bytes_equal({0x00, 0x01}, {0x00}));
  EXPECT_EQ(blank_bytes(3), (Bytes{0, 0, 0}));
  EXPECT_EQ(blank_bytes(-1), Bytes{});
  EXPECT_EQ(concat_bytes(B("a"), Bytes{0x00}, Bytes{}, B("b")), (Bytes{'a', 0x00, 'b'}));
  EXPECT_EQ(concat_bytes(Bytes{}, Bytes{}), Bytes{});
}

}  // namespace
}  // namespace varnelle

#include <gtest/gtest.h>

#include <ostream>

#include "c_literal.h"
#include "text/text.h"

namespace varnelle {
namespace {

using testing_text::c_literal;

struct SpacesCase {
  Text text;
  Text trimmed;
  Text without_spaces;
};

void PrintTo(const SpacesCase& c, std::ostream* os) { *os << c_literal(c.text); }

class SpacesTest : public testing::TestWithParam<SpacesCase> {};

TEST_P(SpacesTest, TrimsAndRemovesOnlyWholeSpaceCharacters) {
  const SpacesCase& c = GetParam();
  EXPECT_EQ(trim_spaces(c.text), c.trimmed);
  EXPECT_EQ(remove_spaces(c.text), c.without_spaces);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SpacesTest,
    testing::Values(
        SpacesCase{" \tA ", "\tA", "\tA"},
        SpacesCase{"   ", "", ""},
        SpacesCase{"", "", ""},
        SpacesCase{"a b\tc", "a b\tc", "ab\tc"},
        SpacesCase{" a  b ", "a  b", "ab"},
        SpacesCase{"\r\na\n", "\r\na\n", "\r\na\n"},
        // The full-width space 0xA1 0xA1 at either end goes.
        SpacesCase{"\xA1\xA1" "a\xA1\xA1", "a", "a"},
        SpacesCase{" \xA1\xA1 a \xA1\xA1", "a", "a"},
        // Here the 0xA1 pair straddles two characters and is no space.
        SpacesCase{"\xB0\xA1\xA1" "A", "\xB0\xA1\xA1" "A", "\xB0\xA1\xA1" "A"},
        SpacesCase{"\xB0\xA1\xA1\xA1\xA1", "\xB0\xA1\xA1\xA1", "\xB0\xA1"},
        SpacesCase{"\xB0\xA1\xA1\xA1\xA1\xA1", "\xB0\xA1", "\xB0\xA1"},
        // A lone lead byte at the end is dropped; trimming keeps the spaces before it.
        SpacesCase{"ab\xB0", "ab", "ab"},
        SpacesCase{"ab \xB0", "ab ", "ab"},
        SpacesCase{" \xB0", "", ""},
        SpacesCase{"\xA1", "", ""},
        SpacesCase{"a\xA1\xA1\xA1", "a\xA1\xA1", "a"}));

}  // namespace
}  // namespace varnelle

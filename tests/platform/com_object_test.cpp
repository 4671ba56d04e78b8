#include "platform/com_object.h"

#include <gtest/gtest.h>

#include <ostream>
#include <stdexcept>
#include <variant>

namespace varnelle::platform {
namespace {

// An object whose one member returns what the test sets, or throws.
class Source : public AutomationObject {
 public:
  explicit Source(CallOutcome outcome, bool throws = false)
      : outcome_(std::move(outcome)), throws_(throws) {}
  CallOutcome Value() const {
    if (throws_) throw std::runtime_error("member failed");
    return outcome_;
  }

 private:
  CallOutcome outcome_;
  bool throws_;
};

class Unrelated : public AutomationObject {};

CallResult call_value(const ComObject& holder) {
  return holder.call<Source>([](Source& s) { return s.Value(); });
}

void expect_empty_values(const CallResult& result) {
  EXPECT_FALSE(result.succeeded());
  EXPECT_EQ(result.text(), "");
  EXPECT_EQ(result.number(), 0.0);
  EXPECT_FALSE(result.boolean());
  EXPECT_TRUE(result.bytes().empty());
  EXPECT_TRUE(result.variant().is_empty());
}

struct FailureCase {
  const char* name;
  ComObject holder;
  CallStatus status;
};

void PrintTo(const FailureCase& c, std::ostream* os) { *os << c.name; }

class FailedCallTest : public testing::TestWithParam<FailureCase> {};

TEST_P(FailedCallTest, YieldsTheEmptyValueOfEachKind) {
  set_last_call_status(CallStatus::ok);
  const CallResult result = call_value(GetParam().holder);
  EXPECT_EQ(last_call_status(), GetParam().status);
  expect_empty_values(result);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FailedCallTest,
    testing::Values(
        FailureCase{"EmptyHolder", ComObject(), CallStatus::empty_holder},
        FailureCase{"OtherInterface", ComObject(std::make_shared<Unrelated>()),
                    CallStatus::no_such_interface},
        FailureCase{"ReportedFailure", ComObject(std::make_shared<Source>(call_failed())),
                    CallStatus::failed},
        FailureCase{"Throws", ComObject(std::make_shared<Source>(call_ok(Variant(1.0)), true)),
                    CallStatus::failed}),
    [](const testing::TestParamInfo<FailureCase>& info) { return info.param.name; });

TEST(ComObject, ReleasedHolderIsEmpty) {
  ComObject holder(std::make_shared<Source>(call_ok(Variant(std::int32_t{7}))));
  EXPECT_EQ(call_value(holder).number(), 7.0);
  holder.release();
  EXPECT_TRUE(holder.empty());
  expect_empty_values(call_value(holder));
  EXPECT_EQ(last_call_status(), CallStatus::empty_holder);
}

enum class Kind { text, number, boolean, bytes };

struct ConversionCase {
  Variant value;
  Kind kind;
  Text text;  // the expected value, written as text for every kind
  CallStatus status;
};

const char* kind_name(Kind kind) {
  switch (kind) {
    case Kind::text:
      return "text";
    case Kind::number:
      return "number";
    case Kind::boolean:
      return "boolean";
    case Kind::bytes:
      return "bytes";
  }
  return "";
}

template <class... F>
struct Overloaded : F... {
  using F::operator()...;
};

void PrintTo(const ConversionCase& c, std::ostream* os) {
  std::visit(Overloaded{[&](std::monostate) { *os << "empty"; },
                        [&](const std::u16string& s) { *os << testing::PrintToString(s); },
                        [&](std::int32_t n) { *os << "int " << n; },
                        [&](double x) { *os << "double " << x; },
                        [&](bool b) { *os << (b ? "true" : "false"); },
                        [&](const Bytes& b) { *os << b.size() << " bytes"; }},
             c.value.value());
  *os << " as " << kind_name(c.kind);
}

Text read_as(const CallResult& result, Kind kind) {
  switch (kind) {
    case Kind::text:
      return result.text();
    case Kind::number:
      return std::to_string(result.number());
    case Kind::boolean:
      return result.boolean() ? "true" : "false";
    case Kind::bytes: {
      const Bytes bytes = result.bytes();
      return Text(bytes.begin(), bytes.end());
    }
  }
  return {};
}

class ConversionTest : public testing::TestWithParam<ConversionCase> {};

TEST_P(ConversionTest, ReadsTheKindAskedFor) {
  const ConversionCase& c = GetParam();
  ComObject holder(std::make_shared<Source>(call_ok(c.value)));
  const CallResult result = call_value(holder);
  EXPECT_EQ(read_as(result, c.kind), c.text);
  EXPECT_EQ(last_call_status(), c.status);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ConversionTest,
    testing::Values(
        ConversionCase{Variant(true), Kind::text, "-1", CallStatus::ok},
        ConversionCase{Variant(false), Kind::text, "0", CallStatus::ok},
        ConversionCase{Variant(0.1), Kind::text, "0.1", CallStatus::ok},
        ConversionCase{Variant(1e20), Kind::text, "1E+20", CallStatus::ok},
        ConversionCase{Variant(std::int32_t{-42}), Kind::text, "-42", CallStatus::ok},
        ConversionCase{Variant(u"\u4E2D\U0001F600"), Kind::text, "\xD6\xD0\x94\x39\xFC\x36",
                       CallStatus::ok},
        ConversionCase{Variant(), Kind::text, "", CallStatus::ok},
        ConversionCase{Variant(Bytes{'a'}), Kind::text, "", CallStatus::type_mismatch},
        ConversionCase{Variant(u"abc"), Kind::number, "0.000000", CallStatus::type_mismatch},
        ConversionCase{Variant(u"12abc"), Kind::number, "0.000000", CallStatus::type_mismatch},
        ConversionCase{Variant(u""), Kind::number, "0.000000", CallStatus::type_mismatch},
        ConversionCase{Variant(u" 12.5 "), Kind::number, "12.500000", CallStatus::ok},
        ConversionCase{Variant(u"-3e2"), Kind::number, "-300.000000", CallStatus::ok},
        ConversionCase{Variant(true), Kind::number, "-1.000000", CallStatus::ok},
        ConversionCase{Variant(u"True"), Kind::boolean, "true", CallStatus::ok},
        ConversionCase{Variant(u"0"), Kind::boolean, "false", CallStatus::ok},
        ConversionCase{Variant(u"yes"), Kind::boolean, "false", CallStatus::type_mismatch},
        ConversionCase{Variant(Bytes{'a', 0, 'b'}), Kind::bytes, Text("a\0b", 3), CallStatus::ok},
        ConversionCase{Variant(u"ab"), Kind::bytes, "", CallStatus::type_mismatch}));

TEST(Variant, TextCrossesAsUtf16FromTheAnsiCodePage) {
  EXPECT_EQ(Variant::from_text("a\xD6\xD0"), Variant(std::u16string(u"a\u4E2D")));
}

}  // namespace
}  // namespace varnelle::platform

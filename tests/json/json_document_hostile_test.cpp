// Replies that are not JSON but script code meant to hurt: parse runs them, so each must end as a
// failed parse within the control's limits, and the next parse must work.
#include <gtest/gtest.h>

#include <chrono>

#include "json/json_document.h"
#include "platform/com.h"
#include "platform/qjs_script_control.h"

namespace varnelle {
namespace {

using namespace std::chrono_literals;

constexpr char kGoodReply[] = R"({"data": {"path": "/after.png"}})";

Text repeated(const Text& piece, int times) {
  Text out;
  for (int i = 0; i < times; ++i) out += piece;
  return out;
}

// Documents in these tests get controls with a short time limit and a tight memory bound.
class HostileReplyTest : public testing::Test {
 protected:
  void SetUp() override {
    saved_ = platform::register_class(platform::kScriptControlProgId, [] {
      return std::make_shared<platform::QjsScriptControl>(
          platform::ScriptLimits{2000ms, std::size_t{128} << 20});
    });
  }
  void TearDown() override { platform::register_class(platform::kScriptControlProgId, saved_); }

  static void expect_next_parse_works(JsonDocument& document) {
    EXPECT_TRUE(document.parse(kGoodReply));
    EXPECT_EQ(document.get("data.path"), "/after.png");
  }

  platform::ClassFactory saved_;
};

TEST_F(HostileReplyTest, RepliesThatNeverEndOrThrowFailTheParse) {
  const Text replies[] = {
      "(function () { for (;;) {} })()",
      "(function () { while (true) { try { for (;;) {} } catch (e) {} } })()",
      "(function () { var a = []; for (;;) a.push(new Array(1e5).join('x')); })()",
      "(function () { var s = 'x'; for (;;) { s = s + s; s.charCodeAt(0); } })()",
      "(function () { throw 'boom'; })()",
      "(function () { throw 1; })()",
      "(function () { throw new Error('boom'); })()",
      "(function f() { return f() + 1; })()",
      "(Promise.resolve().then(function () { for (;;) {} }), {})",
      "(new Proxy({}, {}))",
      repeated("[", 100000) + repeated("]", 100000),
      repeated("{\"a\":", 20000) + "1" + repeated("}", 20000),
      repeated("(", 100000) + "1" + repeated(")", 100000),
  };
  for (const Text& reply : replies) {
    SCOPED_TRACE(reply.substr(0, 80));
    JsonDocument document;
    EXPECT_FALSE(document.parse(reply));
    EXPECT_EQ(document.get("data.path"), "");
    expect_next_parse_works(document);
  }
}

TEST_F(HostileReplyTest, ADeepNestBuiltByTheReplyIsReadWithoutHarm) {
  JsonDocument document;
  ASSERT_TRUE(document.parse(
      "(function () { var a = []; for (var i = 0; i < 2e5; i++) a = [a];"
      " return {data: {path: a}}; })()"));
  EXPECT_EQ(document.get("data.path"), "");
  EXPECT_EQ(document.get("data.path", true), "");
  EXPECT_EQ(document.type_of("data.path"), kJsonObject);  // the array test's JSON text fails
  EXPECT_EQ(document.to_json(), "");
  TextList keys;
  EXPECT_EQ(document.list_keys(keys, "data"), 1);
  expect_next_parse_works(document);
}

TEST_F(HostileReplyTest, WhatAReplyRedefinesDiesWithItsEngine) {
  JsonDocument document;
  ASSERT_TRUE(document.parse("(function () { get__count = function () { return 99; };"
                             " JSON.stringify = function () { return 'forged'; }; return 1; })()"));
  EXPECT_EQ(document.member_count(), 99);
  expect_next_parse_works(document);
  EXPECT_EQ(document.member_count("data"), 1);
  EXPECT_EQ(document.get("data", true), R"({"path":"/after.png"})");
}

// With the control as the programs make it: the time limit of ten seconds.
TEST(HostileReplyDefaultLimitTest, AnEndlessLoopEndsAtTheDefaultTimeLimit) {
  JsonDocument document;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(document.parse("(function () { for (;;) {} })()"));
  const auto elapsed = std::chrono::steady_clock::now() - start;
  EXPECT_GE(elapsed, 10s);
  EXPECT_LT(elapsed, 30s);
  EXPECT_TRUE(document.parse(kGoodReply));
  EXPECT_EQ(document.get("data.path"), "/after.png");
}

}  // namespace
}  // namespace varnelle

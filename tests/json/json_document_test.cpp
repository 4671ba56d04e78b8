#include "json/json_document.h"

#include <gtest/gtest.h>

#include "platform/codepage.h"
#include "platform/com.h"
#include "platform/script_control.h"

namespace varnelle {
namespace {

// A reply of the kind the service sends, with a value of every type.
constexpr char kReply[] = R"({"data": {"path": "/upload/2024/qr.png", "size": 1234},
  "info": {"data": ["https://example.com/x", 2]},
  "n": {"int": 42, "tenth": 0.1, "third": 0.3333333333333333, "big": 1234567890123456,
        "small": 0.00001, "neg": -7, "e20": 1e20, "zero": 0},
  "flag": true, "off": false, "nothing": null, "text": "\u4e2d\u6587", "empty": "",
  "list": [1, 2, 3], "obj": {"k": "v"}})";

TEST(JsonDocumentTest, ConstructionGivesAnEmptyObjectNamedDa) {
  JsonDocument document;
  EXPECT_EQ(document.root_name(), "da");
  EXPECT_FALSE(document.engine().empty());
  EXPECT_EQ(document.to_json(), "{}");
  EXPECT_EQ(document.type_of(), kJsonObject);
}

TEST(JsonDocumentTest, ParseTellsWhetherTheTextGaveAValue) {
  struct Case {
    const char* text;
    bool parsed;
    const char* json;  // to_json afterwards
  };
  const Case cases[] = {
      {R"({"data": {"path": "/a.png"}})", true, R"({"data":{"path":"/a.png"}})"},
      {"[]", true, "[]"},
      {"0", true, "0"},
      {"false", true, "false"},
      {R"("1")", true, "1"},  // eval runs the string's content
      {"", false, ""},        // var da=eval(): undefined
      {"null", false, "null"},
      {R"("abc")", false, "null"},  // runs abc, which is not defined
      {"<html><head><title>502 Bad Gateway</title></head></html>", false, "null"},
      {R"({"a": 1)", false, "null"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    JsonDocument document;
    EXPECT_EQ(document.parse(c.text), c.parsed);
    EXPECT_EQ(document.to_json(), c.json);
  }
}

TEST(JsonDocumentTest, GetReadsValuesByPath) {
  struct Case {
    const char* path;
    Text value;
  };
  const Case cases[] = {
      {"data.path", "/upload/2024/qr.png"},
      {"info.data[0]", "https://example.com/x"},
      {"info.data[1]", "2"},
      {"data.size", "1234"},
      {"n.int", "42"},
      {"n.tenth", "0.1"},
      {"n.third", "0.3333333333333"},
      {"n.big", "1.234567890123e+015"},
      {"n.small", "1e-005"},
      {"n.neg", "-7"},
      {"n.e20", "1e+020"},
      {"n.zero", "0"},
      {"flag", "-1"},
      {"off", "0"},
      {"text", platform::wide_to_ansi(u"\u4e2d\u6587")},
      {"empty", ""},
      {"list", "1,2,3"},
      {"obj", "[object Object]"},
      {"nothing", ""},
      {"missing", ""},
      {"missing.deeper", ""},
      {"nothing.deeper", ""},
      {"", ""},
  };
  JsonDocument document;
  ASSERT_TRUE(document.parse(kReply));
  for (const Case& c : cases) EXPECT_EQ(document.get(c.path), c.value) << c.path;
}

TEST(JsonDocumentTest, GetAsJsonGivesCompactJson) {
  struct Case {
    const char* path;
    const char* json;
  };
  const Case cases[] = {
      {"data", R"({"path":"/upload/2024/qr.png","size":1234})"},
      {"info.data[0]", R"("https://example.com/x")"},
      {"list", "[1,2,3]"},
      {"n.tenth", "0.1"},
      {"nothing", "null"},
      {"missing", ""},
      {"missing.deeper", ""},
  };
  JsonDocument document;
  ASSERT_TRUE(document.parse(kReply));
  for (const Case& c : cases) EXPECT_EQ(document.get(c.path, true), c.json) << c.path;
}

TEST(JsonDocumentTest, PathsThatBeginWithABracketIndexTheRoot) {
  JsonDocument document;
  ASSERT_TRUE(document.parse(R"(["first", {"name": "n"}, 3, 0.1])"));
  EXPECT_EQ(document.get("[0]"), "first");
  EXPECT_EQ(document.get("[0]", true), R"("first")");
  EXPECT_EQ(document.get("[1].name"), "n");
  EXPECT_EQ(document.get("[1]", true), R"({"name":"n"})");
  // The type test cannot follow such a path, so numbers come back in the platform's own form.
  EXPECT_EQ(document.type_of("[2]"), kJsonUnknown);
  EXPECT_EQ(document.get("[2]"), "3");
  EXPECT_EQ(document.get("[3]"), "0.1");
}

TEST(JsonDocumentTest, TypeOfGivesTheCodeOfTheValue) {
  struct Case {
    const char* path;
    int type;
  };
  const Case cases[] = {
      {"text", kJsonString},    {"empty", kJsonString},  {"n.int", kJsonNumber},
      {"flag", kJsonBoolean},   {"obj", kJsonObject},    {"list", kJsonArray},
      {"info.data", kJsonArray}, {"nothing", kJsonNull},  {"missing", kJsonNull},
      {"missing.deeper", kJsonUnknown}, {"", kJsonObject}, {"f", kJsonUnknown},
  };
  JsonDocument document;
  ASSERT_TRUE(document.parse(kReply));
  document.set_json("f", "function () { return 1; }");
  for (const Case& c : cases) EXPECT_EQ(document.type_of(c.path), c.type) << c.path;
}

TEST(JsonDocumentTest, GetNumberReadsByKey) {
  JsonDocument document;
  ASSERT_TRUE(document.parse(kReply));
  EXPECT_EQ(document.get_number("n.tenth"), 0.1);
  EXPECT_EQ(document.get_number("n.big"), 1234567890123456.0);
  EXPECT_EQ(document.get_number("text"), 0.0);
  EXPECT_EQ(document.get_number("nothing"), 0.0);
  EXPECT_EQ(document.get_number("missing.deeper"), 0.0);
}

TEST(JsonDocumentTest, ARejectedParseLeavesNullUntilTheNextValue) {
  JsonDocument document;
  ASSERT_TRUE(document.parse(kReply));
  EXPECT_FALSE(document.parse("<html>"));
  EXPECT_EQ(document.get("data.path"), "");
  EXPECT_EQ(document.type_of(), kJsonNull);
  document.clear();
  EXPECT_EQ(document.to_json(), "{}");
}

TEST(JsonDocumentTest, ParseStartsANewEngineSoAnEarlierCopyKeepsTheOldValue) {
  JsonDocument document;
  ASSERT_TRUE(document.parse(R"({"a": 1})"));
  JsonDocument copy(document);
  std::unique_ptr<JsonDocument> virtual_copy = document.copy();
  EXPECT_EQ(copy.engine().as<platform::ScriptControl>(),
            document.engine().as<platform::ScriptControl>());

  copy.set_number("b", 2);  // one engine: the change shows in both
  EXPECT_EQ(document.get("b"), "2");
  EXPECT_EQ(virtual_copy->get("b"), "2");

  ASSERT_TRUE(document.parse(R"({"a": 3})"));
  EXPECT_EQ(document.get("a"), "3");
  EXPECT_EQ(document.get("b"), "");
  EXPECT_EQ(copy.get("a"), "1");
  EXPECT_EQ(virtual_copy->to_json(), R"({"a":1,"b":2})");
}

TEST(JsonDocumentTest, ClearEmptiesTheRoot) {
  JsonDocument document;
  ASSERT_TRUE(document.parse(kReply));
  document.clear();
  EXPECT_EQ(document.to_json(), "{}");
  EXPECT_EQ(document.get("data.path"), "");
}

// The decode road: parse the upload reply, read the path, clear, parse the decode reply, read
// the text.
TEST(JsonDocumentTest, TheDecodeRoad) {
  JsonDocument document;
  document.parse(R"({"status": 1, "data": {"path": "/2024/05/abc.png"}})");
  EXPECT_EQ(document.get("data.path"), "/2024/05/abc.png");
  document.clear();
  document.parse(R"({"status": 1, "info": {"data": ["https://example.com/decoded"]}})");
  EXPECT_EQ(document.get("info.data[0]"), "https://example.com/decoded");
}

// A document that makes engines holds one COM initialisation until it goes, however often it
// parses; a copy holds one only once it has parsed into an engine of its own.
TEST(JsonDocumentTest, ComInitialisationsBalance) {
  const int before = platform::com_init_count();
  {
    JsonDocument document;
    EXPECT_EQ(platform::com_init_count(), before + 1);
    JsonDocument copy(document);
    document.parse("{}");
    document.parse("[]");
    EXPECT_EQ(platform::com_init_count(), before + 1);
    copy.parse("{}");
    EXPECT_EQ(platform::com_init_count(), before + 2);
  }
  EXPECT_EQ(platform::com_init_count(), before);
}

// When the script control cannot be made, the document stays without an engine and every
// operation yields its empty value.
class JsonDocumentWithoutControlTest : public testing::Test {
 protected:
  void SetUp() override {
    saved_ = platform::unregister_class(platform::kScriptControlProgId);
  }
  void TearDown() override { platform::register_class(platform::kScriptControlProgId, saved_); }

  platform::ClassFactory saved_;
};

TEST_F(JsonDocumentWithoutControlTest, EveryOperationYieldsItsEmptyValue) {
  JsonDocument document;
  EXPECT_TRUE(document.engine().empty());
  platform::register_class(platform::kScriptControlProgId, saved_);  // parse does not retry
  EXPECT_FALSE(document.parse(R"({"a": 1})"));
  EXPECT_TRUE(document.engine().empty());
  EXPECT_EQ(document.get("a"), "");
  EXPECT_EQ(document.get("a", true), "");
  EXPECT_EQ(document.get_number("a"), 0.0);
  EXPECT_EQ(document.type_of("a"), kJsonUnknown);
  EXPECT_EQ(document.to_json(), "");
  EXPECT_EQ(document.member_count(), 0);
  EXPECT_FALSE(document.has_property("a"));
  TextList keys = {"stale"};
  EXPECT_EQ(document.list_keys(keys), 0);
  EXPECT_TRUE(keys.empty());
  document.clear();
  EXPECT_EQ(document.get_document("a")->to_json(), "");
}

}  // namespace
}  // namespace varnelle

#include <gtest/gtest.h>

#include "json/json_document.h"
#include "platform/script_control.h"

namespace varnelle {
namespace {

JsonDocument parsed(const Text& json) {
  JsonDocument document;
  EXPECT_TRUE(document.parse(json)) << json;
  return document;
}

TEST(JsonDocumentEditTest, SetPropertyWritesAStringOrScriptText) {
  JsonDocument document;
  Text value = "abc";
  document.set_property("name", value);
  EXPECT_EQ(document.to_json(), R"({"name":"abc"})");

  Text empty;
  document.set_property("obj", empty, true);
  EXPECT_EQ(empty, "{}") << "the empty value is replaced in the caller's variable";
  Text list = "[1, 2]";
  document.set_property("list", list, true);
  EXPECT_EQ(list, "[1, 2]");
  Text number = "6 * 7";
  document.set_property("answer", number, true);
  EXPECT_EQ(document.to_json(), R"({"name":"abc","obj":{},"list":[1,2],"answer":42})");
}

TEST(JsonDocumentEditTest, ValuesAreNotEscapedSoSomeStatementsFail) {
  struct Case {
    Text value;
    bool as_json;
  };
  const Case cases[] = {
      {"it's", false},   // the quote ends the literal early
      {"two\nlines", false},
      {"{not: script", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    JsonDocument document;
    Text value = c.value;
    document.set_property("key", value, c.as_json);
    EXPECT_EQ(document.to_json(), "{}");
  }
  JsonDocument document;
  Text escaped = R"(a\tb)";  // a backslash starts an escape sequence
  document.set_property("key", escaped);
  EXPECT_EQ(document.get("key"), "a\tb");
}

TEST(JsonDocumentEditTest, SetJsonAndSetNumberAssignByKey) {
  JsonDocument document;
  document.set_json("list", "[1, {\"a\": true}]");
  document.set_number("n", 0.1);
  document.set_number("big", 1e20);
  EXPECT_EQ(document.get("n"), "0.1");
  EXPECT_EQ(document.get_number("big"), 1e20);
  EXPECT_EQ(document.get_json("big"), "100000000000000000000");
  EXPECT_EQ(document.get_json("list"), R"([1,{"a":true}])");
  EXPECT_EQ(document.get_json("missing"), "");

  // Through a missing member nothing can be set; a missing last member is created.
  document.set_number("missing.n", 1);
  document.set_json("missing.list", "[]");
  Text value = "x";
  document.set_property("missing.s", value);
  document.push_member("x", "missing.list");
  EXPECT_FALSE(document.has_property("missing"));
  document.set_json("list", "{not json");
  EXPECT_EQ(document.get_json("list"), R"([1,{"a":true}])");
}

TEST(JsonDocumentEditTest, MemberCountCountsOwnMembers) {
  struct Case {
    const char* json;
    const char* path;
    int count;
  };
  const Case cases[] = {
      {R"({"a": 1, "b": 2, "c": 3})", "", 3},
      {"[1, 2, 3, 4, 5]", "", 5},
      {"{}", "", 0},
      {R"({"list": [1, 2], "o": {"x": {}}})", "list", 2},
      {R"({"list": [1, 2], "o": {"x": {}}})", "o", 1},
      {R"({"list": [1, 2], "o": {"x": {}}})", "o.x", 0},
      {R"([[1, 2, 3], 4])", "[0]", 3},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(parsed(c.json).member_count(c.path), c.count) << c.json << " at " << c.path;
  }
}

TEST(JsonDocumentEditTest, PushMemberAppendsMakingAnArrayFirst) {
  JsonDocument document;
  document.push_member("x", "list");
  EXPECT_EQ(document.to_json(), R"({"list":["x"]})");
  document.push_member("y", "list");
  document.push_member("{\"n\": 1}", "list", true);
  EXPECT_EQ(document.to_json(), R"({"list":["x","y",{"n":1}]})");

  Text value = "{\"k\": 1}";
  document.set_property("obj", value, true);
  document.push_member("z", "obj");
  EXPECT_EQ(document.get_json("obj"), R"(["z"])");

  document.push_member("1", "", true);  // the root itself
  EXPECT_EQ(document.to_json(), "[1]");
}

TEST(JsonDocumentEditTest, GetMemberReadsElements) {
  JsonDocument document = parsed(R"({"list": ["x", 2.5, {"a": 1}], "top": 0})");
  EXPECT_EQ(document.get_member(0, "list"), "x");
  EXPECT_EQ(document.get_member(0, "list", true), R"("x")");
  EXPECT_EQ(document.get_member(1, "list"), "2.5");
  EXPECT_EQ(document.get_member(2, "list", true), R"({"a":1})");
  EXPECT_EQ(document.get_member(3, "list"), "");
  EXPECT_EQ(document.get_member(3, "list", true), "");
  EXPECT_EQ(document.get_member(0, "missing.list"), "");

  JsonDocument array = parsed(R"(["first", "second"])");
  EXPECT_EQ(array.get_member(1), "second");
}

TEST(JsonDocumentEditTest, SetMemberWritesIntoTheRoot) {
  JsonDocument array = parsed("[1, 2]");
  array.set_member(0, "x");
  array.set_member(2, "[3]", true);
  EXPECT_EQ(array.to_json(), R"(["x",2,[3]])");

  JsonDocument object;
  object.set_member(0, "x");
  EXPECT_EQ(object.to_json(), R"({"0":"x"})");
}

TEST(JsonDocumentEditTest, RemoveMemberSplicesTheRootArray) {
  struct Case {
    const char* json;
    int index;
    const char* after;
  };
  const Case cases[] = {
      {"[1, 2, 3]", 0, "[2,3]"},
      {"[1, 2, 3]", -1, "[1,2]"},
      {"[1, 2, 3]", 3, "[1,2,3]"},
      {"[1, 2, 3]", 7, "[1,2,3]"},
      {R"({"a": 1})", 0, R"({"a":1})"},
  };
  for (const Case& c : cases) {
    JsonDocument document = parsed(c.json);
    document.remove_member(c.index);
    EXPECT_EQ(document.to_json(), c.after) << c.json << " without " << c.index;
  }
}

TEST(JsonDocumentEditTest, RemoveByPathRemovesTheFirstBracketedElement) {
  struct Case {
    const char* path;
    const char* after;
  };
  const Case cases[] = {
      {"list[1]", R"({"list":[1,3],"a":[{"b":[1,2,3]},{"b":[]}]})"},
      {"list[0]", R"({"list":[2,3],"a":[{"b":[1,2,3]},{"b":[]}]})"},
      {"a[1].b[2]", R"({"list":[1,2,3],"a":[{"b":[1,2,3]}]})"},
      {"list", R"({"list":[1,2,3],"a":[{"b":[1,2,3]},{"b":[]}]})"},
      {"[0]", R"({"list":[1,2,3],"a":[{"b":[1,2,3]},{"b":[]}]})"},
  };
  for (const Case& c : cases) {
    JsonDocument document = parsed(R"({"list": [1, 2, 3], "a": [{"b": [1, 2, 3]}, {"b": []}]})");
    document.remove_by_path(c.path);
    EXPECT_EQ(document.to_json(), c.after) << c.path;
  }
}

TEST(JsonDocumentEditTest, RemoveByPathRebuildsTheArrayFromJson) {
  JsonDocument document;
  document.set_json("list", "[new Date(Date.UTC(2000, 0, 2)), function () {}, undefined, 4]");
  document.remove_by_path("list[3]");
  EXPECT_EQ(document.get_json("list"), R"(["2000-01-02T00:00:00.000Z",null,null])");
}

TEST(JsonDocumentEditTest, SetRootTypeAndSetRootReplaceTheRoot) {
  struct Case {
    int type;
    const char* after;
  };
  const Case cases[] = {
      {kJsonArray, "[]"}, {kJsonNull, "{}"}, {kJsonObject, "{}"}, {kJsonNumber, "[1]"},
      {kJsonString, "[1]"},
  };
  for (const Case& c : cases) {
    JsonDocument document = parsed("[1]");
    document.set_root_type(c.type);
    EXPECT_EQ(document.to_json(), c.after) << c.type;
  }

  JsonDocument document;
  document.set_root("[1,2]", true);
  EXPECT_EQ(document.to_json(), "[1,2]");
  document.set_root("[1,2]");
  EXPECT_EQ(document.to_json(), R"("[1,2]")");
  EXPECT_EQ(document.type_of(), kJsonString);
}

TEST(JsonDocumentEditTest, HasPropertyIsFalseOnlyForMissingAndNull) {
  struct Case {
    const char* key;
    bool has;
  };
  const Case cases[] = {
      {"zero", true},     {"no", true},       {"empty", true},  {"obj", true},
      {"nothing", false}, {"missing", false}, {"missing.deeper", false},
  };
  JsonDocument document =
      parsed(R"({"zero": 0, "no": false, "empty": "", "obj": {}, "nothing": null})");
  for (const Case& c : cases) EXPECT_EQ(document.has_property(c.key), c.has) << c.key;
}

TEST(JsonDocumentEditTest, ListKeysGivesTheMemberNames) {
  struct Case {
    const char* json;
    const char* path;
    TextList keys;
  };
  const Case cases[] = {
      {R"({"a": 1, "b": {"c": 2}})", "", {"a", "b"}},
      {R"({"a": 1, "b": {"c": 2}})", "b", {"c"}},
      {"[7, 8, 9]", "", {"0", "1", "2"}},
      {"{}", "", {}},
      {R"({"a": 1})", "missing", {}},
      {R"({"x,y": 1})", "", {"x", "y"}},
      {R"({"keep toJSONString,this": 1})", "", {"keep this"}},
      {R"([[1], {"in": {"z": 0}}])", "[1].in", {"z"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.json);
    TextList keys = {"stale"};
    EXPECT_EQ(parsed(c.json).list_keys(keys, c.path), static_cast<int>(c.keys.size()));
    EXPECT_EQ(keys, c.keys);
  }
}

TEST(JsonDocumentEditTest, GetDocumentGivesAnIndependentCopy) {
  JsonDocument document = parsed(R"({"data": {"path": "/a.png"}, "items": [{"name": "n"}]})");
  std::unique_ptr<JsonDocument> data = document.get_document("data");
  EXPECT_NE(data->engine().as<platform::ScriptControl>(),
            document.engine().as<platform::ScriptControl>());
  EXPECT_EQ(data->get("path"), document.get("data.path"));

  Text changed = "/b.png";
  data->set_property("path", changed);
  EXPECT_EQ(data->get("path"), "/b.png");
  EXPECT_EQ(document.get("data.path"), "/a.png");

  EXPECT_EQ(document.get_member_document(0, "items")->get("name"), "n");
  EXPECT_EQ(document.get_document("items[0]")->to_json(), R"({"name":"n"})");
  EXPECT_EQ(document.get_document("missing")->to_json(), "");
}

}  // namespace
}  // namespace varnelle

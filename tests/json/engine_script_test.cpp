#include "json/engine_script.h"

#include <gtest/gtest.h>

#include <string_view>

#include "platform/qjs_script_control.h"

namespace varnelle {
namespace {

using platform::CallResult;
using platform::QjsScriptControl;
using platform::Variant;

Text eval_text(QjsScriptControl& control, const Text& script) {
  CallResult result(control.Eval(Variant::from_text(script)));
  EXPECT_TRUE(result.succeeded()) << script;
  return result.text();
}

TEST(EngineScriptTest, IsOneLineOfPrintableAscii) {
  const std::string_view script(kEngineScript);
  ASSERT_FALSE(script.empty());
  for (char c : script) EXPECT_TRUE(c >= 0x20 && c <= 0x7E) << int(static_cast<unsigned char>(c));
}

TEST(EngineScriptTest, DefinesItsPartsInOrder) {
  const std::string_view script(kEngineScript);
  const char* parts[] = {
      "function get__count(c)",       "JSON = {}",
      "Date.prototype.toJSON =",      "JSON.stringify = stringify",
      "JSON.parse = parse",           "Object.prototype.toJSONString =",
  };
  size_t previous = 0;
  for (const char* part : parts) {
    size_t at = script.find(part);
    ASSERT_NE(at, std::string_view::npos) << part;
    EXPECT_GE(at, previous) << part;
    previous = at;
  }
}

// On an engine that has JSON, the script adds get__count and the two Object.prototype members
// and leaves everything else as it was.
TEST(EngineScriptTest, OnANativeJsonEngineDefinesOnlyWhatIsMissing) {
  QjsScriptControl control;
  ASSERT_TRUE(control.put_Language(Variant(u"JavaScript")));
  ASSERT_TRUE(control.AddCode(Variant(
      u"var saved = { json: JSON, stringify: JSON.stringify, parse: JSON.parse,"
      u" dateToJSON: Date.prototype.toJSON };")));
  ASSERT_TRUE(control.AddCode(Variant::from_text(kEngineScript)));
  const char* checks[] = {
      "JSON === saved.json",
      "JSON.stringify === saved.stringify",
      "JSON.parse === saved.parse",
      "Date.prototype.toJSON === saved.dateToJSON",
      "String.prototype.toJSON === undefined",
      "Number.prototype.toJSON === undefined",
      "Boolean.prototype.toJSON === undefined",
      "typeof get__count === 'function'",
      "Object.prototype.propertyIsEnumerable('toJSONString')",
      "Object.prototype.propertyIsEnumerable('parseJSON')",
  };
  for (const char* check : checks) EXPECT_EQ(eval_text(control, check), "-1") << check;
}

// The script's own JSON, loaded into an engine whose JSON and toJSON methods were deleted first,
// checked against the engine's native JSON (kept aside as `native`).
class EngineScriptJsonTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(control_.put_Language(Variant(u"JavaScript")));
    ASSERT_TRUE(add_code(
        "var native = JSON; delete JSON; delete Date.prototype.toJSON;"
        " delete String.prototype.toJSON; delete Number.prototype.toJSON;"
        " delete Boolean.prototype.toJSON;"));
    ASSERT_TRUE(add_code(kEngineScript));
    ASSERT_TRUE(add_code(
        // What calling f gives: its value as text, or the kind of error it threw.
        "function outcome(f) {"
        "  try { var v = f(); return v === undefined ? 'undefined' : 'value:' + v; }"
        "  catch (e) { return 'threw:' + e.name; }"
        "}"
        // The native text with the characters that the script escapes beyond JSON's own.
        "function withExtraEscapes(text) {"
        "  return text.replace(/[\\u007f-\\u009f\\u00ad\\u0600-\\u0604\\u070f\\u17b4\\u17b5"
        "\\u200c-\\u200f\\u2028-\\u202f\\u2060-\\u206f\\ufeff\\ufff0-\\uffff]/g, function (c) {"
        "    return '\\\\u' + ('000' + c.charCodeAt(0).toString(16)).slice(-4); });"
        "}"));
    ASSERT_EQ(eval("JSON !== native && typeof JSON.stringify === 'function'"), "-1");
  }

  bool add_code(const Text& code) {
    return control_.AddCode(Variant::from_text(code)).has_value();
  }
  Text eval(const Text& script) { return eval_text(control_, script); }

  QjsScriptControl control_;
};

TEST_F(EngineScriptJsonTest, StringifyMatchesTheNativeOne) {
  // Argument lists for JSON.stringify.
  const char* cases[] = {
      "{a: 1, b: [true, false, null], c: 'x', d: {e: [], f: {}}}",
      "[]",
      "{}",
      "'text'",
      "42",
      "-0",
      "0.1",
      "1e21",
      "-1.5e-7",
      "NaN",
      "[Infinity, -Infinity, NaN]",
      "null",
      "true",
      "undefined",
      "function () {}",
      "{a: undefined, b: function () {}, c: 1}",
      "[undefined, function () {}, 2]",
      "{toJSON: function (key) { return 'key:' + key; }}",
      "{d: {toJSON: function (key) { return key + '!'; }}, e: [{toJSON: function (k) { return k; }}]}",
      "new Date(Date.UTC(2000, 0, 2, 3, 4, 5))",
      "{when: new Date(NaN)}",
      "[new Number(3), new String('s'), new Boolean(false)]",
      "'\"\\\\\\b\\f\\n\\r\\t\\u0000\\u0001\\u001f /'",
      "'\\u007f\\u0080\\u009f\\u00ad\\u0600\\u0604\\u070f\\u17b4\\u17b5\\u200c\\u200f'",
      "'\\u2028\\u2029\\u202f\\u2060\\u206f\\ufeff\\ufff0\\uffff'",
      "'\\u00ac\\u00ae\\u05ff\\u0605\\u17b3\\u17b6\\u200b\\u2030\\u205f\\u2070\\u4e2d\\ufefe\\uffef'",
      "{'key \"quoted\"\\n': 1}",
      "{a: [1, {b: 2}], c: {}, d: []}, null, 2",
      "{a: [1, {b: 2}], c: {}}, null, '\\t'",
      "{a: [1, {b: 2}]}, null, 'abcdefghijkl'",
      "{a: [1, {b: 2}]}, null, 20",
      "{a: [1]}, null, 2.7",
      "{a: [1]}, null, 0",
      "{a: [1]}, null, -1",
      "{a: [1]}, null, ''",
      "{a: [1]}, null, new Number(3)",
      "{a: [1]}, null, new String('--')",
      "[], null, 2",
      "{}, null, 2",
      "{a: 1, b: 'two', c: {d: 3}}, function (key, value) {"
      " return typeof value === 'number' ? value * 10 : value; }",
      "{a: 1, b: 2, c: [1, 2]}, function (key, value) { return key === 'b' ? undefined : value; }",
      "{a: 1}, function (key, value) { return key === '' ? [typeof this, this[''] === value] : value; }",
      "[1, 2], function (key, value) { return key === '0' ? undefined : value; }",
      "(function () { var o = {}; o.self = o; return o; })()",
      "(function () { var a = []; a.push([a]); return a; })()",
  };
  for (const char* args : cases) {
    SCOPED_TRACE(args);
    const Text ours = eval(concat_text("outcome(function () { return JSON.stringify(", args, "); })"));
    const Text expected = eval(concat_text(
        "withExtraEscapes(outcome(function () { return native.stringify(", args, "); }))"));
    EXPECT_EQ(ours, expected);
  }
}

TEST_F(EngineScriptJsonTest, StringifyWritesItsEscapesAndDatesThisWay) {
  struct Case {
    const char* script;
    const char* result;
  };
  const Case cases[] = {
      {"JSON.stringify('\\b\\t\\n\\f\\r\"\\\\')", R"("\b\t\n\f\r\"\\")"},
      {"JSON.stringify('\\u0000\\u001f\\u007f\\u00ad\\u2028\\uffff')",
       R"("\u0000\u001f\u007f\u00ad\u2028\uffff")"},
      {"JSON.stringify(new Date(Date.UTC(2000, 0, 2, 3, 4, 5, 678)))", R"("2000-01-02T03:04:05Z")"},
      {"new Date(NaN).toJSON()", ""},
      {"'abc'.toJSON() + (5).toJSON() + true.toJSON()", "abc5true"},
      // Array replacers (this engine's native JSON ignores them).
      {"JSON.stringify({a: 1, b: 2, c: 3, d: {a: 4, c: 5}}, ['c', 'a'])", R"({"c":3,"a":1})"},
      {"JSON.stringify({a: 1, b: {a: 2}}, ['a', 'b'], 1)", "{\n \"a\": 1,\n \"b\": {\n  \"a\": 2\n }\n}"},
      {"JSON.stringify({a: 1}, ['z'])", "{}"},
      {"JSON.stringify({a: 1, b: 2}, ['b', 'b', 'a', 1])", R"({"b":2,"a":1})"},
      {"JSON.stringify({a: 1, b: 2}, {length: 1, 0: 'b'})", R"({"b":2})"},
      {"outcome(function () { return JSON.stringify({}, 5); })", "threw:Error"},
      {"outcome(function () { return JSON.stringify({}, 'x'); })", "threw:Error"},
      {"(function () { try { JSON.stringify({}, true); } catch (e) { return e.message; } })()",
       "JSON.stringify"},
      {"({a: [1, 'x']}).toJSONString()", R"({"a":[1,"x"]})"},
      {"[1, 2].toJSONString(function (k, v) { return k === '1' ? 3 : v; })", "[1,3]"},
  };
  for (const Case& c : cases) EXPECT_EQ(eval(c.script), c.result) << c.script;
}

TEST_F(EngineScriptJsonTest, ParseAcceptsAndRejectsAsTheNativeOne) {
  // JavaScript string literals holding the texts to parse.
  const char* texts[] = {
      R"('{"a": 1, "b": [true, false, null], "c": "x"}')",
      R"(' [1, -2.5, 3e2, -0.5E-3, 0, -0, 1.0e+2] ')",
      R"('"text"')",
      R"('42')",
      R"('null')",
      R"('true')",
      R"('"esc \\" \\\\ \\/ \\b \\f \\n \\r \\t \\u0041 \\u4e2d \\uFEFF"')",
      R"('{"nested": {"deep": [[], {}, [[1]], {"x": [{}]}]}}')",
      R"('\n\t {\r\n"a" : 1 , "b":[ ]}\n')",
      R"('"line\u2028separator \u00ad\u200c\ufeff\uffff"')",
      R"('{"a": 1, "a": 2}')",
      R"('')",
      R"('{')",
      R"('{a: 1}')",
      R"("'single'")",
      R"('[1, 2')",
      R"('[1 2]')",
      R"('{"a" 1}')",
      R"('undefined')",
      R"('NaN')",
      R"('function () {}')",
      R"('1 + 1')",
      R"('alert(1)')",
      R"('{"a": 1} x')",
      R"('"\\x41"')",
      R"('"raw\nline"')",
      R"('+1')",
      R"('\ufeff[]')",
      R"('[1]\u2028')",
      R"('{"a": new Date()}')",
  };
  for (const char* text : texts) {
    SCOPED_TRACE(text);
    const Text ours =
        eval(concat_text("outcome(function () { return native.stringify(JSON.parse(", text, ")); })"));
    const Text expected =
        eval(concat_text("outcome(function () { return native.stringify(native.parse(", text, ")); })"));
    EXPECT_EQ(ours, expected);
  }
}

// Revivers and the texts that the acceptance rule lets through differently, written out: this
// engine's native JSON.parse ignores revivers and accepts "[.5]".
TEST_F(EngineScriptJsonTest, ParseRevivesBottomUpAndAcceptsByItsRule) {
  struct Case {
    const char* script;
    const char* result;
  };
  const Case cases[] = {
      {"native.stringify(JSON.parse(sample, function (k, v) {"
       " return k === 'c' ? undefined : (typeof v === 'number' ? v * 2 : v); }))",
       R"({"a":2,"b":{"d":[2,4,{"e":6}]},"f":[8,10]})"},
      {"var seen = []; JSON.parse(sample, function (k, v) {"
       " seen.push(k + ':' + typeof v + ':' + (this[k] === v)); return v; }); seen.join(' ')",
       "a:number:true c:number:true 0:number:true 1:number:true e:number:true 2:object:true"
       " d:object:true b:object:true 0:number:true 1:number:true f:object:true :object:true"},
      {"native.stringify(JSON.parse(sample, function (k, v) { return k === '1' ? undefined : v; }))",
       R"({"a":1,"b":{"c":2,"d":[1,null,{"e":3}]},"f":[4,null]})"},
      {"JSON.parse(sample, function (k, v) { return k === '' ? 'replaced' : v; })", "replaced"},
      // Inside strings the rule refuses only quotes, backslashes and line ends; a trailing comma
      // leaves an array literal the evaluation accepts; a number needs a digit first.
      {"JSON.parse('\"tab\there\"')", "tab\there"},
      {"JSON.parse('[1,]').length", "1"},
      {"outcome(function () { return JSON.parse('[.5]'); })", "threw:SyntaxError"},
  };
  ASSERT_TRUE(add_code(
      R"(var sample = '{"a": 1, "b": {"c": 2, "d": [1, 2, {"e": 3}]}, "f": [4, 5]}';)"));
  for (const Case& c : cases) EXPECT_EQ(eval(c.script), c.result) << c.script;
}

TEST_F(EngineScriptJsonTest, ParseRejectsWithItsOwnMessage) {
  EXPECT_EQ(eval("(function () { try { JSON.parse('{a: 1}'); } catch (e) {"
                 " return e.name + ' ' + e.message; } })()"),
            "SyntaxError JSON.parse");
  EXPECT_EQ(eval("'[1, 2]'.parseJSON()[1]"), "2");
}

TEST_F(EngineScriptJsonTest, GetCountCountsOwnEnumerableMembers) {
  struct Case {
    const char* value;
    const char* count;
  };
  const Case cases[] = {
      {"{a: 1, b: 2, c: 3}", "3"},
      {"[1, 2, 3, 4, 5]", "5"},
      {"{}", "0"},
      {"[]", "0"},
      {"Object.create({inherited: 1})", "1"},
      {"null", "-2"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(eval(concat_text("get__count(", c.value, ")")), c.count) << c.value;
  }
  EXPECT_EQ(eval("var names = []; for (var k in {}) names.push(k); names.join()"),
            "toJSONString,parseJSON");
}

}  // namespace
}  // namespace varnelle

#include "platform/qjs_script_control.h"

#include <gtest/gtest.h>

#include <chrono>
#include <set>

#include "platform/codepage.h"

namespace varnelle::platform {
namespace {

using namespace std::chrono_literals;

CallOutcome eval(ScriptControl& control, const Text& script) {
  return control.Eval(Variant::from_text(script));
}

// A control with its language set, and limits short enough for a test.
class ScriptControlTest : public testing::Test {
 protected:
  explicit ScriptControlTest(ScriptLimits limits = {1000ms, std::size_t{256} << 20})
      : control_(limits) {}
  void SetUp() override { ASSERT_TRUE(control_.put_Language(Variant(u"JavaScript"))); }

  CallOutcome eval(const Text& script) { return platform::eval(control_, script); }

  QjsScriptControl control_;
};

TEST(ScriptControlLanguageTest, OnlyJavaScriptIsAccepted) {
  struct Case {
    std::u16string language;
    bool accepted;
  };
  const Case cases[] = {
      {u"JavaScript", true}, {u"JScript", true}, {u"javascript", true},
      {u"VBScript", false},  {u"", false},       {u"JavaScript ", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.language.begin(), c.language.end()));
    QjsScriptControl control;
    EXPECT_EQ(control.put_Language(Variant(c.language)).has_value(), c.accepted);
    EXPECT_EQ(eval(control, "1").has_value(), c.accepted) << "code runs only once a language is set";
  }
}

TEST(ScriptControlLanguageTest, SettingTheLanguageAgainStartsAnEmptyEngine) {
  QjsScriptControl control;
  ASSERT_TRUE(control.put_Language(Variant(u"JavaScript")));
  ASSERT_TRUE(control.AddCode(Variant(u"var kept = 1")));
  ASSERT_EQ(eval(control, "kept"), call_ok(1.0));
  ASSERT_TRUE(control.put_Language(Variant(u"JScript")));
  EXPECT_FALSE(eval(control, "kept"));
}

TEST_F(ScriptControlTest, AddCodeAndEvalShareOneGlobalScope) {
  EXPECT_EQ(control_.AddCode(Variant(u"var a = 1; function twice(x) { return 2 * x; }")),
            call_ok());
  EXPECT_EQ(eval("var b = twice(a) + 1"), call_ok());
  EXPECT_EQ(eval("c = b * 10"), call_ok(30.0));
  EXPECT_EQ(control_.AddCode(Variant(u"var d = c + b")), call_ok());
  EXPECT_EQ(eval("d"), call_ok(33.0));
  EXPECT_EQ(eval("eval('var e = 5'); e"), call_ok(5.0)) << "eval's var is a global too";
  EXPECT_EQ(eval("typeof e"), call_ok(Variant(u"number")));
}

TEST_F(ScriptControlTest, EvalReturnsTheCompletionValueOfStatements) {
  struct Case {
    const char* script;
    Variant value;
  };
  const Case cases[] = {
      {"var x = 1; x + 1", 2.0},
      {"if (x) { 'yes' } else { 'no' }", u"yes"},
      {"var s = ''; for (var k in {a: 1, b: 2}) { s = s + k + ','; }", u"a,b,"},
      {"var t = ''; for (var k in {}) { t = 'never'; }", Variant()},
      {"var only = 'declared'", Variant()},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.script);
    EXPECT_EQ(eval(c.script), call_ok(c.value));
  }
}

TEST_F(ScriptControlTest, ResultsConvertByKind) {
  struct Case {
    const char* script;
    Variant value;
  };
  const Case cases[] = {
      {"'abc'", u"abc"},
      {"'\\u4e2d\\u6587'", u"\u4e2d\u6587"},
      {"42", 42.0},
      {"0.1 + 0.2", 0.1 + 0.2},
      {"1 / 0", std::numeric_limits<double>::infinity()},
      {"true", true},
      {"1 > 2", false},
      {"undefined", Variant()},
      {"null", Variant()},
      {"({})", u"[object Object]"},
      {"[1, [2, 3], 'x']", u"1,2,3,x"},
      {"({ toString: function () { return 'own'; } })", u"own"},
      {"new Error('not thrown')", u"Error: not thrown"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.script);
    EXPECT_EQ(eval(c.script), call_ok(c.value));
  }
}

TEST_F(ScriptControlTest, ResultsReadAsTextGoThroughTheAnsiCodePage) {
  EXPECT_EQ(CallResult(eval("'\\u4e2d'")).text(), wide_to_ansi(u"\u4e2d"));
  EXPECT_EQ(CallResult(eval("true")).text(), "-1");
  EXPECT_EQ(CallResult(eval("false")).text(), "0");
  EXPECT_EQ(CallResult(eval("[1, 2]")).text(), "1,2");
  EXPECT_EQ(CallResult(eval("null")).text(), "");
}

TEST_F(ScriptControlTest, EveryThrowAndScriptErrorFailsTheCall) {
  const char* scripts[] = {
      "throw 1",
      "throw 'x'",
      "throw undefined",
      "throw null",
      "throw new Error('e')",
      "1 +",
      "no_such_name",
      "null.member",
      "undefined.member.deeper",
      "(function recurse() { recurse(); })()",
      "import('anything')",
  };
  for (const char* script : scripts) {
    SCOPED_TRACE(script);
    EXPECT_FALSE(eval(script));
    EXPECT_FALSE(control_.AddCode(Variant::from_text(script)));
    EXPECT_EQ(eval("'still usable'"), call_ok(Variant(u"still usable")));
  }
  EXPECT_FALSE(eval("({ toString: function () { throw 1; } })")) << "the result's conversion throws";
}

TEST_F(ScriptControlTest, WhatRanBeforeAFailureStaysDone) {
  EXPECT_FALSE(eval("var before = 1; throw 2; var after = 3"));
  EXPECT_EQ(eval("before"), call_ok(1.0));
  EXPECT_EQ(eval("typeof after"), call_ok(Variant(u"undefined")));
}

TEST_F(ScriptControlTest, RunawayScriptsAreInterruptedAndTheEngineStaysUsable) {
  const char* scripts[] = {
      "for (;;) {}",
      "while (true) { try { for (;;) {} } catch (e) {} }",
      // Called often enough to be compiled before it loops.
      "function spin(n) { if (n) for (;;) {} } for (var i = 0; i < 100; i++) spin(0); spin(1)",
      "({ toString: function () { for (;;) {} } })",  // the result's conversion loops
  };
  for (const char* script : scripts) {
    SCOPED_TRACE(script);
    EXPECT_FALSE(eval(script));
    EXPECT_EQ(eval("1 + 1"), call_ok(2.0));
  }
}

// Memory, not time, stops these: the time limit is far away.
class ScriptControlMemoryTest : public ScriptControlTest {
 protected:
  ScriptControlMemoryTest() : ScriptControlTest({120s, std::size_t{64} << 20}) {}
};

TEST_F(ScriptControlMemoryTest, ScriptsThatKeepAllocatingAreInterrupted) {
  const char* scripts[] = {
      "var strings = []; for (;;) strings.push(new Array(1e5).join('x'))",
      "var objects = []; for (;;) objects.push({ n: objects.length })",
      "var s = 'x'; for (;;) { s = s + s; s.charCodeAt(s.length - 1); }",
  };
  for (const char* script : scripts) {
    SCOPED_TRACE(script);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(eval(script));
    EXPECT_LT(std::chrono::steady_clock::now() - start, 60s);
    EXPECT_EQ(eval("strings = objects = s = null; 1 + 1"), call_ok(2.0));
  }
}

TEST_F(ScriptControlTest, ScriptsReachNothingOutsideTheEngine) {
  // File, network, process, timer and console access as other hosts offer it, and the promise
  // jobs that would run after the call has returned.
  const char* names[] = {
      "Qt",       "print",   "console",        "gc",      "require", "load",
      "readFile", "read",    "quit",           "process", "importScripts",
      "fetch",    "XMLHttpRequest", "WebSocket", "Worker", "setTimeout", "setInterval",
      "setImmediate", "queueMicrotask", "Promise", "Proxy",
  };
  for (const char* name : names) {
    SCOPED_TRACE(name);
    EXPECT_EQ(eval(concat_text("typeof ", name)), call_ok(Variant(u"undefined")));
  }
  // Every global the engine has is a standard one.
  const std::set<Text> standard = {
      "Object", "String", "Symbol", "Number", "Boolean", "Array", "Function", "Date", "RegExp",
      "Error", "EvalError", "RangeError", "ReferenceError", "SyntaxError", "TypeError",
      "URIError", "URL", "URLSearchParams", "SharedArrayBuffer", "ArrayBuffer", "DataView",
      "WeakSet", "Set", "WeakMap", "Map", "Int8Array", "Uint8Array", "Int16Array", "Uint16Array",
      "Int32Array", "Uint32Array", "Uint8ClampedArray", "Float32Array", "Float64Array",
      "Atomics", "Math", "JSON", "Reflect", "undefined", "NaN", "Infinity", "eval", "parseInt",
      "parseFloat", "isNaN", "isFinite", "decodeURI", "decodeURIComponent", "encodeURI",
      "encodeURIComponent", "escape", "unescape",
  };
  Text globals = CallResult(eval("Object.getOwnPropertyNames(this).join(' ')")).text();
  ASSERT_FALSE(globals.empty());
  for (const Text& name : split_text(globals, " ")) EXPECT_TRUE(standard.count(name)) << name;
}

TEST_F(ScriptControlTest, DeepNestsFailInsteadOfCrashing) {
  ASSERT_EQ(eval("var nest = []; for (var i = 0; i < 2e5; i++) nest = [nest]; 0"), call_ok(0.0));
  const char* scripts[] = {
      "String(nest)",
      "nest.join()",
      "nest.toLocaleString()",
      "'' + nest",
      "nest",  // the result's conversion
      "JSON.stringify(nest)",
  };
  for (const char* script : scripts) {
    SCOPED_TRACE(script);
    EXPECT_FALSE(eval(script));
    EXPECT_EQ(eval("1 + 1"), call_ok(2.0));
  }
}

TEST_F(ScriptControlTest, ArrayJoinAndToLocaleStringKeepTheirBehaviour) {
  struct Case {
    const char* script;
    Variant value;
  };
  const Case cases[] = {
      {"[1, [2, 3], null, undefined, 'x'].join('-')", u"1-2,3---x"},
      {"[1, 2].join()", u"1,2"},
      {"[1, 2].join(undefined)", u"1,2"},
      {"Array.prototype.join.call({ length: 2, 0: 'a', 1: 'b' }, '+')", u"a+b"},
      {"[1, 'b'].toLocaleString()", u"1,b"},
      {"Array.prototype.join.length", 1.0},
      {"var seen = ''; for (var k in [7, 8]) seen += k; seen", u"01"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.script);
    EXPECT_EQ(eval(c.script), call_ok(c.value));
  }
}

TEST_F(ScriptControlTest, ArgumentsThatAreNotTextFail) {
  EXPECT_FALSE(control_.Eval(Variant(Bytes{'1'})));
  EXPECT_FALSE(control_.AddCode(Variant(Bytes{'1'})));
  EXPECT_FALSE(control_.put_Language(Variant(Bytes{'J'})));
}

}  // namespace
}  // namespace varnelle::platform

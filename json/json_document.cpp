#include "json/json_document.h"

#include <cmath>
#include <limits>

#include "json/engine_script.h"
#include "platform/com.h"
#include "platform/script_control.h"
#include "text/text_helpers.h"

namespace varnelle {
namespace {

using platform::CallResult;
using platform::ScriptControl;
using platform::Variant;

// The quote piece around a value: a string literal, or the value as script text.
Text quote_piece(bool as_json) { return as_json ? Text() : Text("'"); }

bool starts_with_bracket(const Text& path) { return text_equal(text_left(path, 1), "["); }

// A script's count, truncated toward zero; a value no int can hold counts as 0.
int truncate_to_int(double x) {
  if (!std::isfinite(x) || x <= std::numeric_limits<int>::min() - 1.0 ||
      x >= std::numeric_limits<int>::max() + 1.0)
    return 0;
  return static_cast<int>(x);
}

}  // namespace

JsonDocument::JsonDocument() : root_name_("da") { init_engine(); }

JsonDocument::JsonDocument(const JsonDocument& other)
    : root_name_(other.root_name_), engine_(other.engine_) {}

JsonDocument::~JsonDocument() {
  engine_.release();
  if (com_initialised_) platform::CoUninitialize();
}

std::unique_ptr<JsonDocument> JsonDocument::copy() const {
  return std::make_unique<JsonDocument>(*this);
}

void JsonDocument::init_engine() {
  // One initialisation per document that makes engines, undone when it goes: a copy, which only
  // shares an engine, neither adds one nor takes one away.
  if (!com_initialised_) {
    platform::CoInitialize(nullptr);
    com_initialised_ = true;
  }
  platform::create_object(platform::kScriptControlProgId, engine_);
  engine_.call<ScriptControl>(
      [](ScriptControl& control) { return control.put_Language(Variant(u"JavaScript")); });
  add_code(kEngineScript);
  eval(concat_text("var ", root_name_, "={}"));
}

bool JsonDocument::parse(const Text& text) {
  if (!engine_.empty()) {
    engine_.release();
    init_engine();
  }
  if (engine_.empty()) return false;
  eval(concat_text("var ", root_name_, "=null"));
  add_code(concat_text("var ", root_name_, "=eval(", text, ")")).number();
  return eval(concat_text("null !=", root_name_)).boolean();
}

Text JsonDocument::to_json() const {
  return eval(concat_text("JSON.stringify(", root_name_, ")")).text();
}

void JsonDocument::set_property(const Text& key, Text& value, bool as_json) {
  if (!as_json) {
    eval(concat_text(key_target(key), "='", value, "'"));
    return;
  }
  if (value.empty()) value = "{}";
  eval(concat_text(key_target(key), "= eval(", value, ")"));
}

void JsonDocument::set_json(const Text& key, const Text& json) {
  eval(concat_text(key_target(key), "= eval(", json, ")"));
}

void JsonDocument::set_number(const Text& key, double number) {
  eval(concat_text(key_target(key), "=", double_to_text(number)));
}

double JsonDocument::get_number(const Text& key) const { return eval(key_target(key)).number(); }

Text JsonDocument::get_json(const Text& key) const {
  return eval(concat_text("JSON.stringify(", key_target(key), ")")).text();
}

Text JsonDocument::get(const Text& path, bool as_json) const {
  if (as_json) return eval(concat_text("JSON.stringify(", bracket_path_target(path), ")")).text();
  if (engine_.empty()) return {};
  if (type_of(path) == kJsonNumber) return double_to_text(get_number(path));
  return eval(bracket_path_target(path)).text();
}

std::unique_ptr<JsonDocument> JsonDocument::get_document(const Text& path) const {
  Text json = get(path, true);
  auto document = std::make_unique<JsonDocument>();
  document->parse(json);
  return document;
}

int JsonDocument::member_count(const Text& path) const {
  return truncate_to_int(
      eval(concat_text("get__count(", bracket_member_path_target(path), ")")).number());
}

void JsonDocument::push_member(const Text& value, const Text& path, bool as_json) {
  const Text target = member_path_target(path);
  const Text q = quote_piece(as_json);
  eval(concat_text("if (Object.prototype.toString.call(", target, ") != '[object Array]') { ",
                   target, "=new Array();} ", target, ".push(", q, value, q, ")"));
}

std::unique_ptr<JsonDocument> JsonDocument::get_member_document(int index,
                                                                const Text& path) const {
  Text json = get_member(index, path, true);
  auto document = std::make_unique<JsonDocument>();
  document->parse(json);
  return document;
}

Text JsonDocument::get_member(int index, const Text& path, bool as_json) const {
  const Text element = concat_text(member_path_target(path), "[", int_to_text(index), "]");
  if (as_json) return eval(concat_text("JSON.stringify(", element, ")")).text();
  return eval(element).text();
}

void JsonDocument::set_member(int index, const Text& value, bool as_json) {
  const Text q = quote_piece(as_json);
  eval(concat_text(root_name_, "[", int_to_text(index), "]=", q, value, q));
}

void JsonDocument::remove_member(int index) {
  eval(concat_text(root_name_, ".splice(", int_to_text(index), ",1)"));
}

void JsonDocument::remove_by_path(const Text& path) {
  const Text array_path = text_left_of(path, "[");
  const Text index_text = text_between(path, "[", "]");
  const Text json = get(array_path, true);
  JsonDocument array;
  array.parse(json);
  array.remove_member(text_to_int(index_text));
  set_json(array_path, array.to_json());
}

void JsonDocument::set_root_type(int root_type) {
  if (root_type == kJsonNull || root_type == kJsonObject) {
    eval(concat_text("var ", root_name_, "={}")).number();
  } else if (root_type == kJsonArray) {
    eval(concat_text("var ", root_name_, "=new Array()")).number();
  }
}

void JsonDocument::set_root(const Text& value, bool as_json) {
  const Text q = quote_piece(as_json);
  eval(concat_text(root_name_, "=", q, value, q)).boolean();
}

bool JsonDocument::has_property(const Text& key) const {
  return eval(concat_text(key_target(key), " !=null")).boolean();
}

int JsonDocument::list_keys(TextList& keys, const Text& path) const {
  Text names = eval(concat_text("var ary=''; for (var key in ", bracket_member_path_target(path),
                                ") {ary=ary+ key+','; }"))
                   .text();
  names = replace_text(names, "toJSONString,", "");
  names = replace_text(names, "parseJSON,", "");
  eval("ary=null").variant();
  keys = split_text(names, ",");
  return list_count(keys);
}

int JsonDocument::type_of(const Text& path) const {
  const Text target = member_path_target(path);
  if (eval(concat_text(target, "==null")).boolean()) return kJsonNull;
  const Text type = eval(concat_text("typeof (", target, ")")).text();
  if (text_equal(type, "string")) return kJsonString;
  if (text_equal(type, "object"))
    return starts_with_bracket(get(path, true)) ? kJsonArray : kJsonObject;
  if (text_equal(type, "number")) return kJsonNumber;
  if (text_equal(type, "boolean")) return kJsonBoolean;
  return kJsonUnknown;
}

void JsonDocument::clear() { eval(concat_text(root_name_, "={}")); }

CallResult JsonDocument::eval(const Text& script) const {
  return engine_.call<ScriptControl>(
      [&](ScriptControl& control) { return control.Eval(Variant::from_text(script)); });
}

CallResult JsonDocument::add_code(const Text& script) const {
  return engine_.call<ScriptControl>(
      [&](ScriptControl& control) { return control.AddCode(Variant::from_text(script)); });
}

Text JsonDocument::key_target(const Text& key) const { return concat_text(root_name_, ".", key); }

Text JsonDocument::member_path_target(const Text& path) const {
  return path.empty() ? root_name_ : key_target(path);
}

Text JsonDocument::bracket_path_target(const Text& path) const {
  return concat_text(root_name_, starts_with_bracket(path) ? "" : ".", path);
}

Text JsonDocument::bracket_member_path_target(const Text& path) const {
  return path.empty() ? root_name_ : bracket_path_target(path);
}

}  // namespace varnelle

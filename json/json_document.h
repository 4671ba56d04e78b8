#pragma once
// A JSON document whose value lives in a script engine, in the global variable named root_name()
// ("da"). Every operation assembles a script text, has the engine evaluate it and converts the
// result; nothing here parses or prints JSON itself. Paths and values go into the script text
// unescaped, so a caller can use any JavaScript expression as a path or (with as_json) a value.
//
// Nothing fails loudly: a failed evaluation yields the empty text, 0, false or -1. parse() runs
// the text as script code in an engine that has no host access and runs every call under the
// script control's time and memory limits.
//
// The engine is a script control made by ProgID, so it needs what that control needs: a
// QCoreApplication on the thread.

#include <memory>

#include "platform/com_object.h"
#include "text/text.h"

namespace varnelle {

// The codes type_of returns and set_root_type takes.
enum JsonType : int {
  kJsonUnknown = -1,  // a function or other engine type, or the test failed
  kJsonNull = 0,      // null, or no value
  kJsonBoolean = 1,
  kJsonNumber = 2,
  kJsonObject = 4,
  kJsonArray = 5,
  kJsonString = 6,
};

class JsonDocument {
 public:
  JsonDocument();
  // Shares the other document's engine: a change through either shows in both, until one of
  // them parses (which gives it an engine of its own).
  JsonDocument(const JsonDocument& other);
  JsonDocument& operator=(const JsonDocument&) = delete;

  virtual ~JsonDocument();
  virtual std::unique_ptr<JsonDocument> copy() const;
  virtual void init_engine();
  // Starts a new engine and runs text as script code; true when it produced a value that is
  // neither null nor undefined.
  virtual bool parse(const Text& text);
  virtual Text to_json() const;
  // With as_json, an empty value is replaced by "{}" in the caller's variable.
  virtual void set_property(const Text& key, Text& value, bool as_json = false);
  virtual void set_json(const Text& key, const Text& json);
  virtual void set_number(const Text& key, double number);
  virtual double get_number(const Text& key) const;
  virtual Text get_json(const Text& key) const;
  // Numbers come back in "%.13g" form; as_json gives the value's JSON text.
  virtual Text get(const Text& path, bool as_json = false) const;
  // A new document, with an engine of its own, holding a copy of the value at path.
  virtual std::unique_ptr<JsonDocument> get_document(const Text& path) const;
  virtual int member_count(const Text& path = {}) const;
  // Makes the value at path an array first when it is not one.
  virtual void push_member(const Text& value, const Text& path = {}, bool as_json = false);
  virtual std::unique_ptr<JsonDocument> get_member_document(int index, const Text& path = {}) const;
  virtual Text get_member(int index, const Text& path = {}, bool as_json = false) const;
  virtual void set_member(int index, const Text& value, bool as_json = false);
  virtual void remove_member(int index);
  // For a path of the form name[index]: removes that element, rebuilding the array from JSON.
  virtual void remove_by_path(const Text& path);
  // 0 or 4: an empty object; 5: an empty array; any other code changes nothing.
  virtual void set_root_type(int root_type);
  virtual void set_root(const Text& value, bool as_json = false);
  virtual bool has_property(const Text& key) const;
  // Replaces keys by the names a for-in loop visits, without the two the engine script adds.
  virtual int list_keys(TextList& keys, const Text& path = {}) const;
  virtual int type_of(const Text& path = {}) const;
  virtual void clear();

  const Text& root_name() const { return root_name_; }
  const platform::ComObject& engine() const { return engine_; }

 private:
  platform::CallResult eval(const Text& script) const;
  platform::CallResult add_code(const Text& script) const;

  // The four ways an operation names its target.
  Text key_target(const Text& key) const;
  Text member_path_target(const Text& path) const;
  Text bracket_path_target(const Text& path) const;
  Text bracket_member_path_target(const Text& path) const;

  Text root_name_;
  platform::ComObject engine_;
  bool com_initialised_ = false;
};

}  // namespace varnelle

#pragma once
// The automation holder. Every platform component is an AutomationObject that implements a typed
// interface; a ComObject holds one (or nothing) and makes every call on it follow one rule: a call
// on an empty holder, on an object without that interface, or one that fails, yields the empty value
// of the kind asked for and never throws. The status of the last call is kept per thread.

#include <exception>
#include <functional>
#include <memory>
#include <optional>

#include "platform/variant.h"

namespace varnelle::platform {

class AutomationObject {
 public:
  virtual ~AutomationObject() = default;
};

// What a member returns: its value (empty Variant for none), or nullopt when it failed.
using CallOutcome = std::optional<Variant>;
inline CallOutcome call_ok(Variant v = {}) { return CallOutcome(std::move(v)); }
inline CallOutcome call_failed() { return std::nullopt; }

enum class CallStatus { ok, empty_holder, no_such_interface, failed, type_mismatch };

// The status of the last call made through a holder on this thread. The system never reads it;
// tests and diagnostics do.
CallStatus last_call_status();
void set_last_call_status(CallStatus status);

// A call's result, read as the kind the caller asks for.
class CallResult {
 public:
  CallResult() = default;
  explicit CallResult(CallOutcome outcome) : outcome_(std::move(outcome)) {}

  bool succeeded() const { return outcome_.has_value(); }
  Text text() const;
  double number() const;
  bool boolean() const;
  Bytes bytes() const;
  Variant variant() const;  // the untyped value; empty when the call failed

 private:
  template <class T, class Convert>
  T read(Convert convert) const;

  CallOutcome outcome_;
};

class ComObject {
 public:
  ComObject() = default;
  explicit ComObject(std::shared_ptr<AutomationObject> object) : object_(std::move(object)) {}

  bool empty() const { return !object_; }
  void release() { object_.reset(); }
  // The object itself, for tests that inspect a fake; nullptr when empty or of another type.
  template <class Interface>
  Interface* as() const {
    return dynamic_cast<Interface*>(object_.get());
  }

  // Calls member on the object's Interface, e.g.
  //   holder.call<HttpRequest>([&](HttpRequest& r) { return r.Status(); }).number();
  template <class Interface, class Member>
  CallResult call(Member&& member) const {
    Interface* target = as<Interface>();
    if (!target) {
      set_last_call_status(object_ ? CallStatus::no_such_interface : CallStatus::empty_holder);
      return CallResult{};
    }
    CallOutcome outcome;
    try {
      outcome = std::invoke(std::forward<Member>(member), *target);
    } catch (...) {
      outcome.reset();
    }
    set_last_call_status(outcome ? CallStatus::ok : CallStatus::failed);
    return CallResult(std::move(outcome));
  }

 private:
  std::shared_ptr<AutomationObject> object_;
};

}  // namespace varnelle::platform

#pragma once
// The script control on QJSEngine (Qt Qml). A control owns one engine, made on its first call on
// the calling thread and used only there; globals live until the language is set again or the
// control goes away. QJSEngine needs a QCoreApplication: the programs and the test mains make one
// before the first call.
//
// Scripts get no host access: the engine has no Qt extensions (they can read and run local files),
// no console, timers or promise jobs. Each call runs under ScriptLimits; a call that exceeds them is
// interrupted and fails, and the engine stays usable.

#include <memory>

#include "platform/script_control.h"
#include "platform/script_watchdog.h"

namespace varnelle::platform {

class QjsScriptControl final : public ScriptControl {
 public:
  explicit QjsScriptControl(ScriptLimits limits = {});
  ~QjsScriptControl() override;
  QjsScriptControl(const QjsScriptControl&) = delete;
  QjsScriptControl& operator=(const QjsScriptControl&) = delete;

  // Names are compared ignoring case. Setting the language starts a new, empty engine.
  CallOutcome put_Language(const Variant& language) override;
  CallOutcome AddCode(const Variant& code) override;
  // Undefined and null come back empty, strings as strings, numbers as doubles, booleans as
  // booleans; anything else as its JavaScript string conversion.
  CallOutcome Eval(const Variant& expression) override;

 private:
  struct Engine;
  CallOutcome run(const Variant& code, bool keep_value);

  ScriptLimits limits_;
  bool language_set_ = false;
  std::unique_ptr<Engine> engine_;
};

}  // namespace varnelle::platform

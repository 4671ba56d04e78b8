#pragma once
// The script control's interface: a JavaScript engine whose globals persist between calls.
// The real control (qjs_script_control.h) is registered under kScriptControlProgId. It runs on
// QJSEngine, which needs a QCoreApplication on the thread: the programs and the test main make one.

#include "platform/com_object.h"

namespace varnelle::platform {

inline const Text kScriptControlProgId = "MSScriptControl.ScriptControl";

class ScriptControl : public AutomationObject {
 public:
  // "JavaScript" or "JScript"; any other language fails.
  virtual CallOutcome put_Language(const Variant& language) = 0;
  // Runs text as global code; a throw, syntax error or time-out fails the call.
  virtual CallOutcome AddCode(const Variant& code) = 0;
  // Runs text as global code and returns its completion value.
  virtual CallOutcome Eval(const Variant& expression) = 0;
};

}  // namespace varnelle::platform

#include "platform/qjs_script_control.h"

#include <QJSEngine>
#include <QJSValue>
#include <QString>
#include <QStringList>

namespace varnelle::platform {
namespace {

// Run in every new engine before any other script. The engine recurses natively, past its own
// call-depth check, when it joins or locale-converts nested arrays and when it forwards through
// chains of proxies, so a script that builds a deep enough nest would crash the process. As script
// functions, join and toLocaleString count towards that check and a deep nest ends in a RangeError.
// Promise jobs would run later from the event loop, outside every call's limits.
constexpr char16_t kHardening[] = uR"js(
(function (global) {
  'use strict';
  delete global.Promise;
  delete global.Proxy;
  var nativeJoin = Array.prototype.join;
  var nativeToLocaleString = Array.prototype.toLocaleString;
  Object.defineProperty(Array.prototype, 'join', {
    value: function join(separator) { return nativeJoin.call(this, separator); },
    writable: true, configurable: true
  });
  Object.defineProperty(Array.prototype, 'toLocaleString', {
    value: function toLocaleString() { return nativeToLocaleString.apply(this, arguments); },
    writable: true, configurable: true
  });
})(this);
)js";

// A value's string conversion as a one-element array, or null when the conversion throws.
constexpr char16_t kStringConversion[] =
    uR"js((function (toText) {
  return function (value) { try { return [toText(value)]; } catch (e) { return null; } };
})(String))js";

QString to_qstring(const std::u16string& s) {
  return QString::fromUtf16(s.data(), static_cast<qsizetype>(s.size()));
}

std::u16string to_u16string(const QString& s) {
  return std::u16string(reinterpret_cast<const char16_t*>(s.utf16()), s.size());
}

}  // namespace

struct QjsScriptControl::Engine {
  Engine() {
    js.evaluate(QString::fromUtf16(kHardening));
    string_conversion = js.evaluate(QString::fromUtf16(kStringConversion));
  }

  std::optional<Variant> to_variant(const QJSValue& value) {
    if (value.isUndefined() || value.isNull()) return Variant{};
    if (value.isBool()) return Variant(value.toBool());
    if (value.isNumber()) return Variant(value.toNumber());
    if (value.isString()) return Variant(to_u16string(value.toString()));
    QJSValue text = string_conversion.call({value});
    if (!text.isArray()) return std::nullopt;
    return Variant(to_u16string(text.property(0).toString()));
  }

  QJSEngine js;
  QJSValue string_conversion;
};

QjsScriptControl::QjsScriptControl(ScriptLimits limits) : limits_(limits) {}

QjsScriptControl::~QjsScriptControl() = default;

CallOutcome QjsScriptControl::put_Language(const Variant& language) {
  auto name = variant_to_wide(language);
  if (!name) return call_failed();
  QString text = to_qstring(*name);
  if (text.compare(u"JavaScript", Qt::CaseInsensitive) != 0 &&
      text.compare(u"JScript", Qt::CaseInsensitive) != 0)
    return call_failed();
  engine_.reset();
  language_set_ = true;
  return call_ok();
}

CallOutcome QjsScriptControl::AddCode(const Variant& code) { return run(code, false); }

CallOutcome QjsScriptControl::Eval(const Variant& expression) { return run(expression, true); }

CallOutcome QjsScriptControl::run(const Variant& code, bool keep_value) {
  if (!language_set_) return call_failed();
  auto program = variant_to_wide(code);
  if (!program) return call_failed();
  if (!engine_) engine_ = std::make_unique<Engine>();
  QJSEngine& js = engine_->js;

  std::optional<Variant> result;
  {
    ScriptWatch watch([&js] { js.setInterrupted(true); }, limits_);
    // Global code, so that a var declared here is a global that later calls see. The trace is
    // filled exactly when something was thrown, whatever its type.
    QStringList thrown_trace;
    QJSValue value = js.evaluate(to_qstring(*program), QString(), 1, &thrown_trace);
    if (thrown_trace.isEmpty() && !js.isInterrupted())
      result = keep_value ? engine_->to_variant(value) : Variant{};
  }
  // The watch is gone, so nothing can set the flag again before the next call.
  const bool interrupted = js.isInterrupted();
  js.setInterrupted(false);
  if (interrupted || !result) return call_failed();
  return call_ok(std::move(*result));
}

}  // namespace varnelle::platform

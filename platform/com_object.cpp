#include "platform/com_object.h"

namespace varnelle::platform {
namespace {
thread_local CallStatus tls_last_call_status = CallStatus::ok;
}  // namespace

CallStatus last_call_status() { return tls_last_call_status; }
void set_last_call_status(CallStatus status) { tls_last_call_status = status; }

template <class T, class Convert>
T CallResult::read(Convert convert) const {
  if (!outcome_) return T{};
  auto converted = convert(*outcome_);
  if (!converted) {
    set_last_call_status(CallStatus::type_mismatch);
    return T{};
  }
  return *converted;
}

Text CallResult::text() const { return read<Text>(variant_to_text); }
double CallResult::number() const { return read<double>(variant_to_number); }
bool CallResult::boolean() const { return read<bool>(variant_to_bool); }
Bytes CallResult::bytes() const { return read<Bytes>(variant_to_bytes); }
Variant CallResult::variant() const { return outcome_ ? *outcome_ : Variant{}; }

}  // namespace varnelle::platform

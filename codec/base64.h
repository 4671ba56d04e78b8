#pragma once
// Base64 (RFC 4648 alphabet and pad, no line breaks), used for Basic proxy credentials.

#include "text/text.h"

namespace varnelle {

// Returns the Base64 text of `data`. `data` is the caller's variable: when its length is not a
// multiple of 3 it is extended with zero bytes up to the next multiple and keeps that extension.
Text base64_encode(Bytes& data);

}  // namespace varnelle

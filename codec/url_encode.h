#pragma once
// Percent-encoding of a text, byte by byte, as a form value.

#include "text/text.h"

namespace varnelle {

// Encodes every byte of `text` as "%" and two upper-case hex digits. With `keep_alphanumerics`,
// the bytes "-", ".", digits and ASCII letters stay as they are. With `as_utf8`, the text is first
// converted from the ANSI code page to UTF-8 and those bytes are encoded.
Text url_encode(const Text& text, bool keep_alphanumerics = false, bool as_utf8 = false);

}  // namespace varnelle

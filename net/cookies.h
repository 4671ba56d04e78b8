#pragma once
// Cookie strings: name=value items joined by "; ", as sent in a Cookie request header.

#include "text/text.h"

namespace varnelle {

// Folds the cookies a reply set (`new_cookies`) into those that were sent (`old_cookies`) and
// returns the merged string: the reply's items first in their order, then the old items whose
// name the reply did not set; items ending in "=deleted" are dropped, exact repeats kept once.
// Both arguments are the caller's variables: `old_cookies` is replaced by the result and
// `new_cookies` loses all its spaces (spaces inside values too).
Text merge_cookies(Text& old_cookies, Text& new_cookies);

// The text before the item's first "=" (the whole item without one), trimmed of spaces.
Text cookie_name(const Text& item);

// True when some item's cookie_name equals `name`, byte for byte.
bool has_cookie_named(const TextList& items, const Text& name);

}  // namespace varnelle

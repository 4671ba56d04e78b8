#include "net/cookies.h"

#include <algorithm>

#include "text/text_helpers.h"

namespace varnelle {
namespace {

constexpr char kItemSeparator[] = "; ";
constexpr char kDeletedSuffix[] = "=deleted";

bool is_deleted(const Text& item) {
  return text_equal(text_right(item, text_length(kDeletedSuffix)), kDeletedSuffix);
}

}  // namespace

Text merge_cookies(Text& old_cookies, Text& new_cookies) {
  old_cookies = remove_spaces(old_cookies);
  new_cookies = remove_spaces(new_cookies);

  // The reply's items win: an old item is kept only when no item so far carries its name.
  TextList merged = split_text(new_cookies, ";");
  for (const Text& item : split_text(old_cookies, ";")) {
    if (!has_cookie_named(merged, cookie_name(item))) list_append(merged, item);
  }

  Text joined;
  for (const Text& item : merged) {
    if (!is_deleted(item)) joined += concat_text(item, kItemSeparator);
  }
  joined = text_left(joined, text_length(joined) - text_length(kItemSeparator));
  old_cookies = dedup_join(joined, kItemSeparator, true);
  return old_cookies;
}

Text cookie_name(const Text& item) {
  const int equals = find_text(item, "=");
  return trim_spaces(equals == -1 ? item : text_left(item, equals - 1));
}

bool has_cookie_named(const TextList& items, const Text& name) {
  return std::any_of(items.begin(), items.end(),
                     [&](const Text& item) { return text_equal(cookie_name(item), name); });
}

}  // namespace varnelle

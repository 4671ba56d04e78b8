// Measuring, cutting and building texts, and the text list. Cutting counts plain bytes and may
// split a double-byte character.

#include "text/text.h"

#include <algorithm>
#include <cstdlib>

namespace varnelle {

int text_length(const Text& text) { return static_cast<int>(text.size()); }

Text text_left(const Text& text, int n) {
  return n <= 0 ? Text() : text.substr(0, static_cast<std::size_t>(n));
}

Text text_right(const Text& text, int n) {
  if (n <= 0) return {};
  const std::size_t count = std::min(text.size(), static_cast<std::size_t>(n));
  return text.substr(text.size() - count);
}

Text text_mid(const Text& text, int start, int n) {
  if (start < 1 || static_cast<std::size_t>(start) > text.size() || n <= 0) return {};
  return text.substr(static_cast<std::size_t>(start) - 1, static_cast<std::size_t>(n));
}

bool text_equal(const Text& a, const Text& b) { return a == b; }

Text blank_text(int n) { return n <= 0 ? Text() : Text(static_cast<std::size_t>(n), ' '); }

int char_code(const Text& text, int pos) {
  if (pos < 1 || static_cast<std::size_t>(pos) > text.size()) return 0;
  return static_cast<signed char>(text[static_cast<std::size_t>(pos) - 1]);
}

Text char_from_code(std::uint8_t code) {
  return code == 0 ? Text() : Text(1, static_cast<char>(code));
}

int list_count(const TextList& list) { return static_cast<int>(list.size()); }

const Text& list_item(const TextList& list, int index) {
  // Every caller walks 1..list_count; anything else is a programming error, stopped here rather
  // than read out of bounds.
  if (index < 1 || index > list_count(list)) std::abort();
  return list[static_cast<std::size_t>(index) - 1];
}

void list_append(TextList& list, const Text& text) { list.push_back(text); }

void list_clear(TextList& list) { list.clear(); }

}  // namespace varnelle

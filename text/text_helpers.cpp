#include "text/text_helpers.h"

#include <string_view>
#include <unordered_set>

namespace varnelle {

namespace {

// "#引号" in the ANSI code page, written as bytes so that the source encoding cannot change it.
const Text kQuotePlaceholder = "#\xD2\xFD\xBA\xC5";

Text with_quotes(const Text& marker) { return replace_text(marker, kQuotePlaceholder, "\""); }

}  // namespace

Text text_right_of_last(const Text& text, const Text& separator, bool ignore_case) {
  const int found = find_text_reverse(text, separator, std::nullopt, ignore_case);
  // Without the separator the whole text is the last part, whatever the separator's length.
  if (found == -1) return text;
  return text_right(text, text_length(text) - (found + text_length(separator) - 1));
}

Text header_name(const Text& line) {
  const int colon = find_text(line, ":");
  return colon == -1 ? Text() : trim_spaces(text_left(line, colon - 1));
}

Text header_value(const Text& line) {
  const int colon = find_text(line, ":");
  return colon == -1 ? Text() : trim_spaces(text_right(line, text_length(line) - colon));
}

Text text_left_of(const Text& text, const Text& marker, int start, bool ignore_case) {
  const int found = find_text(text, marker, start, ignore_case);
  return found == -1 ? Text() : text_left(text, found - 1);
}

Text text_between(const Text& text, const Text& begin_marker, const Text& end_marker, int start,
                  bool ignore_case) {
  const Text begin = with_quotes(begin_marker);
  const Text end = with_quotes(end_marker);
  const int found_begin = find_text(text, begin, start, ignore_case);
  if (found_begin == -1) return {};
  const int inside = found_begin + text_length(begin);
  const int found_end = find_text(text, end, inside, ignore_case);
  if (found_end == -1) return {};
  return text_mid(text, inside, found_end - inside);
}

Text dedup_join(const Text& text, const Text& separator, bool by_separator) {
  TextList items;
  if (by_separator) {
    items = split_text(text, separator);
  } else {
    split_characters(text, items);
  }
  // A set instead of walking the kept items keeps long inputs linear; the outcome is the same.
  std::unordered_set<std::string_view> seen;
  Text out;
  for (const Text& item : items) {
    if (!seen.insert(item).second) continue;
    if (seen.size() > 1) out += separator;
    out += item;
  }
  return out;
}

int split_characters(const Text& text, TextList& list) {
  list_clear(list);
  const std::size_t size = text.size();
  for (std::size_t offset = 0; offset < size;) {
    const unsigned char byte = static_cast<unsigned char>(text[offset]);
    std::size_t width = 1;
    if (offset + 1 < size && (byte >= 0x81 || (byte == '\r' && text[offset + 1] == '\n'))) {
      width = 2;
    }
    list.emplace_back(text, offset, width);
    offset += width;
  }
  return list_count(list);
}

int list_index_of(const TextList& list, const Text& text) {
  for (int index = 1; index <= list_count(list); ++index) {
    if (text_equal(list_item(list, index), text)) return index;
  }
  return -1;
}

}  // namespace varnelle

// Searching, replacing and splitting: every match is tried only on a character start.

#include <algorithm>
#include <cstdint>

#include "text/character_scan.h"
#include "text/characters.h"
#include "text/text.h"

namespace varnelle {

namespace {

int position_of(std::size_t offset) {
  return offset == CharacterScan::npos ? -1 : static_cast<int>(offset + 1);
}

std::size_t offset_of_start(int start) {
  return start > 1 ? static_cast<std::size_t>(start) - 1 : 0;
}

}  // namespace

int find_text(const Text& text, const Text& needle, int start, bool ignore_case) {
  const std::size_t from = offset_of_start(start);
  if (from >= text.size()) return -1;
  if (needle.empty()) return 1;  // at 1 whatever the start
  CharacterScan scan(text, needle, ignore_case, from);
  return position_of(scan.next());
}

int find_text_reverse(const Text& text, const Text& needle, std::optional<int> limit,
                      bool ignore_case) {
  const std::int64_t length = static_cast<std::int64_t>(text.size());
  const std::size_t range =
      limit
          ? static_cast<std::size_t>(std::clamp<std::int64_t>(std::int64_t{*limit} - 1, 0, length))
          : text.size();
  if (range == 0) return -1;
  if (needle.empty()) return 1;
  CharacterScan scan(std::string_view(text).substr(0, range), needle, ignore_case, 0);
  std::size_t last = CharacterScan::npos;
  for (std::size_t found = scan.next(); found != CharacterScan::npos; found = scan.next()) {
    last = found;
  }
  return position_of(last);
}

Text replace_text(const Text& text, const Text& old_text, const Text& new_text, int start,
                  std::optional<int> max_count, bool case_sensitive) {
  const std::size_t from = offset_of_start(start);
  if (text.empty() || old_text.empty() || from >= text.size() || (max_count && *max_count <= 0)) {
    return text;
  }
  Text out;
  out.reserve(text.size());
  out.append(text, 0, from);
  CharacterScan scan(text, old_text, !case_sensitive, from);
  std::size_t copied = from;
  int replaced = 0;
  for (std::size_t found = scan.next(); found != CharacterScan::npos; found = scan.next()) {
    out.append(text, copied, found - copied).append(new_text);
    copied = found + old_text.size();
    scan.continue_after(found);
    if (max_count && ++replaced == *max_count) return out.append(text, copied);
  }
  // A one-byte scan that reaches a lone lead byte at the end drops it with the scan.
  std::size_t end = text.size();
  if (old_text.size() == 1 && copied < end && characters::is_lone_lead_byte(text, end - 1) &&
      scan.is_character_start(end - 1)) {
    --end;
  }
  return out.append(text, copied, end - copied);
}

TextList split_text(const Text& text, const Text& separator, std::optional<int> max_count) {
  if (text.empty() || (max_count && *max_count <= 0)) return {};
  if (separator.empty()) return {text};
  TextList pieces;
  CharacterScan scan(text, separator, false, 0);
  std::size_t piece_start = 0;
  for (std::size_t found = scan.next(); found != CharacterScan::npos; found = scan.next()) {
    pieces.emplace_back(text, piece_start, found - piece_start);
    piece_start = found + separator.size();
    scan.continue_after(found);
    if (max_count && list_count(pieces) == *max_count) return pieces;
  }
  // Nothing follows a trailing separator.
  if (piece_start < text.size()) pieces.emplace_back(text, piece_start);
  return pieces;
}

}  // namespace varnelle

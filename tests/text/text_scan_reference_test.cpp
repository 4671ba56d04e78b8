// The searching operations against a plain character-by-character reading of their rules, over
// many small random texts rich in lead bytes, trail bytes that look like ASCII, and repeats.

#include <gtest/gtest.h>

#include <optional>
#include <random>

#include "text/text.h"

namespace varnelle {
namespace {

bool is_lead(char c) { return static_cast<unsigned char>(c) >= 0x80; }

char fold(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

bool matches_at(const Text& text, std::size_t at, const Text& needle, bool ignore_case) {
  for (std::size_t k = 0; k < needle.size(); ++k) {
    const char a = text[at + k];
    const char b = needle[k];
    if (ignore_case ? fold(a) != fold(b) : a != b) return false;
  }
  return true;
}

std::size_t step(const Text& text, std::size_t at) {
  if (!is_lead(text[at])) return at + 1;
  return at + 1 == text.size() ? text.size() + 1 : at + 2;
}

int reference_find(const Text& text, const Text& needle, int start, bool ignore_case) {
  const std::size_t s = start > 1 ? start - 1 : 0;
  if (s >= text.size()) return -1;
  if (needle.empty()) return 1;
  for (std::size_t at = s; at + needle.size() <= text.size(); at = step(text, at)) {
    if (matches_at(text, at, needle, ignore_case)) return static_cast<int>(at + 1);
  }
  return -1;
}

int reference_find_reverse(const Text& text, const Text& needle, int limit, bool ignore_case) {
  const std::size_t range = std::min<std::size_t>(std::max(limit - 1, 0), text.size());
  if (range == 0) return -1;
  if (needle.empty()) return 1;
  int last = -1;
  for (std::size_t at = 0; at + needle.size() <= range; at = step(text, at)) {
    if (matches_at(text, at, needle, ignore_case)) last = static_cast<int>(at + 1);
  }
  return last;
}

Text reference_replace(const Text& text, const Text& old_text, const Text& new_text, int start,
                       std::optional<int> max_count, bool case_sensitive) {
  const std::size_t s = start > 1 ? start - 1 : 0;
  if (text.empty() || old_text.empty() || s >= text.size() || (max_count && *max_count <= 0)) {
    return text;
  }
  Text out = text.substr(0, s);
  std::size_t at = s;
  int replaced = 0;
  while (at + old_text.size() <= text.size()) {
    if (matches_at(text, at, old_text, !case_sensitive)) {
      out += new_text;
      at += old_text.size();
      if (max_count && ++replaced == *max_count) break;
    } else if (!is_lead(text[at])) {
      out += text[at++];
    } else if (at + 1 == text.size()) {
      at = text.size();
    } else {
      out += text.substr(at, 2);
      at += 2;
    }
  }
  return out + text.substr(std::min(at, text.size()));
}

TextList reference_split(const Text& text, const Text& separator, std::optional<int> max_count) {
  if (text.empty() || (max_count && *max_count <= 0)) return {};
  if (separator.empty()) return {text};
  TextList pieces;
  std::size_t piece = 0;
  std::size_t at = 0;
  while (at + separator.size() <= text.size()) {
    if (matches_at(text, at, separator, false)) {
      pieces.push_back(text.substr(piece, at - piece));
      at += separator.size();
      piece = at;
      if (max_count && static_cast<int>(pieces.size()) == *max_count) return pieces;
    } else {
      at = step(text, at);
    }
  }
  if (piece < text.size()) pieces.push_back(text.substr(piece));
  return pieces;
}

class RandomTexts {
 public:
  Text make(std::size_t max_length) {
    static constexpr char kAlphabet[] = {'a', 'A', 'b', ',', '\\', '\xB0', '\xC1', '\xA1'};
    std::uniform_int_distribution<std::size_t> length(0, max_length);
    std::uniform_int_distribution<std::size_t> pick(0, sizeof kAlphabet - 1);
    Text text(length(engine_), ' ');
    for (char& c : text) c = kAlphabet[pick(engine_)];
    return text;
  }
  int number(int low, int high) { return std::uniform_int_distribution<int>(low, high)(engine_); }

 private:
  std::mt19937 engine_{20240611};
};

TEST(TextScanReferenceTest, AgreesWithCharacterByCharacterReading) {
  RandomTexts random;
  for (int round = 0; round < 20000; ++round) {
    const Text text = random.make(24);
    const Text needle = random.make(4);
    const Text replacement = random.make(3);
    const int start = random.number(-1, 26);
    const bool flag = random.number(0, 1) == 1;
    const std::optional<int> count =
        random.number(0, 2) == 0 ? std::nullopt : std::optional<int>(random.number(0, 3));
    SCOPED_TRACE(testing::Message() << "round " << round);
    ASSERT_EQ(find_text(text, needle, start, flag), reference_find(text, needle, start, flag));
    ASSERT_EQ(find_text_reverse(text, needle, start, flag),
              reference_find_reverse(text, needle, start, flag));
    ASSERT_EQ(find_text_reverse(text, needle, std::nullopt, flag),
              reference_find_reverse(text, needle, static_cast<int>(text.size()) + 1, flag));
    ASSERT_EQ(replace_text(text, needle, replacement, start, count, flag),
              reference_replace(text, needle, replacement, start, count, flag));
    ASSERT_EQ(split_text(text, needle, count), reference_split(text, needle, count));
  }
}

}  // namespace
}  // namespace varnelle

#include "text/character_scan.h"

#include <cstdint>
#include <cstring>

#include "text/characters.h"

namespace varnelle {

using characters::byte_at;
using characters::fold_case;

namespace {

bool has_lead_byte_in_word(const char* bytes) {
  std::uint64_t word;
  std::memcpy(&word, bytes, sizeof word);
  return (word & 0x8080808080808080ULL) != 0;
}

}  // namespace

CharacterScan::CharacterScan(std::string_view text, std::string_view needle, bool ignore_case,
                             std::size_t from)
    : text_(text),
      needle_(needle),
      border_(needle.size(), 0),
      ignore_case_(ignore_case),
      offset_(from),
      char_start_(from) {
  if (ignore_case_) {
    for (char& c : needle_) c = static_cast<char>(fold_case(static_cast<unsigned char>(c)));
  }
  for (std::size_t k = 1, length = 0; k < needle_.size(); ++k) {
    while (length > 0 && needle_[k] != needle_[length]) length = border_[length - 1];
    if (needle_[k] == needle_[length]) ++length;
    border_[k] = length;
  }
}

std::size_t CharacterScan::next() {
  for (std::size_t found = next_occurrence(); found != npos; found = next_occurrence()) {
    if (is_character_start(found)) return found;
  }
  return npos;
}

void CharacterScan::continue_after(std::size_t offset) {
  offset_ = offset + needle_.size();
  char_start_ = offset_;
  matched_ = 0;
}

bool CharacterScan::is_character_start(std::size_t offset) {
  while (char_start_ < offset) {
    if (char_start_ + 8 <= offset && !has_lead_byte_in_word(text_.data() + char_start_)) {
      char_start_ += 8;
    } else {
      char_start_ += characters::char_width(text_, char_start_);
    }
  }
  return char_start_ == offset;
}

std::size_t CharacterScan::next_occurrence() {
  const std::size_t size = text_.size();
  while (offset_ < size) {
    if (matched_ == 0) {
      offset_ = skip_to_first_byte(offset_);
      if (offset_ == size) break;
    }
    const char byte = static_cast<char>(folded(offset_++));
    while (matched_ > 0 && needle_[matched_] != byte) matched_ = border_[matched_ - 1];
    if (needle_[matched_] == byte) ++matched_;
    if (matched_ == needle_.size()) {
      matched_ = border_[matched_ - 1];
      return offset_ - needle_.size();
    }
  }
  return npos;
}

std::size_t CharacterScan::skip_to_first_byte(std::size_t offset) const {
  const unsigned char first = static_cast<unsigned char>(needle_[0]);
  const bool first_is_letter = first >= 'a' && first <= 'z';
  if (!ignore_case_ || !first_is_letter) {
    const void* hit = std::memchr(text_.data() + offset, first, text_.size() - offset);
    return hit ? static_cast<const char*>(hit) - text_.data() : text_.size();
  }
  while (offset < text_.size() && fold_case(byte_at(text_, offset)) != first) ++offset;
  return offset;
}

unsigned char CharacterScan::folded(std::size_t offset) const {
  const unsigned char byte = byte_at(text_, offset);
  return ignore_case_ ? fold_case(byte) : byte;
}

}  // namespace varnelle

#pragma once
// Character rules shared by the scanning operations: which byte opens a double-byte character,
// which characters are spaces, how ASCII letters fold when case is ignored.

#include <cstddef>
#include <string_view>

namespace varnelle::characters {

inline bool is_lead_byte(unsigned char byte) { return byte >= 0x80; }

inline unsigned char byte_at(std::string_view text, std::size_t offset) {
  return static_cast<unsigned char>(text[offset]);
}

inline unsigned char fold_case(unsigned char byte) {
  return (byte >= 'A' && byte <= 'Z') ? static_cast<unsigned char>(byte + ('a' - 'A')) : byte;
}

// Width in bytes of the character at `offset`. A lead byte that ends the text gives 2 as well, so a
// step over it leaves the text; callers that must treat that byte specially test for it first.
inline std::size_t char_width(std::string_view text, std::size_t offset) {
  return is_lead_byte(byte_at(text, offset)) ? 2 : 1;
}

inline bool is_lone_lead_byte(std::string_view text, std::size_t offset) {
  return offset + 1 == text.size() && is_lead_byte(byte_at(text, offset));
}

// Width of the space that starts at `offset`: 1 for the ASCII space, 2 for the full-width space
// 0xA1 0xA1, 0 when the character there is not a space.
inline std::size_t space_width(std::string_view text, std::size_t offset) {
  const unsigned char byte = byte_at(text, offset);
  if (byte == ' ') return 1;
  if (byte == 0xA1 && offset + 1 < text.size() && byte_at(text, offset + 1) == 0xA1) return 2;
  return 0;
}

}  // namespace varnelle::characters

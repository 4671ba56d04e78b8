// Conversions between texts, bytes and numbers. Number texts never depend on the C locale, which
// Qt sets from the environment: a German desktop must still get "2.5".

#include <algorithm>
#include <charconv>
#include <climits>
#include <cstdint>

#include "text/characters.h"
#include "text/text.h"

namespace varnelle {

namespace {

// The half-width form of a full-width character, or 0 when it has none.
char half_width_form(unsigned char lead, unsigned char trail) {
  if (lead == 0xA3 && trail >= 0xA1 && trail <= 0xFE) return static_cast<char>(trail - 0x80);
  if (lead == 0xA1) {
    switch (trail) {
      case 0xA1:
        return ' ';
      case 0xAB:
        return '~';
      case 0xEE:
      case 0xEF:
        return '*';
    }
  }
  return 0;
}

Text fold_full_width(const Text& text) {
  Text out;
  out.reserve(text.size());
  for (std::size_t offset = 0; offset < text.size();) {
    const unsigned char byte = characters::byte_at(text, offset);
    if (!characters::is_lead_byte(byte)) {
      out.push_back(static_cast<char>(byte));
      ++offset;
      continue;
    }
    if (offset + 1 == text.size()) break;  // a lone lead byte at the end is dropped
    if (const char half = half_width_form(byte, characters::byte_at(text, offset + 1))) {
      out.push_back(half);
    } else {
      out.append(text, offset, 2);
    }
    offset += 2;
  }
  return out;
}

bool is_c_space(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// atoi, with values beyond 32 bits held at INT_MIN or INT_MAX instead of overflowing.
int parse_leading_int(const Text& text) {
  std::size_t offset = 0;
  while (offset < text.size() && is_c_space(text[offset])) ++offset;
  bool negative = false;
  if (offset < text.size() && (text[offset] == '+' || text[offset] == '-')) {
    negative = text[offset++] == '-';
  }
  constexpr std::int64_t kCap = std::int64_t{INT_MAX} + 1;
  std::int64_t value = 0;
  for (; offset < text.size() && text[offset] >= '0' && text[offset] <= '9'; ++offset) {
    value = std::min(value * 10 + (text[offset] - '0'), kCap);
  }
  return static_cast<int>(negative ? -value : std::min<std::int64_t>(value, INT_MAX));
}

}  // namespace

Bytes text_to_bytes(const Text& text) { return Bytes(text.begin(), text.end()); }

Text bytes_to_text(const Bytes& bytes) {
  const auto nul = std::find(bytes.begin(), bytes.end(), std::uint8_t{0});
  return Text(bytes.begin(), nul);
}

Text int_to_text(int n) { return std::to_string(n); }

Text double_to_text(double x) {
  char buffer[64];
  const auto result =
      std::to_chars(buffer, buffer + sizeof buffer, x, std::chars_format::general, 13);
  Text out(buffer, result.ptr);
  // The C library pads the exponent to two digits; the number texts callers expect carry three.
  const std::size_t exponent = out.find('e');
  if (exponent != Text::npos) {
    const std::size_t digits_at = exponent + 2;
    const std::size_t digits = out.size() - digits_at;
    if (digits < 3) out.insert(digits_at, 3 - digits, '0');
  }
  return out;
}

Text hex_text(int n) {
  char buffer[8];
  const auto result =
      std::to_chars(buffer, buffer + sizeof buffer, static_cast<std::uint32_t>(n), 16);
  Text out(buffer, result.ptr);
  for (char& c : out) {
    if (c >= 'a') c = static_cast<char>(c - 'a' + 'A');
  }
  return out;
}

int text_to_int(const Text& text) { return parse_leading_int(fold_full_width(text)); }

std::uint8_t low_byte(int n) { return static_cast<std::uint8_t>(n & 0xFF); }

}  // namespace varnelle

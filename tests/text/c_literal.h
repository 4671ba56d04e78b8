#pragma once
// Test case descriptions: text as a one-line C literal with every byte outside printable ASCII
// escaped. GoogleTest's own string printer appends an "As Text" line to bytes that happen to
// form UTF-8, which would leak into the test names.

#include <cctype>
#include <cstdio>
#include <string>
#include <string_view>

namespace varnelle::testing_text {

inline std::string c_literal(std::string_view bytes) {
  std::string out = "\"";
  bool after_hex_escape = false;
  for (const char ch : bytes) {
    const auto byte = static_cast<unsigned char>(ch);
    // "\xB0" "A", not "\xB0A": a following hex digit would read as part of the escape.
    if (after_hex_escape && std::isxdigit(byte)) out += "\" \"";
    after_hex_escape = false;
    if (ch == '"' || ch == '\\') {
      out += '\\';
      out += ch;
    } else if (ch == '\t') {
      out += "\\t";
    } else if (ch == '\r') {
      out += "\\r";
    } else if (ch == '\n') {
      out += "\\n";
    } else if (byte >= 0x20 && byte < 0x7F) {
      out += ch;
    } else {
      char escape[5];
      std::snprintf(escape, sizeof escape, "\\x%02X", byte);
      out += escape;
      after_hex_escape = true;
    }
  }
  return out + "\"";
}

}  // namespace varnelle::testing_text

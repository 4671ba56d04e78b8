#include "service/json_reply.h"

#include <cstdint>
#include <cstdio>

namespace varnelle::service {
namespace {

// Decodes one UTF-8 sequence at text[i], advancing i; U+FFFD and one byte for a bad one.
std::uint32_t next_code_point(std::string_view text, std::size_t& i) {
  auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
  unsigned char c = byte(i);
  int length = c < 0x80 ? 1 : c >= 0xC2 && c <= 0xDF ? 2 : c >= 0xE0 && c <= 0xEF ? 3
               : c >= 0xF0 && c <= 0xF4 ? 4 : 0;
  if (length == 1) return ++i, c;
  std::uint32_t code = length == 2 ? c & 0x1F : length == 3 ? c & 0x0F : c & 0x07;
  bool ok = length > 0 && i + length <= text.size();
  for (int k = 1; ok && k < length; ++k) {
    ok = (byte(i + k) & 0xC0) == 0x80;
    code = (code << 6) | (byte(i + k) & 0x3F);
  }
  static constexpr std::uint32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
  if (!ok || code < kSmallest[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
    ++i;
    return 0xFFFD;
  }
  i += length;
  return code;
}

void append_escape(std::string& out, std::uint32_t unit) {
  char buffer[8];
  std::snprintf(buffer, sizeof buffer, "\\u%04x", static_cast<unsigned>(unit));
  out += buffer;
}

std::string head(int status, std::string_view message) {
  return "{\"code\":" + std::to_string(status) + ",\"msg\":" + json_quote(message);
}

}  // namespace

std::string json_quote(std::string_view utf8) {
  std::string out = "\"";
  for (std::size_t i = 0; i < utf8.size();) {
    std::uint32_t code = next_code_point(utf8, i);
    switch (code) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (code >= 0x20 && code < 0x7F) {
          out += static_cast<char>(code);
        } else if (code < 0x10000) {
          append_escape(out, code);
        } else {
          code -= 0x10000;
          append_escape(out, 0xD800 + (code >> 10));
          append_escape(out, 0xDC00 + (code & 0x3FF));
        }
    }
  }
  out += '"';
  return out;
}

std::string upload_reply(int status, std::string_view message, std::string_view path) {
  std::string data = path.empty() ? "null" : "{\"path\":" + json_quote(path) + "}";
  return head(status, message) + ",\"data\":" + data + "}";
}

std::string decode_reply(int status, std::string_view message,
                         const std::vector<std::string>& texts) {
  std::string list;
  for (const std::string& text : texts) list += (list.empty() ? "" : ",") + json_quote(text);
  return head(status, message) + ",\"info\":{\"data\":[" + list + "]}}";
}

std::string error_reply(int status, std::string_view message) {
  return head(status, message) + "}";
}

}  // namespace varnelle::service

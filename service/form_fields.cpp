#include "service/form_fields.h"

namespace varnelle::service {
namespace {

int hex_value(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::optional<std::string> percent_decode(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '+') {
      out += ' ';
    } else if (c != '%') {
      out += c;
    } else {
      if (i + 2 >= text.size()) return std::nullopt;
      int high = hex_value(text[i + 1]);
      int low = hex_value(text[i + 2]);
      if (high < 0 || low < 0) return std::nullopt;
      out += static_cast<char>(high * 16 + low);
      i += 2;
    }
  }
  return out;
}

}  // namespace

FormField form_field(std::string_view body, std::string_view name) {
  while (!body.empty()) {
    std::size_t end = body.find('&');
    std::string_view pair = body.substr(0, end);
    body = end == std::string_view::npos ? std::string_view() : body.substr(end + 1);
    std::size_t eq = pair.find('=');
    auto key = percent_decode(pair.substr(0, eq));
    if (!key || *key != name) continue;
    auto value = percent_decode(eq == std::string_view::npos ? "" : pair.substr(eq + 1));
    return value ? FormField{value} : FormField{std::nullopt, FormError::malformed};
  }
  return {};
}

}  // namespace varnelle::service

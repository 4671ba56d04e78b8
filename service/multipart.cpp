#include "service/multipart.h"

#include <algorithm>
#include <cctype>

namespace varnelle::service {
namespace {

constexpr std::size_t kMaxParts = 64;
constexpr std::size_t kMaxHeaderBlock = 8192;
constexpr std::string_view kCrlf = "\r\n";

std::string_view trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

bool equals_ignoring_case(std::string_view a, std::string_view b) {
  return std::ranges::equal(a, b, [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) ==
           std::tolower(static_cast<unsigned char>(y));
  });
}

// Splits "value; key=v; key2=\"v2\"" into its parameters, calling on_param(key, value) for each.
// Quoted values may hold ';' and backslash escapes.
template <typename OnParam>
void for_each_parameter(std::string_view header_value, OnParam on_param) {
  std::size_t i = header_value.find(';');
  while (i != std::string_view::npos && i < header_value.size()) {
    ++i;  // past ';'
    std::size_t eq = header_value.find('=', i);
    std::size_t semi = header_value.find(';', i);
    if (eq == std::string_view::npos || (semi != std::string_view::npos && semi < eq)) {
      i = semi;
      continue;
    }
    std::string_view key = trim(header_value.substr(i, eq - i));
    std::size_t v = eq + 1;
    while (v < header_value.size() && header_value[v] == ' ') ++v;
    std::string value;
    if (v < header_value.size() && header_value[v] == '"') {
      std::size_t k = v + 1;
      for (; k < header_value.size() && header_value[k] != '"'; ++k) {
        if (header_value[k] == '\\' && k + 1 < header_value.size()) ++k;
        value += header_value[k];
      }
      i = header_value.find(';', k);
    } else {
      i = header_value.find(';', v);
      value = trim(header_value.substr(v, i == std::string_view::npos ? i : i - v));
    }
    on_param(key, std::move(value));
  }
}

std::optional<std::string> field_name(std::string_view header_block) {
  while (!header_block.empty()) {
    std::size_t end = header_block.find(kCrlf);
    std::string_view line = header_block.substr(0, end);
    header_block = end == std::string_view::npos ? std::string_view() : header_block.substr(end + 2);
    std::size_t colon = line.find(':');
    if (colon == std::string_view::npos ||
        !equals_ignoring_case(trim(line.substr(0, colon)), "Content-Disposition"))
      continue;
    std::optional<std::string> name;
    for_each_parameter(line.substr(colon + 1), [&](std::string_view key, std::string value) {
      if (!name && equals_ignoring_case(key, "name")) name = std::move(value);
    });
    return name;
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::string> multipart_boundary(std::string_view content_type) {
  std::string_view type = trim(content_type.substr(0, content_type.find(';')));
  if (!equals_ignoring_case(type, "multipart/form-data")) return std::nullopt;
  std::optional<std::string> boundary;
  for_each_parameter(content_type, [&](std::string_view key, std::string value) {
    if (!boundary && equals_ignoring_case(key, "boundary")) boundary = std::move(value);
  });
  if (!boundary || boundary->empty() || boundary->size() > 70) return std::nullopt;
  return boundary;
}

std::optional<std::vector<MultipartPart>> parse_multipart(std::string_view body,
                                                          std::string_view boundary) {
  const std::string delimiter = "--" + std::string(boundary);
  const std::string next_delimiter = "\r\n" + delimiter;
  std::size_t pos = 0;
  if (!body.starts_with(delimiter)) {
    pos = body.find(next_delimiter);  // past a preamble
    if (pos == std::string_view::npos) return std::nullopt;
    pos += 2;
  }
  std::vector<MultipartPart> parts;
  for (;;) {
    pos += delimiter.size();
    if (body.substr(pos, 2) == "--") return parts;  // the closing delimiter; the rest is epilogue
    while (pos < body.size() && (body[pos] == ' ' || body[pos] == '\t')) ++pos;
    if (body.substr(pos, 2) != kCrlf) return std::nullopt;
    pos += 2;
    std::size_t header_end =
        body.substr(pos, 2) == kCrlf ? pos : body.find("\r\n\r\n", pos);
    if (header_end == std::string_view::npos || header_end - pos > kMaxHeaderBlock)
      return std::nullopt;
    std::size_t content_start = header_end == pos ? pos + 2 : header_end + 4;
    std::size_t content_end = body.find(next_delimiter, content_start);
    if (content_end == std::string_view::npos || parts.size() == kMaxParts) return std::nullopt;
    auto name = field_name(body.substr(pos, header_end - pos));
    parts.push_back({name.value_or(""), body.substr(content_start, content_end - content_start)});
    pos = content_end + 2;
  }
}

}  // namespace varnelle::service

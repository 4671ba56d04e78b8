#include "platform/variant.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "platform/codepage.h"

namespace varnelle::platform {
namespace {

template <class... F>
struct Overloaded : F... {
  using F::operator()...;
};

std::u16string ascii_to_wide(std::string_view ascii) { return std::u16string(ascii.begin(), ascii.end()); }

bool is_space(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; }

// A string read as a number: optional surrounding spaces around one decimal number; anything else
// does not convert.
std::optional<double> parse_number(const std::u16string& s) {
  size_t begin = 0, end = s.size();
  while (begin < end && is_space(s[begin])) ++begin;
  while (end > begin && is_space(s[end - 1])) --end;
  if (begin == end) return std::nullopt;
  std::string ascii;
  for (size_t i = begin; i < end; ++i) {
    if (s[i] > 0x7F) return std::nullopt;
    ascii.push_back(static_cast<char>(s[i]));
  }
  if (ascii.find_first_not_of("+-0123456789.eE") != std::string::npos) return std::nullopt;
  char* stop = nullptr;
  double value = std::strtod(ascii.c_str(), &stop);
  if (stop != ascii.c_str() + ascii.size()) return std::nullopt;
  return value;
}

bool equals_ignoring_case(const std::u16string& s, std::u16string_view word) {
  if (s.size() != word.size()) return false;
  for (size_t i = 0; i < s.size(); ++i) {
    char16_t c = s[i] >= u'A' && s[i] <= u'Z' ? s[i] + (u'a' - u'A') : s[i];
    if (c != word[i]) return false;
  }
  return true;
}

}  // namespace

Variant Variant::from_text(const Text& text) { return Variant(ansi_to_wide(text)); }

std::u16string number_to_wide(double x) {
  if (std::isnan(x)) return u"NaN";
  if (std::isinf(x)) return x > 0 ? u"Infinity" : u"-Infinity";
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.15G", x);
  return ascii_to_wide(buffer);
}

std::optional<std::u16string> variant_to_wide(const Variant& v) {
  return std::visit(
      Overloaded{
          [](std::monostate) -> std::optional<std::u16string> { return std::u16string(); },
          [](const std::u16string& s) -> std::optional<std::u16string> { return s; },
          [](std::int32_t n) -> std::optional<std::u16string> {
            return ascii_to_wide(std::to_string(n));
          },
          [](double x) -> std::optional<std::u16string> { return number_to_wide(x); },
          [](bool b) -> std::optional<std::u16string> { return b ? u"-1" : u"0"; },
          [](const Bytes&) -> std::optional<std::u16string> { return std::nullopt; },
      },
      v.value());
}

std::optional<Text> variant_to_text(const Variant& v) {
  auto wide = variant_to_wide(v);
  if (!wide) return std::nullopt;
  return wide_to_ansi(*wide);
}

std::optional<double> variant_to_number(const Variant& v) {
  return std::visit(
      Overloaded{
          [](std::monostate) -> std::optional<double> { return 0.0; },
          [](const std::u16string& s) -> std::optional<double> { return parse_number(s); },
          [](std::int32_t n) -> std::optional<double> { return n; },
          [](double x) -> std::optional<double> { return x; },
          [](bool b) -> std::optional<double> { return b ? -1.0 : 0.0; },
          [](const Bytes&) -> std::optional<double> { return std::nullopt; },
      },
      v.value());
}

std::optional<std::int32_t> variant_to_int(const Variant& v) {
  auto x = variant_to_number(v);
  if (!x || std::isnan(*x)) return std::nullopt;
  // The platform rounds half to even and refuses what does not fit.
  double rounded = std::nearbyint(*x);
  if (rounded < std::numeric_limits<std::int32_t>::min() ||
      rounded > std::numeric_limits<std::int32_t>::max())
    return std::nullopt;
  return static_cast<std::int32_t>(rounded);
}

std::optional<bool> variant_to_bool(const Variant& v) {
  if (v.holds<std::u16string>()) {
    const auto& s = v.get<std::u16string>();
    if (equals_ignoring_case(s, u"true")) return true;
    if (equals_ignoring_case(s, u"false")) return false;
  }
  auto x = variant_to_number(v);
  if (!x) return std::nullopt;
  return *x != 0.0;
}

std::optional<Bytes> variant_to_bytes(const Variant& v) {
  if (v.holds<Bytes>()) return v.get<Bytes>();
  return std::nullopt;
}

}  // namespace varnelle::platform

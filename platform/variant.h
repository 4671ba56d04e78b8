#pragma once
// The values that cross into and out of automation objects, and the platform's conversion of a
// value to the kind a caller asks for (no flags): a boolean read as text is "-1" or "0", a number
// read as text is the platform's number text, a string that is not a number read as a number fails.

#include <cstdint>
#include <optional>
#include <string>
#include <variant>

#include "text/text.h"

namespace varnelle::platform {

class Variant {
 public:
  using Value = std::variant<std::monostate, std::u16string, std::int32_t, double, bool, Bytes>;

  Variant() = default;
  Variant(std::u16string s) : value_(std::move(s)) {}
  // Without this a u"..." literal would pick Variant(bool) through the pointer conversion.
  Variant(const char16_t* s) : value_(std::u16string(s)) {}
  Variant(std::int32_t n) : value_(n) {}
  Variant(double x) : value_(x) {}
  Variant(bool b) : value_(b) {}
  Variant(Bytes b) : value_(std::move(b)) {}
  Variant(const char*) = delete;  // say whether it is ANSI text (from_text) or UTF-16

  // A Text crosses as UTF-16 converted from the ANSI code page.
  static Variant from_text(const Text& text);

  bool is_empty() const { return std::holds_alternative<std::monostate>(value_); }
  template <class T>
  bool holds() const { return std::holds_alternative<T>(value_); }
  template <class T>
  const T& get() const { return std::get<T>(value_); }
  const Value& value() const { return value_; }

  friend bool operator==(const Variant&, const Variant&) = default;

 private:
  Value value_;
};

// Conversions to the kind asked for; nullopt when the value does not convert.
std::optional<Text> variant_to_text(const Variant& v);  // strings come back in the ANSI code page
std::optional<std::u16string> variant_to_wide(const Variant& v);
std::optional<double> variant_to_number(const Variant& v);
std::optional<std::int32_t> variant_to_int(const Variant& v);
std::optional<bool> variant_to_bool(const Variant& v);
std::optional<Bytes> variant_to_bytes(const Variant& v);

// The platform's text for a double: up to 15 significant digits, exponent as in 1E+20.
std::u16string number_to_wide(double x);

}  // namespace varnelle::platform

#pragma once
// application/x-www-form-urlencoded bodies.

#include <optional>
#include <string>
#include <string_view>

namespace varnelle::service {

enum class FormError { missing, malformed };

struct FormField {
  std::optional<std::string> value;  // percent-decoded, '+' as space
  FormError error = FormError::missing;
};

// The first field called name; a field with a broken percent escape is malformed.
FormField form_field(std::string_view body, std::string_view name);

}  // namespace varnelle::service

#pragma once
// The text of a code that carries no ECI marker: its bytes as UTF-8 when they are valid UTF-8,
// else read as GB18030, the superset of GBK that writers of such codes mostly use.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace varnelle::service {

// Strict: no overlong forms, no surrogates, nothing above U+10FFFF.
bool is_valid_utf8(std::string_view bytes);

// Always valid UTF-8; bytes that are not GB18030 either become U+FFFD.
std::string unmarked_text_to_utf8(std::span<const std::uint8_t> bytes);

}  // namespace varnelle::service

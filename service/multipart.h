#pragma once
// A multipart/form-data body, read without copying its contents. Tolerates what simple senders
// do: no line break after the closing delimiter, a preamble, and file names that break the
// quoting rules.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace varnelle::service {

struct MultipartPart {
  std::string name;          // of the form field
  std::string_view content;  // into the body
};

// The boundary of a "multipart/form-data; boundary=..." content type; nullopt for any other.
std::optional<std::string> multipart_boundary(std::string_view content_type);

// The parts in order; nullopt when the body is not well formed (no opening or closing
// delimiter, a part without a header end, too many parts or too long a header block).
std::optional<std::vector<MultipartPart>> parse_multipart(std::string_view body,
                                                          std::string_view boundary);

}  // namespace varnelle::service

#pragma once
// The page at /deqr/: pick a picture, upload it, see the decoded text. Its script drives the
// upload and decode endpoints with the browser's own fetch.

#include <string>
#include <string_view>

namespace varnelle::service {

struct DecodePage {
  std::string html;
  std::string content_security_policy;  // allows exactly the page's own script and style
};

// client_id is one of the plain characters the command line allows.
DecodePage make_decode_page(std::string_view client_id);

}  // namespace varnelle::service

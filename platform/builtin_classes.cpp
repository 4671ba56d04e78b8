#include "platform/builtin_classes.h"

#include "platform/curl_http_request.h"

namespace varnelle::platform {

std::vector<std::pair<Text, ClassFactory>> builtin_classes() {
  return {
      {kHttpRequestProgId, [] { return std::make_shared<CurlHttpRequest>(); }},
  };
}

}  // namespace varnelle::platform

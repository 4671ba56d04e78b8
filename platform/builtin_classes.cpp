#include "platform/builtin_classes.h"

#include "platform/curl_http_request.h"
#include "platform/qjs_script_control.h"

namespace varnelle::platform {

std::vector<std::pair<Text, ClassFactory>> builtin_classes() {
  return {
      {kHttpRequestProgId, [] { return std::make_shared<CurlHttpRequest>(); }},
      {kScriptControlProgId, [] { return std::make_shared<QjsScriptControl>(); }},
  };
}

}  // namespace varnelle::platform

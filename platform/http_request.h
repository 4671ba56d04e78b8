#pragma once
// The HTTP request object's interface, with the members and the contract the web layer relies on.
// The real object (curl_http_request.h) is registered under kHttpRequestProgId; tests register
// recording fakes under the same ProgID or pass one in.

#include <cstdint>

#include "platform/com_object.h"

namespace varnelle::platform {

inline const Text kHttpRequestProgId = "WinHttp.WinHttpRequest.5.1";

inline constexpr std::int32_t kOptionEnableRedirects = 6;
inline constexpr std::int32_t kOptionSslErrorIgnoreFlags = 4;
inline constexpr std::int32_t kProxySettingProxy = 2;

class HttpRequest : public AutomationObject {
 public:
  // Milliseconds. Resolve and connect bound the connection phase; send and receive bound each wait
  // for progress, not the whole transfer.
  virtual CallOutcome SetTimeouts(std::int32_t resolve, std::int32_t connect, std::int32_t send,
                                  std::int32_t receive) = 0;
  virtual CallOutcome SetProxy(std::int32_t setting, const Variant& server) = 0;
  virtual CallOutcome SetRequestHeader(const Variant& name, const Variant& value) = 0;
  virtual CallOutcome Open(const Variant& method, const Variant& url, const Variant& async) = 0;
  virtual CallOutcome put_Option(std::int32_t index, const Variant& value) = 0;
  virtual CallOutcome get_Option(std::int32_t index) = 0;
  // A byte array goes out as it is, a string as UTF-8. Returns once the exchange is complete.
  virtual CallOutcome Send(const Variant& body) = 0;
  virtual CallOutcome ResponseBody() = 0;            // byte array
  virtual CallOutcome GetAllResponseHeaders() = 0;   // string, lines separated by "\r\n"
  virtual CallOutcome Status() = 0;                  // number
};

}  // namespace varnelle::platform

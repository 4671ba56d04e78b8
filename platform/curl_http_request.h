#pragma once
// The HTTP request object on libcurl. One object runs one synchronous exchange at a time and may be
// reused: time-outs, proxy and options stay with the object, headers and the reply belong to one
// exchange (a header set before Open belongs to the exchange that Open starts). It keeps no cookie
// jar and speaks HTTP/1.1, so the reply's header block reads as the server wrote it.
//
// Trust: the system's CA bundle plus whatever SSL_CERT_FILE and SSL_CERT_DIR name, loaded once per
// process and shared by every object. Certificates are verified unless option 4 says which errors
// to ignore.
//
// Objects made on one thread share name lookups and TLS sessions, as a browser's pages do, so the
// next object to the same server resumes the session. An exchange with relaxed certificate checks
// neither resumes a session nor leaves one behind.

#include <memory>

#include "platform/http_request.h"

namespace varnelle::platform {

// Whether the trust store is loaded once and shared (the normal case), or loaded again for every
// exchange (only to measure what sharing saves).
enum class TrustStoreLoading { shared, per_exchange };

class CurlHttpRequest final : public HttpRequest {
 public:
  explicit CurlHttpRequest(TrustStoreLoading trust = TrustStoreLoading::shared);
  ~CurlHttpRequest() override;
  CurlHttpRequest(const CurlHttpRequest&) = delete;
  CurlHttpRequest& operator=(const CurlHttpRequest&) = delete;

  // A value of 0 or less puts no bound of its own.
  CallOutcome SetTimeouts(std::int32_t resolve, std::int32_t connect, std::int32_t send,
                          std::int32_t receive) override;
  // 0 or 1: connect directly; 2: through the proxy "host:port" named by server.
  CallOutcome SetProxy(std::int32_t setting, const Variant& server) override;
  // Replaces a header of the same name (any letter case). A name that is not an HTTP token, or a
  // value holding a line break, fails and sets nothing. "Proxy-Authorization" goes to the proxy
  // only, never to the server.
  CallOutcome SetRequestHeader(const Variant& name, const Variant& value) override;
  // Only synchronous exchanges, only http and https URLs.
  CallOutcome Open(const Variant& method, const Variant& url, const Variant& async) override;
  // Index 6: follow redirects (default true, at most 10; a redirect from https to http is not
  // followed but is itself the reply). Index 4: certificate errors to ignore, the platform's flags
  // 0x0100 unknown CA, 0x0200 wrong usage, 0x1000 wrong name, 0x2000 bad date (default 0).
  CallOutcome put_Option(std::int32_t index, const Variant& value) override;
  CallOutcome get_Option(std::int32_t index) override;
  // Fails when no response arrives (no route, refused, time-out, TLS failure); the reply reads
  // then fail too.
  CallOutcome Send(const Variant& body) override;
  CallOutcome ResponseBody() override;
  // The final response's status line and header lines, each ended by "\r\n", then "\r\n".
  CallOutcome GetAllResponseHeaders() override;
  CallOutcome Status() override;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace varnelle::platform

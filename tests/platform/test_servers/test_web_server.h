#pragma once
// A real HTTP or HTTPS server (cpp-httplib) on a loopback port of its own, run on a thread for
// the test's duration. It records every request it sees and answers by path:
//   /echo                         200, body "<method> <request body>", two Set-Cookie lines
//   /redirect                     302 to /echo
//   /redirect-to?to=URL           302 to URL
//   /bytes?size=N                 200, N bytes
//   /trickle?chunks=N&gap_ms=M    200, N chunks of 100 bytes, one every M ms
//   /stall                        200, a first chunk, then nothing until the client or server goes

#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "test_servers/test_pki.h"

namespace varnelle::test {

struct SeenRequest {
  std::string method;
  std::string path;
  std::string body;
  std::vector<std::pair<std::string, std::string>> headers;

  // The values of every header of that name (any letter case), in order.
  std::vector<std::string> header(std::string_view name) const;
};

class TestWebServer {
 public:
  static std::unique_ptr<TestWebServer> https(const Credentials& credentials);
  static std::unique_ptr<TestWebServer> http();
  ~TestWebServer();

  int port() const;
  std::string url(const std::string& path_and_query) const;
  std::vector<SeenRequest> seen() const;
  // TLS handshakes completed so far, and how many of them resumed an earlier session (https only).
  long tls_handshakes() const;
  long tls_resumptions() const;

 private:
  struct Impl;
  explicit TestWebServer(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> impl_;
};

}  // namespace varnelle::test

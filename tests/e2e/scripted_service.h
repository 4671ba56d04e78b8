#pragma once
// An HTTPS server on loopback that answers the three service paths with replies a test sets, and
// records every request as it arrived. Its certificate comes from the test CA, which the process
// trusts through SSL_CERT_FILE.

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "app/service_endpoints.h"

namespace httplib {
class SSLServer;
}

namespace varnelle::test {

struct ScriptedReply {
  int status = 200;
  std::string body;
  std::vector<std::string> set_cookies;  // one Set-Cookie line each
};

struct RecordedRequest {
  std::string method;
  std::string path;  // with the query
  std::string body;
  std::vector<std::pair<std::string, std::string>> headers;  // in arrival order

  std::string header(const std::string& name) const;  // the first of that name, any case
};

class ScriptedService {
 public:
  ScriptedService();
  ~ScriptedService();

  // path: "/deqr/", "/upload.php" or "/apis/up/deqrimg".
  void answer(const std::string& path, ScriptedReply reply);
  // Runs on the server's thread as each request arrives, while its client waits for the reply.
  void on_request(std::function<void()> hook);
  std::vector<RecordedRequest> requests() const;
  // The two host names of the service are "localhost" and "127.0.0.1" with this server's port.
  ServiceEndpoints endpoints() const;

 private:
  std::unique_ptr<httplib::SSLServer> server_;
  int port_ = 0;
  std::thread thread_;
  mutable std::mutex mutex_;
  std::map<std::string, ScriptedReply> replies_;
  std::vector<RecordedRequest> requests_;
  std::function<void()> hook_;
};

}  // namespace varnelle::test

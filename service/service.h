#pragma once
// The whole service: its TLS identity, its routes and the HTTPS server that carries them.

#include <cstdio>
#include <memory>
#include <string>

#include "service/options.h"
#include "service/request_log.h"
#include "service/routes.h"
#include "service/tls_identity.h"

namespace httplib {
class SSLServer;
}

namespace varnelle::service {

class Service {
 public:
  explicit Service(ServiceOptions options, std::FILE* log = stderr);
  ~Service();
  Service(const Service&) = delete;
  Service& operator=(const Service&) = delete;

  // Prepares the certificate and binds the port; false with error set when either fails.
  bool start(std::string& error);
  // Serves until stop(); call after a successful start().
  void run();
  // Safe from any thread, also before run() has begun.
  void stop();

  int port() const { return port_; }
  // "https://ADDRESS:PORT", the address as listened on.
  std::string url() const;
  const TlsIdentity& identity() const { return identity_; }
  const UploadStore& store() const { return routes_.store(); }

 private:
  ServiceOptions options_;
  RequestLog log_;
  Routes routes_;
  TlsIdentity identity_;
  std::unique_ptr<httplib::SSLServer> server_;
  int port_ = 0;
};

}  // namespace varnelle::service

#pragma once
// A loopback TCP port that takes connections (the kernel completes them) and never answers.

namespace varnelle::test {

class SilentServer {
 public:
  SilentServer();
  ~SilentServer();
  SilentServer(const SilentServer&) = delete;
  SilentServer& operator=(const SilentServer&) = delete;

  int port() const { return port_; }

 private:
  int socket_ = -1;
  int port_ = 0;
};

// A loopback port that nothing listens on, so a connection is refused.
int closed_port();

}  // namespace varnelle::test

#pragma once
// A loopback TCP port that takes connections, keeps what clients send, and never answers.

#include <atomic>
#include <mutex>
#include <string>
#include <thread>

namespace varnelle::test {

class SilentServer {
 public:
  SilentServer();
  ~SilentServer();
  SilentServer(const SilentServer&) = delete;
  SilentServer& operator=(const SilentServer&) = delete;

  int port() const { return port_; }
  // Everything received so far, connection after connection.
  std::string received() const;

 private:
  void take_connections();

  int port_ = 0;
  int socket_ = -1;
  std::atomic<bool> stopping_{false};
  mutable std::mutex mutex_;
  std::string received_;
  std::thread thread_;
};

// A loopback port that nothing listens on, so a connection is refused.
int closed_port();

}  // namespace varnelle::test

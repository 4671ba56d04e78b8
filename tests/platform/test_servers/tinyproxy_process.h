#pragma once
// A real tinyproxy on a loopback port, asking for Basic credentials, started for the test and
// stopped with it.

#include <string>

namespace varnelle::test {

class TinyproxyProcess {
 public:
  // connect_port: the one port the proxy tunnels to with CONNECT.
  TinyproxyProcess(const std::string& user, const std::string& password, int connect_port);
  ~TinyproxyProcess();
  TinyproxyProcess(const TinyproxyProcess&) = delete;
  TinyproxyProcess& operator=(const TinyproxyProcess&) = delete;

  std::string address() const;  // "127.0.0.1:<port>"

 private:
  void stop();

  std::string directory_;
  int port_ = 0;
  int pid_ = -1;
};

}  // namespace varnelle::test

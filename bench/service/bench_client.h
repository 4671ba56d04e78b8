#pragma once
// A client of the service for benchmarks and the load run: the three exchanges as Varnelle
// makes them, each on a new TLS connection, trusting the service's CA.

#include <httplib.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace varnelle::service::bench {

class BenchClient {
 public:
  BenchClient(const std::string& host, int port, const std::filesystem::path& ca_file);

  // Page, upload, decode; true when the decode reply holds at least one text. On false,
  // error() tells which step failed and how.
  bool decode(const std::vector<std::uint8_t>& picture);
  const std::string& error() const { return error_; }

 private:
  httplib::SSLClient client_;
  std::string error_;
};

}  // namespace varnelle::service::bench

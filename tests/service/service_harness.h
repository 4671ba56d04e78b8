#pragma once
// A real varnelle-service on a loopback port of its own, and a client that talks to it the way
// Varnelle does: over HTTPS that trusts the service's local CA, with the exact upload body and
// the percent-encoded decode form.

#include <httplib.h>
#include <sys/types.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "service/options.h"
#include "service/service.h"

namespace varnelle::service::testing {

// A folder of its own under the system's temporary folder, removed with the object.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

struct Reply {
  int status = 0;  // 0: no reply at all
  std::string body;
  std::string set_cookie;
};

class RunningService {
 public:
  // options.state_dir is replaced by a fresh temporary folder; the port is any free one.
  explicit RunningService(ServiceOptions options = {});
  ~RunningService();

  int port() const { return service_->port(); }
  const Service& service() const { return *service_; }
  const std::filesystem::path& ca_file() const { return service_->identity().ca_file; }
  // What the service logged so far.
  std::string log_text() const;

  // host: "127.0.0.1" or "localhost", both names of the same service.
  std::unique_ptr<httplib::SSLClient> client(const std::string& host = "127.0.0.1") const;

  // GET /deqr/; the "name=value" of the cookie it sets.
  std::string session_cookie(const std::string& host = "127.0.0.1") const;
  Reply upload(const std::vector<std::uint8_t>& bytes, const std::string& cookie,
               const std::string& kid = "varnelle", const std::string& host = "127.0.0.1") const;
  // Sends "img=" and the path with every byte but - . 0-9 A-Z a-z as %XX.
  Reply decode(const std::string& path, const std::string& cookie,
               const std::string& host = "127.0.0.1") const;
  Reply post(const std::string& target, const std::string& body, const std::string& content_type,
             const std::string& cookie = {}) const;

 private:
  TempDir state_;
  std::FILE* log_;
  std::unique_ptr<Service> service_;
  std::thread thread_;
};

// Starts a program with the environment of this process, changed by env_extra ("NAME=value"
// each), its standard output on stdout_fd (-1: /dev/null) and its standard error discarded.
// The process id, or -1.
pid_t spawn_program(const std::vector<std::string>& args, const std::vector<std::string>& env_extra,
                    int stdout_fd = -1);

// The multipart body Varnelle sends, byte for byte.
std::string varnelle_upload_body(const std::vector<std::uint8_t>& bytes,
                                 const std::string& filename = "qr.png");
inline constexpr const char* kVarnelleUploadType =
    "multipart/form-data; boundary=---------------------------15960252185333";

// From a reply body: "data.path" of an upload, "info.data" of a decode (JSON parsed by Qt).
std::string upload_path(const std::string& json);
std::vector<std::string> decoded_texts(const std::string& json);
std::string json_message(const std::string& json);

// The whole road: page, upload, decode; the decoded texts.
std::vector<std::string> decode_through_service(const RunningService& service,
                                                const std::vector<std::uint8_t>& picture);

}  // namespace varnelle::service::testing

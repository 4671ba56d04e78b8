#include "bench_client.h"

#include "codec/url_encode.h"

namespace varnelle::service::bench {
namespace {

constexpr const char* kBoundary = "---------------------------15960252185333";

std::string body_for(const std::vector<std::uint8_t>& picture) {
  return std::string("--") + kBoundary +
         "\r\nContent-Disposition: form-data; name=\"Filedata\"; filename=\"qr.png\"\r\n"
         "Content-Type: image/png\r\n\r\n" +
         std::string(picture.begin(), picture.end()) + "\r\n--" + kBoundary + "--";
}

// The service writes its replies itself, in ASCII, so a plain search finds the path.
std::string path_in(const std::string& reply) {
  const std::string key = "\"path\":\"";
  auto start = reply.find(key);
  if (start == std::string::npos) return {};
  start += key.size();
  return reply.substr(start, reply.find('"', start) - start);
}

std::string describe(const httplib::Result& result) {
  return result ? "status " + std::to_string(result->status) + ": " + result->body
                : "no reply: " + httplib::to_string(result.error());
}

}  // namespace

BenchClient::BenchClient(const std::string& host, int port, const std::filesystem::path& ca_file)
    : client_(host, port) {
  client_.set_ca_cert_path(ca_file.string());
  client_.enable_server_certificate_verification(true);
  client_.set_connection_timeout(30);
  client_.set_read_timeout(120);
  client_.set_write_timeout(120);
}

bool BenchClient::decode(const std::vector<std::uint8_t>& picture) {
  auto page = client_.Get("/deqr/");
  if (!page || page->status != 200) return error_ = "page: " + describe(page), false;
  std::string cookie = page->get_header_value("Set-Cookie");
  httplib::Headers headers{{"Cookie", cookie.substr(0, cookie.find(';'))}};
  auto stored = client_.Post("/upload.php?kid=varnelle", headers, body_for(picture),
                             std::string("multipart/form-data; boundary=") + kBoundary);
  if (!stored || stored->status != 200) return error_ = "upload: " + describe(stored), false;
  auto decoded = client_.Post("/apis/up/deqrimg", headers,
                              "img=" + url_encode(path_in(stored->body), true),
                              "application/x-www-form-urlencoded");
  if (!decoded || decoded->status != 200 || decoded->body.find("\"data\":[\"") == std::string::npos)
    return error_ = "decode: " + describe(decoded), false;
  return true;
}

}  // namespace varnelle::service::bench

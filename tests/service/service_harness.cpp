#include "service_harness.h"

#include "codec/url_encode.h"

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <fcntl.h>
#include <spawn.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <stdexcept>

extern char** environ;

namespace varnelle::service::testing {

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "varnelle-service-XXXXXX");
  if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

RunningService::RunningService(ServiceOptions options) : log_(std::tmpfile()) {
  options.state_dir = state_.path() / "state";
  options.port = 0;
  service_ = std::make_unique<Service>(options, log_);
  std::string error;
  if (!service_->start(error)) throw std::runtime_error("service did not start: " + error);
  thread_ = std::thread([this] { service_->run(); });
}

RunningService::~RunningService() {
  service_->stop();
  thread_.join();
  std::fclose(log_);
}

std::string RunningService::log_text() const {
  std::fflush(log_);
  std::string text;
  std::rewind(log_);
  char buffer[4096];
  while (std::size_t n = std::fread(buffer, 1, sizeof buffer, log_)) text.append(buffer, n);
  std::fseek(log_, 0, SEEK_END);
  return text;
}

std::unique_ptr<httplib::SSLClient> RunningService::client(const std::string& host) const {
  auto client = std::make_unique<httplib::SSLClient>(host, port());
  client->set_ca_cert_path(ca_file().string());
  client->enable_server_certificate_verification(true);
  client->set_connection_timeout(10);
  client->set_read_timeout(60);
  client->set_write_timeout(60);
  return client;
}

namespace {

Reply to_reply(const httplib::Result& result) {
  if (!result) return {};
  return {result->status, result->body, result->get_header_value("Set-Cookie")};
}

httplib::Headers cookie_header(const std::string& cookie) {
  if (cookie.empty()) return {};
  return {{"Cookie", cookie}};
}

QJsonObject parse(const std::string& json) {
  return QJsonDocument::fromJson(QByteArray(json.data(), static_cast<int>(json.size()))).object();
}

}  // namespace

std::string RunningService::session_cookie(const std::string& host) const {
  Reply page = to_reply(client(host)->Get("/deqr/"));
  return page.set_cookie.substr(0, page.set_cookie.find(';'));
}

Reply RunningService::upload(const std::vector<std::uint8_t>& bytes, const std::string& cookie,
                             const std::string& kid, const std::string& host) const {
  return to_reply(client(host)->Post("/upload.php?kid=" + kid, cookie_header(cookie),
                                     varnelle_upload_body(bytes), kVarnelleUploadType));
}

Reply RunningService::decode(const std::string& path, const std::string& cookie,
                             const std::string& host) const {
  return to_reply(client(host)->Post("/apis/up/deqrimg", cookie_header(cookie),
                                     "img=" + url_encode(path, true),
                                     "application/x-www-form-urlencoded"));
}

Reply RunningService::post(const std::string& target, const std::string& body,
                           const std::string& content_type, const std::string& cookie) const {
  return to_reply(client()->Post(target, cookie_header(cookie), body, content_type));
}

pid_t spawn_program(const std::vector<std::string>& args, const std::vector<std::string>& env_extra,
                    int stdout_fd) {
  std::vector<std::string> env_strings = env_extra;
  for (char** e = environ; *e; ++e) {
    std::string_view entry = *e;
    std::string_view name = entry.substr(0, entry.find('=') + 1);
    bool replaced = std::ranges::any_of(
        env_extra, [&](const std::string& extra) { return extra.starts_with(name); });
    if (!replaced) env_strings.emplace_back(entry);
  }
  std::vector<char*> argv, envp;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  for (std::string& e : env_strings) envp.push_back(e.data());
  envp.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (stdout_fd >= 0) {
    posix_spawn_file_actions_adddup2(&actions, stdout_fd, STDOUT_FILENO);
  } else {
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  }
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  pid_t pid = -1;
  int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  return rc == 0 ? pid : -1;
}

std::string varnelle_upload_body(const std::vector<std::uint8_t>& bytes,
                                 const std::string& filename) {
  return "-----------------------------15960252185333\r\n"
         "Content-Disposition: form-data; name=\"Filedata\"; filename=\"" + filename + "\"\r\n"
         "Content-Type: image/png\r\n\r\n" +
         std::string(bytes.begin(), bytes.end()) +
         "\r\n-----------------------------15960252185333--";
}

std::string upload_path(const std::string& json) {
  return parse(json)["data"].toObject()["path"].toString().toStdString();
}

std::vector<std::string> decoded_texts(const std::string& json) {
  std::vector<std::string> texts;
  for (const QJsonValue& text : parse(json)["info"].toObject()["data"].toArray())
    texts.push_back(text.toString().toStdString());
  return texts;
}

std::string json_message(const std::string& json) {
  return parse(json)["msg"].toString().toStdString();
}

std::vector<std::string> decode_through_service(const RunningService& service,
                                                const std::vector<std::uint8_t>& picture) {
  std::string cookie = service.session_cookie();
  Reply stored = service.upload(picture, cookie);
  if (stored.status != 200) throw std::runtime_error("upload failed: " + stored.body);
  Reply decoded = service.decode(upload_path(stored.body), cookie);
  return decoded_texts(decoded.body);
}

}  // namespace varnelle::service::testing

#include "service/service.h"

#include <httplib.h>
#include <openssl/ssl.h>

#include <csignal>

namespace varnelle::service {
namespace {

bool load_identity(SSL_CTX& ctx, const TlsIdentity& identity) {
  SSL_CTX_set_min_proto_version(&ctx, TLS1_2_VERSION);
  SSL_CTX_set_options(&ctx, SSL_OP_NO_COMPRESSION | SSL_OP_NO_RENEGOTIATION);
  return SSL_CTX_use_certificate_chain_file(&ctx, identity.cert_file.c_str()) == 1 &&
         SSL_CTX_use_PrivateKey_file(&ctx, identity.key_file.c_str(), SSL_FILETYPE_PEM) == 1 &&
         SSL_CTX_check_private_key(&ctx) == 1;
}

}  // namespace

Service::Service(ServiceOptions options, std::FILE* log)
    : options_(std::move(options)), log_(log), routes_(options_, log_) {}

Service::~Service() = default;

bool Service::start(std::string& error) {
  // A peer that goes away mid-reply must cost a failed write, not the process.
  std::signal(SIGPIPE, SIG_IGN);
  if (options_.cert_file.empty()) {
    identity_ = ensure_local_identity(options_.state_dir, error);
    if (identity_.cert_file.empty()) return false;
  } else {
    identity_ = {options_.cert_file, options_.key_file, {}};
  }
  server_ = std::make_unique<httplib::SSLServer>(
      [this](SSL_CTX& ctx) { return load_identity(ctx, identity_); });
  if (!server_->is_valid()) {
    error = "cannot use the certificate " + identity_.cert_file.string() + " with the key " +
            identity_.key_file.string();
    return false;
  }
  const int threads = options_.threads;
  server_->new_task_queue = [threads] { return new httplib::ThreadPool(threads); };
  // Headers and body go out in separate writes; without this each reply waits on a delayed ACK.
  server_->set_tcp_nodelay(true);
  server_->set_keep_alive_max_count(100);
  server_->set_keep_alive_timeout(5);
  server_->set_read_timeout(15);
  server_->set_write_timeout(15);
  routes_.install(*server_);

  if (options_.port == 0) {
    port_ = server_->bind_to_any_port(options_.listen);
  } else if (server_->bind_to_port(options_.listen, options_.port)) {
    port_ = options_.port;
  }
  if (port_ <= 0) {
    error = "cannot listen on " + options_.listen + " port " + std::to_string(options_.port);
    return false;
  }
  return true;
}

void Service::run() { server_->listen_after_bind(); }

void Service::stop() {
  if (server_) server_->stop();
}

std::string Service::url() const {
  bool v6 = options_.listen.find(':') != std::string::npos;
  return "https://" + (v6 ? "[" + options_.listen + "]" : options_.listen) + ":" +
         std::to_string(port_);
}

}  // namespace varnelle::service

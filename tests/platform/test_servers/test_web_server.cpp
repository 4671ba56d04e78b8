#include "test_servers/test_web_server.h"

#include <httplib.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <mutex>
#include <stdexcept>
#include <thread>

namespace varnelle::test {
namespace {

using namespace std::chrono_literals;

bool equals_ignoring_case(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

int query_number(const httplib::Request& request, const char* key, int fallback) {
  return request.has_param(key) ? std::stoi(request.get_param_value(key)) : fallback;
}

}  // namespace

std::vector<std::string> SeenRequest::header(std::string_view name) const {
  std::vector<std::string> values;
  for (const auto& [key, value] : headers) {
    if (equals_ignoring_case(key, name)) values.push_back(value);
  }
  return values;
}

struct TestWebServer::Impl {
  std::unique_ptr<httplib::Server> server;
  std::string scheme;
  int port = 0;
  std::thread thread;
  std::atomic<bool> stopping{false};
  mutable std::mutex mutex;
  std::vector<SeenRequest> seen;

  void record(const httplib::Request& request) {
    SeenRequest entry{request.method, request.path, request.body, {}};
    for (const auto& header : request.headers) entry.headers.push_back(header);
    std::lock_guard lock(mutex);
    seen.push_back(std::move(entry));
  }

  void answer(const httplib::Request& request, httplib::Response& response) {
    record(request);
    if (request.path == "/echo") {
      response.set_header("Set-Cookie", "sid=abc; Path=/; HttpOnly");
      response.set_header("Set-Cookie", "lang=cn");
      response.set_content(request.method + " " + request.body, "text/plain");
    } else if (request.path == "/redirect") {
      response.set_redirect("/echo");
    } else if (request.path == "/redirect-to") {
      response.set_redirect(request.get_param_value("to"));
    } else if (request.path == "/bytes") {
      response.set_content(std::string(query_number(request, "size", 0), 'x'),
                           "application/octet-stream");
    } else if (request.path == "/trickle") {
      int chunks = query_number(request, "chunks", 1);
      auto gap = std::chrono::milliseconds(query_number(request, "gap_ms", 0));
      response.set_chunked_content_provider(
          "application/octet-stream", [this, chunks, gap](size_t offset, httplib::DataSink& sink) {
            if (offset > 0) std::this_thread::sleep_for(gap);
            if (stopping || offset >= static_cast<size_t>(chunks) * 100) {
              sink.done();
              return true;
            }
            return sink.write(std::string(100, 't').data(), 100);
          });
    } else if (request.path == "/stall") {
      response.set_chunked_content_provider(
          "application/octet-stream", [this](size_t offset, httplib::DataSink& sink) {
            if (offset == 0) return sink.write("first", 5);
            auto until = std::chrono::steady_clock::now() + 20s;
            while (!stopping && sink.is_writable() && std::chrono::steady_clock::now() < until) {
              std::this_thread::sleep_for(20ms);
            }
            return false;
          });
    } else {
      response.status = 404;
    }
  }
};

TestWebServer::TestWebServer(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {
  Impl& s = *impl_;
  auto handler = [&s](const httplib::Request& request, httplib::Response& response) {
    s.answer(request, response);
  };
  s.server->Get(".*", handler);
  s.server->Post(".*", handler);
  s.server->Put(".*", handler);
  s.server->Delete(".*", handler);
  s.server->Options(".*", handler);
  s.server->set_tcp_nodelay(true);  // headers and body go out in separate writes
  s.port = s.server->bind_to_any_port("127.0.0.1");
  if (s.port <= 0) throw std::runtime_error("test web server: cannot bind");
  s.thread = std::thread([&s] { s.server->listen_after_bind(); });
  for (int i = 0; i < 500 && !s.server->is_running(); ++i) std::this_thread::sleep_for(2ms);
}

std::unique_ptr<TestWebServer> TestWebServer::https(const Credentials& credentials) {
  auto impl = std::make_unique<Impl>();
  impl->server =
      std::make_unique<httplib::SSLServer>(credentials.certificate.get(), credentials.key.get());
  impl->scheme = "https";
  return std::unique_ptr<TestWebServer>(new TestWebServer(std::move(impl)));
}

std::unique_ptr<TestWebServer> TestWebServer::http() {
  auto impl = std::make_unique<Impl>();
  impl->server = std::make_unique<httplib::Server>();
  impl->scheme = "http";
  return std::unique_ptr<TestWebServer>(new TestWebServer(std::move(impl)));
}

TestWebServer::~TestWebServer() {
  impl_->stopping = true;
  impl_->server->stop();
  impl_->thread.join();
}

int TestWebServer::port() const { return impl_->port; }

std::string TestWebServer::url(const std::string& path_and_query) const {
  return impl_->scheme + "://127.0.0.1:" + std::to_string(impl_->port) + path_and_query;
}

std::vector<SeenRequest> TestWebServer::seen() const {
  std::lock_guard lock(impl_->mutex);
  return impl_->seen;
}

long TestWebServer::tls_handshakes() const {
  auto* tls = dynamic_cast<httplib::SSLServer*>(impl_->server.get());
  return tls ? SSL_CTX_sess_accept_good(tls->ssl_context()) : 0;
}

long TestWebServer::tls_resumptions() const {
  auto* tls = dynamic_cast<httplib::SSLServer*>(impl_->server.get());
  return tls ? SSL_CTX_sess_hits(tls->ssl_context()) : 0;
}

}  // namespace varnelle::test

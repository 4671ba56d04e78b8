#include "scripted_service.h"

#include <httplib.h>
#include <strings.h>

#include <chrono>

#include "test_servers/test_pki.h"

namespace varnelle::test {
namespace {
constexpr char kHiddenType[] = "X-Scripted-Content-Type";
}  // namespace

std::string RecordedRequest::header(const std::string& name) const {
  for (const auto& [key, value] : headers)
    if (strcasecmp(key.c_str(), name.c_str()) == 0) return value;
  return {};
}

ScriptedService::ScriptedService() {
  const Credentials& credentials = TestPki::instance().trusted_server();
  server_ = std::make_unique<httplib::SSLServer>(credentials.certificate.get(),
                                                  credentials.key.get());
  // httplib would parse a multipart body itself, and refuses one without a line break after its
  // closing delimiter; the type is moved aside so the body arrives raw, and put back when recorded.
  server_->set_pre_routing_handler([](const httplib::Request& request, httplib::Response&) {
    auto& headers = const_cast<httplib::Headers&>(request.headers);
    auto type = headers.find("Content-Type");
    if (type != headers.end()) {
      headers.emplace(kHiddenType, type->second);
      headers.erase(type);
    }
    return httplib::Server::HandlerResponse::Unhandled;
  });
  auto handle = [this](const httplib::Request& request, httplib::Response& response) {
    RecordedRequest seen{request.method, request.target, request.body, {}};
    for (const auto& [name, value] : request.headers)
      seen.headers.emplace_back(name == kHiddenType ? "Content-Type" : name, value);
    std::lock_guard lock(mutex_);
    if (hook_) hook_();
    requests_.push_back(std::move(seen));
    auto it = replies_.find(request.path);
    if (it == replies_.end()) {
      response.status = 404;
      return;
    }
    response.status = it->second.status;
    for (const std::string& cookie : it->second.set_cookies)
      response.headers.emplace("Set-Cookie", cookie);
    response.set_content(it->second.body, "application/json");
  };
  server_->Get(".*", handle);
  server_->Post(".*", handle);
  port_ = server_->bind_to_any_port("127.0.0.1");
  thread_ = std::thread([this] { server_->listen_after_bind(); });
  for (int i = 0; i < 500 && !server_->is_running(); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
}

ScriptedService::~ScriptedService() {
  server_->stop();
  thread_.join();
}

void ScriptedService::answer(const std::string& path, ScriptedReply reply) {
  std::lock_guard lock(mutex_);
  replies_[path] = std::move(reply);
}

void ScriptedService::on_request(std::function<void()> hook) {
  std::lock_guard lock(mutex_);
  hook_ = std::move(hook);
}

std::vector<RecordedRequest> ScriptedService::requests() const {
  std::lock_guard lock(mutex_);
  return requests_;
}

ServiceEndpoints ScriptedService::endpoints() const {
  const std::string port = std::to_string(port_);
  return {"localhost:" + port, "127.0.0.1:" + port, "test-kid"};
}

}  // namespace varnelle::test

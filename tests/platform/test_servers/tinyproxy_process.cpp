#include "test_servers/tinyproxy_process.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <thread>

#include "test_servers/silent_server.h"

namespace varnelle::test {
namespace {

bool accepts_connections(int port) {
  int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(static_cast<uint16_t>(port));
  bool connected = connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  close(fd);
  return connected;
}

}  // namespace

TinyproxyProcess::TinyproxyProcess(const std::string& user, const std::string& password,
                                   int connect_port)
    : port_(closed_port()) {
  directory_ = (std::filesystem::temp_directory_path() / "varnelle-tinyproxy-XXXXXX").string();
  if (!mkdtemp(directory_.data())) throw std::runtime_error("tinyproxy: temporary directory");
  const std::string config = directory_ + "/tinyproxy.conf";
  std::ofstream(config) << "Port " << port_ << "\n"
                        << "Listen 127.0.0.1\n"
                        << "Allow 127.0.0.1\n"
                        << "Timeout 30\n"
                        << "MaxClients 20\n"
                        << "LogLevel Error\n"
                        << "BasicAuth " << user << " " << password << "\n"
                        << "ConnectPort " << connect_port << "\n";
  pid_ = fork();
  if (pid_ == 0) {
    int null = open("/dev/null", O_WRONLY);
    dup2(null, STDOUT_FILENO);
    execlp("tinyproxy", "tinyproxy", "-d", "-c", config.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (pid_ > 0 && !accepts_connections(port_)) {
    if (waitpid(pid_, nullptr, WNOHANG) == pid_) pid_ = -1;
    if (std::chrono::steady_clock::now() > deadline) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  if (pid_ <= 0 || !accepts_connections(port_)) {
    stop();
    throw std::runtime_error("tinyproxy did not start (is it installed? see scripts/setup)");
  }
}

TinyproxyProcess::~TinyproxyProcess() { stop(); }

void TinyproxyProcess::stop() {
  if (pid_ > 0) {
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }
  std::error_code ignored;
  std::filesystem::remove_all(directory_, ignored);
}

std::string TinyproxyProcess::address() const { return "127.0.0.1:" + std::to_string(port_); }

}  // namespace varnelle::test

#include "test_servers/silent_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>

namespace varnelle::test {
namespace {

// Binds a loopback socket to a port the kernel picks; returns the socket, its port in port.
int bind_loopback(int& port) {
  int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    if (fd >= 0) close(fd);
    throw std::runtime_error("cannot bind a loopback port");
  }
  port = ntohs(address.sin_port);
  return fd;
}

// Waits up to 20 ms for fd to become readable, so that a stop request is seen soon.
bool readable(int fd) {
  pollfd entry{fd, POLLIN, 0};
  return poll(&entry, 1, 20) > 0;
}

}  // namespace

SilentServer::SilentServer() {
  socket_ = bind_loopback(port_);
  if (listen(socket_, 64) != 0) {
    close(socket_);
    throw std::runtime_error("silent server: cannot listen");
  }
  thread_ = std::thread([this] { take_connections(); });
}

SilentServer::~SilentServer() {
  stopping_ = true;
  thread_.join();
  close(socket_);
}

std::string SilentServer::received() const {
  std::lock_guard lock(mutex_);
  return received_;
}

void SilentServer::take_connections() {
  while (!stopping_) {
    if (!readable(socket_)) continue;
    int connection = accept(socket_, nullptr, nullptr);
    if (connection < 0) continue;
    char buffer[4096];
    while (!stopping_) {
      if (!readable(connection)) continue;
      ssize_t n = read(connection, buffer, sizeof buffer);
      if (n <= 0) break;
      std::lock_guard lock(mutex_);
      received_.append(buffer, static_cast<size_t>(n));
    }
    close(connection);
  }
}

int closed_port() {
  int port = 0;
  close(bind_loopback(port));
  return port;
}

}  // namespace varnelle::test

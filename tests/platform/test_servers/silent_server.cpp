#include "test_servers/silent_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
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

}  // namespace

SilentServer::SilentServer() : socket_(bind_loopback(port_)) {
  if (listen(socket_, 64) != 0) throw std::runtime_error("silent server: cannot listen");
}

SilentServer::~SilentServer() { close(socket_); }

int closed_port() {
  int port = 0;
  close(bind_loopback(port));
  return port;
}

}  // namespace varnelle::test

// varnelle-service: the QR-decoding service, on the command line.

#include <pthread.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <thread>

#include "service/options.h"
#include "service/service.h"

namespace {

const char* env(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

}  // namespace

int main(int argc, char** argv) {
  using namespace varnelle::service;
  std::vector<std::string> args(argv + 1, argv + argc);
  ParsedOptions parsed =
      parse_options(args, default_state_dir(env("XDG_STATE_HOME"), env("HOME")));
  if (parsed.show_help) {
    std::cout << usage_text();
    return 0;
  }
  if (!parsed.error.empty()) {
    std::cerr << "varnelle-service: " << parsed.error << "\n"
              << "Try 'varnelle-service --help'.\n";
    return 2;
  }

  // The signals are taken by a thread of their own, where stopping the server is safe.
  sigset_t stop_signals;
  sigemptyset(&stop_signals);
  sigaddset(&stop_signals, SIGINT);
  sigaddset(&stop_signals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stop_signals, nullptr);

  Service service(parsed.options);
  std::string error;
  if (!service.start(error)) {
    std::cerr << "varnelle-service: " << error << "\n";
    return 1;
  }
  std::cout << "listening on " << service.url() << "\n";
  if (!service.identity().ca_file.empty())
    std::cout << "trust: " << service.identity().ca_file.string() << "\n";
  std::cout << std::flush;

  std::thread signal_waiter([&] {
    int signal = 0;
    sigwait(&stop_signals, &signal);
    service.stop();
  });
  service.run();
  // run() also ends when listening fails; wake the waiter so it can be joined.
  pthread_kill(signal_waiter.native_handle(), SIGTERM);
  signal_waiter.join();
  return 0;
}

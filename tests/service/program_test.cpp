// The varnelle-service program itself: its help, and a start with only a free port asked for.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <utility>

#include "service/tls_identity.h"
#include "service_harness.h"

namespace varnelle::service::testing {
namespace {

// The program with its standard output on a pipe; killed with SIGTERM when it goes out of scope.
class Program {
 public:
  Program(const std::vector<std::string>& args, const std::vector<std::string>& env_extra) {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
    std::vector<std::string> argv{VARNELLE_SERVICE_PROGRAM};
    argv.insert(argv.end(), args.begin(), args.end());
    pid_ = spawn_program(argv, env_extra, fds[1]);
    close(fds[1]);
    out_ = fds[0];
    if (pid_ < 0) throw std::runtime_error("the program did not start");
  }
  ~Program() {
    if (pid_ > 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    close(out_);
  }

  // The next line of standard output, or "" when none comes within the time.
  std::string read_line(std::chrono::seconds timeout = std::chrono::seconds(20)) {
    auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
      if (auto nl = buffer_.find('\n'); nl != std::string::npos) {
        std::string line = buffer_.substr(0, nl);
        buffer_.erase(0, nl + 1);
        return line;
      }
      auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
          deadline - std::chrono::steady_clock::now());
      pollfd p{out_, POLLIN, 0};
      if (left.count() <= 0 || poll(&p, 1, static_cast<int>(left.count())) <= 0) return "";
      char chunk[512];
      ssize_t n = read(out_, chunk, sizeof chunk);
      if (n <= 0) return "";
      buffer_.append(chunk, n);
    }
  }

  // Everything up to the end of standard output.
  std::string read_all() {
    char chunk[4096];
    while (ssize_t n = read(out_, chunk, sizeof chunk)) {
      if (n < 0) break;
      buffer_.append(chunk, n);
    }
    return std::exchange(buffer_, {});
  }

  // Sends sig and waits for the exit status.
  int stop(int sig) {
    kill(pid_, sig);
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }

 private:
  pid_t pid_ = -1;
  int out_ = -1;
  std::string buffer_;
};

TEST(ServiceProgram, HelpExplainsEveryOption) {
  Program program({"--help"}, {});
  const std::string help = program.read_all();
  for (const char* option : {"--listen", "--port", "--client-id", "--cert", "--key",
                             "--state-dir", "--max-upload", "--store-cap", "--expire",
                             "--threads", "--allow-remote", "8443"}) {
    EXPECT_NE(help.find(option), std::string::npos) << option;
  }
  EXPECT_EQ(program.stop(0), 0);
}

TEST(ServiceProgram, StartsWithItsOwnCaAndStopsOnSigterm) {
  TempDir home;
  Program program({"--port", "0"}, {"XDG_STATE_HOME=" + home.path().string()});
  const std::string listening = program.read_line();
  ASSERT_TRUE(listening.starts_with("listening on https://127.0.0.1:")) << listening;
  const int port = std::stoi(listening.substr(listening.rfind(':') + 1));
  const auto ca = home.path() / "varnelle-service" / "ca.pem";
  EXPECT_EQ(program.read_line(), "trust: " + ca.string());

  httplib::SSLClient client("localhost", port);
  client.set_ca_cert_path(ca.string());
  client.enable_server_certificate_verification(true);
  auto page = client.Get("/deqr/");
  ASSERT_TRUE(page) << httplib::to_string(page.error());
  EXPECT_EQ(page->status, 200);
  EXPECT_EQ(program.stop(SIGTERM), 0);
}

TEST(ServiceProgram, ServesAGivenCertificate) {
  TempDir dir;
  std::string error;
  const TlsIdentity given = ensure_local_identity(dir.path() / "elsewhere", error);
  ASSERT_EQ(error, "");
  Program program({"--port", "0", "--state-dir", (dir.path() / "state").string(), "--cert",
                   given.cert_file.string(), "--key", given.key_file.string()},
                  {});
  const std::string listening = program.read_line();
  ASSERT_TRUE(listening.starts_with("listening on https://127.0.0.1:")) << listening;
  EXPECT_EQ(program.read_line(std::chrono::seconds(1)), "");  // no CA of its own to trust
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "state" / "ca.pem"));

  httplib::SSLClient client("127.0.0.1", std::stoi(listening.substr(listening.rfind(':') + 1)));
  client.set_ca_cert_path(given.ca_file.string());
  client.enable_server_certificate_verification(true);
  auto page = client.Get("/deqr/");
  ASSERT_TRUE(page) << httplib::to_string(page.error());
  EXPECT_EQ(page->status, 200);
}

TEST(ServiceProgram, RefusesABadCommandLine) {
  Program program({"--listen", "0.0.0.0"}, {});
  EXPECT_EQ(program.read_line(std::chrono::seconds(5)), "");
  EXPECT_EQ(program.stop(0), 2);
}

}  // namespace
}  // namespace varnelle::service::testing

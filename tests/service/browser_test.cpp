// The decode page in a real browser: headless Chromium, driven by chromedriver over WebDriver,
// trusts the service's local CA through a fresh NSS database, picks a QR picture, uploads it
// and shows the decoded text.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <chrono>
#include <fstream>
#include <thread>

#include "qr_fixture.h"
#include "service_harness.h"

namespace varnelle::service::testing {
namespace {

constexpr const char* kChromium = "/usr/bin/chromium";
constexpr const char* kChromedriver = "/usr/bin/chromedriver";
constexpr const char* kCertutil = "/usr/bin/certutil";
constexpr const char* kElementKey = "element-6066-11e4-a52e-4f735466cecf";

bool runnable(const char* path) { return access(path, X_OK) == 0; }

// Runs a program to its end; its exit status.
int run(const std::vector<std::string>& args, const std::vector<std::string>& env_extra) {
  pid_t pid = spawn_program(args, env_extra);
  int status = 0;
  if (pid < 0 || waitpid(pid, &status, 0) < 0) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int free_loopback_port() {
  int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
  socklen_t size = sizeof addr;
  getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &size);
  close(fd);
  return ntohs(addr.sin_port);
}

QJsonObject json_object(const std::string& text) {
  return QJsonDocument::fromJson(QByteArray::fromStdString(text)).object();
}

// A minimal WebDriver client: one session, the calls this test needs.
class WebDriver {
 public:
  explicit WebDriver(int port) : http_("127.0.0.1", port) {
    http_.set_read_timeout(120);
    for (int i = 0; i < 100 && !ready(); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }

  bool ready() {
    auto status = http_.Get("/status");
    return status && json_object(status->body)["value"].toObject()["ready"].toBool();
  }

  bool open_session(const QJsonArray& chromium_args) {
    QJsonObject options{{"binary", kChromium}, {"args", chromium_args}};
    QJsonObject capabilities{{"browserName", "chrome"}, {"goog:chromeOptions", options}};
    QJsonObject request{{"capabilities", QJsonObject{{"alwaysMatch", capabilities}}}};
    QJsonObject reply = call("POST", "/session", request);
    session_ = reply["sessionId"].toString().toStdString();
    return !session_.empty();
  }

  ~WebDriver() {
    if (!session_.empty()) http_.Delete("/session/" + session_);
  }

  void go(const std::string& url) { call("POST", path("/url"), {{"url", QString::fromStdString(url)}}); }

  std::string element(const std::string& css) {
    QJsonObject reply = call("POST", path("/element"), {{"using", "css selector"}, {"value", QString::fromStdString(css)}});
    return reply[kElementKey].toString().toStdString();
  }

  void send_keys(const std::string& element_id, const std::string& text) {
    call("POST", path("/element/" + element_id + "/value"), {{"text", QString::fromStdString(text)}});
  }

  void click(const std::string& element_id) {
    call("POST", path("/element/" + element_id + "/click"), QJsonObject{});
  }

  std::string script(const std::string& body) {
    QJsonObject request{{"script", QString::fromStdString(body)}, {"args", QJsonArray{}}};
    return value_of("POST", path("/execute/sync"), request).toString().toStdString();
  }

 private:
  std::string path(const std::string& rest) const { return "/session/" + session_ + rest; }

  QJsonValue value_of(const std::string& method, const std::string& target,
                      const QJsonObject& body) {
    std::string text = QJsonDocument(body).toJson(QJsonDocument::Compact).toStdString();
    auto reply = method == "POST" ? http_.Post(target, text, "application/json") : http_.Get(target);
    if (!reply) return {};
    return json_object(reply->body)["value"];
  }

  QJsonObject call(const std::string& method, const std::string& target, const QJsonObject& body) {
    return value_of(method, target, body).toObject();
  }

  httplib::Client http_;
  std::string session_;
};

TEST(ServiceBrowserPage, DecodesAPickedPictureInChromium) {
  if (!runnable(kChromium) || !runnable(kChromedriver))
    GTEST_SKIP() << "chromium and chromium-driver are not installed (scripts/setup installs them)";
  ASSERT_TRUE(runnable(kCertutil)) << "certutil is missing: scripts/setup installs libnss3-tools";

  RunningService service;
  TempDir home;
  // Chromium on Linux trusts the CAs of the NSS database under $HOME.
  const std::string db = "sql:" + (home.path() / ".pki" / "nssdb").string();
  std::filesystem::create_directories(home.path() / ".pki" / "nssdb");
  const std::vector<std::string> env = {"HOME=" + home.path().string()};
  ASSERT_EQ(run({kCertutil, "-N", "-d", db, "--empty-password"}, env), 0);
  ASSERT_EQ(run({kCertutil, "-A", "-d", db, "-n", "varnelle-service", "-t", "C,,", "-i",
                 service.ca_file().string()},
                env),
            0);

  const std::string text = "https://example.com/浏览器?ok=1";
  const auto picture_path = home.path() / "qr code.png";
  const auto picture = qr_png(text);
  std::ofstream(picture_path, std::ios::binary)
      .write(reinterpret_cast<const char*>(picture.data()), picture.size());

  const int driver_port = free_loopback_port();
  const pid_t driver = spawn_program({kChromedriver, "--port=" + std::to_string(driver_port)}, env);
  ASSERT_GT(driver, 0);
  struct Reaper {
    pid_t pid;
    ~Reaper() {
      kill(pid, SIGTERM);
      waitpid(pid, nullptr, 0);
    }
  } reaper{driver};

  WebDriver browser(driver_port);
  ASSERT_TRUE(browser.open_session({"--headless=new", "--no-sandbox", "--disable-gpu",
                                    "--disable-quic", "--no-first-run",
                                    "--disable-background-networking",
                                    "--disable-component-update", "--disable-sync",
                                    "--user-data-dir=" + QString::fromStdString(
                                        (home.path() / "profile").string())}));
  browser.go("https://localhost:" + std::to_string(service.port()) + "/deqr/");
  const std::string file_input = browser.element("#file");
  ASSERT_FALSE(file_input.empty()) << "the page did not load: is the CA trusted?";
  EXPECT_EQ(browser.script("return getComputedStyle(document.getElementById('preview')).display"),
            "none");  // nothing picked, nothing shown
  browser.send_keys(file_input, picture_path.string());
  browser.click(browser.element("#decode"));

  std::string decoded;
  for (int i = 0; i < 300 && decoded.empty(); ++i) {
    decoded = browser.script("return document.getElementById('result').value");
    if (decoded.empty()) std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  EXPECT_EQ(decoded, text) << browser.script("return document.getElementById('status').textContent");
  EXPECT_EQ(browser.script("return document.getElementById('status').textContent"), "Decoded.");
  // The picked picture is shown (the page's policy lets it load from a blob: address).
  EXPECT_EQ(browser.script("const p = document.getElementById('preview');"
                           "return p.hidden ? 'hidden' : String(p.naturalWidth)"),
            std::to_string((make_qr(text).width + 8) * 4));
  // The session cookie stays out of the page's reach.
  EXPECT_EQ(browser.script("return document.cookie").find("vsid"), std::string::npos);
}

}  // namespace
}  // namespace varnelle::service::testing

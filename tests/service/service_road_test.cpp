// The whole road over real HTTPS on loopback: the page and its cookie, the upload, the decode,
// and every kind of bad input, after which the service still serves.

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <thread>

#include "platform/codepage.h"
#include "qr_fixture.h"
#include "service_harness.h"

namespace varnelle::service::testing {
namespace {

// GBK bytes: the ANSI code page holds every GBK text in the same bytes.
std::string gbk(std::string_view utf8) { return platform::utf8_to_ansi(utf8); }

std::vector<std::uint8_t> two_codes_png(std::string_view left, std::string_view right) {
  Canvas canvas(900, 420);
  canvas.draw(make_qr(left), 220, 210, 5);
  canvas.draw(make_qr(right), 680, 210, 5);
  return png_bytes(canvas);
}

std::vector<std::uint8_t> rotated_png(std::string_view text, double degrees) {
  Canvas canvas(600, 600);
  canvas.fill_texture(3);
  canvas.draw(make_qr(text), 300, 300, 5, degrees);
  return png_bytes(canvas);
}

class ServiceRoad : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { service_ = new RunningService(); }
  static void TearDownTestSuite() {
    delete service_;
    service_ = nullptr;
  }
  static RunningService* service_;
};
RunningService* ServiceRoad::service_ = nullptr;

struct RoadCase {
  const char* label;
  std::vector<std::uint8_t> picture;
  std::vector<std::string> texts;  // in any order
};

TEST_F(ServiceRoad, DecodesWhatItIsGiven) {
  const std::string url = "https://example.com/path?q=1&r=two";
  const std::string chinese = "二维码内容：你好，世界";
  const std::vector<RoadCase> cases = {
      {"an ASCII URL", qr_png(url), {url}},
      {"UTF-8 Chinese text without ECI", qr_png(chinese), {chinese}},
      {"UTF-8 text with an ECI marker", qr_png(chinese, QrMarker::utf8_eci), {chinese}},
      {"GBK bytes without ECI", qr_png(gbk(chinese)), {chinese}},
      {"two codes in one picture", two_codes_png("left code", "right code"),
       {"left code", "right code"}},
      {"a code turned by 30 degrees", rotated_png(url, 30), {url}},
      {"a 12-megapixel photo with a turned code", qr_photo_jpeg(chinese), {chinese}},
  };
  for (const RoadCase& c : cases) {
    SCOPED_TRACE(c.label);
    std::vector<std::string> texts = decode_through_service(*service_, c.picture);
    std::vector<std::string> expected = c.texts;
    std::ranges::sort(texts);
    std::ranges::sort(expected);
    EXPECT_EQ(texts, expected);
  }
}

TEST_F(ServiceRoad, BindsByCookieNotByHostName) {
  // Varnelle's page and decode host differ from its upload host; the cookie is what counts.
  std::string cookie = service_->session_cookie("localhost");
  Reply stored = service_->upload(qr_png("hosts"), cookie, "varnelle", "127.0.0.1");
  ASSERT_EQ(stored.status, 200) << stored.body;
  Reply decoded = service_->decode(upload_path(stored.body), cookie, "localhost");
  EXPECT_EQ(decoded.status, 200);
  EXPECT_EQ(decoded_texts(decoded.body), std::vector<std::string>{"hosts"});
}

TEST_F(ServiceRoad, WorksWithoutCookies) {
  Reply stored = service_->upload(qr_png("no cookie"), "");
  ASSERT_EQ(stored.status, 200);
  EXPECT_EQ(decoded_texts(service_->decode(upload_path(stored.body), "").body),
            std::vector<std::string>{"no cookie"});
}

TEST_F(ServiceRoad, ThePageSetsASessionCookie) {
  auto reply = service_->client()->Get("/deqr/");
  ASSERT_TRUE(reply);
  EXPECT_EQ(reply->status, 200);
  EXPECT_NE(reply->body.find("<form"), std::string::npos);
  EXPECT_NE(reply->get_header_value("Content-Security-Policy").find("script-src 'sha256-"),
            std::string::npos);
  std::string cookie = reply->get_header_value("Set-Cookie");
  ASSERT_TRUE(cookie.starts_with("vsid="));
  std::string value = cookie.substr(5, cookie.find(';') - 5);
  EXPECT_EQ(value.size(), 32u);  // 128 bits in hex
  EXPECT_EQ(cookie.substr(cookie.find(';')), "; HttpOnly; Secure; SameSite=Lax; Path=/");
  EXPECT_NE(service_->session_cookie(), "vsid=" + value);
}

// What an error reply holds besides its code and message: the upload route's reply says there
// is no data, the decode route's has an empty list of texts.
constexpr const char* kUploadShape = "\"data\":null}";
constexpr const char* kDecodeShape = "\"info\":{\"data\":[]}}";
constexpr const char* kPlainShape = "\"msg\":";

struct BadCase {
  const char* label;
  std::function<Reply(const RunningService&)> send;
  int status;
  const char* message_part;
  const char* shape;
};

TEST_F(ServiceRoad, BadInputGetsItsErrorAndTheServiceGoesOn) {
  const auto picture = qr_png("fine");
  const std::vector<BadCase> cases = {
      {"a wrong client id",
       [&](const RunningService& s) { return s.upload(picture, "", "someone-else"); }, 403,
       "client id", kUploadShape},
      {"no client id",
       [&](const RunningService& s) {
         return s.post("/upload.php", varnelle_upload_body(picture), kVarnelleUploadType);
       },
       403, "client id", kUploadShape},
      {"a body that is not multipart",
       [&](const RunningService& s) {
         return s.post("/upload.php?kid=varnelle", "img=1", "application/x-www-form-urlencoded");
       },
       415, "multipart", kUploadShape},
      {"a multipart body without its closing delimiter",
       [&](const RunningService& s) {
         std::string body = varnelle_upload_body(picture);
         return s.post("/upload.php?kid=varnelle", body.substr(0, body.size() - 48),
                       kVarnelleUploadType);
       },
       400, "malformed", kUploadShape},
      {"a multipart body without the Filedata field",
       [&](const RunningService& s) {
         std::string body = varnelle_upload_body(picture);
         body.replace(body.find("Filedata"), 8, "Filedate");
         return s.post("/upload.php?kid=varnelle", body, kVarnelleUploadType);
       },
       400, "Filedata", kUploadShape},
      {"an empty file",
       [&](const RunningService& s) { return s.upload({}, ""); }, 400, "empty", kUploadShape},
      {"a path that climbs out",
       [](const RunningService& s) { return s.decode("../../etc/passwd", ""); }, 400,
       "not an upload path", kDecodeShape},
      {"an absolute path",
       [](const RunningService& s) { return s.decode("/etc/passwd", ""); }, 400,
       "not an upload path", kDecodeShape},
      {"a climb inside the upload folder",
       [](const RunningService& s) { return s.decode("/u/../../../../etc/passwd", ""); }, 400,
       "not an upload path", kDecodeShape},
      {"a climb after a handle",
       [](const RunningService& s) {
         return s.decode("/u/" + std::string(32, 'a') + ".png/../../etc/passwd", "");
       },
       400, "not an upload path", kDecodeShape},
      {"an encoded climb",
       [](const RunningService& s) {
         return s.post("/apis/up/deqrimg", "img=%2e%2e%2f%2e%2e%2fetc%2fpasswd",
                       "application/x-www-form-urlencoded");
       },
       400, "not an upload path", kDecodeShape},
      {"no img field",
       [](const RunningService& s) {
         return s.post("/apis/up/deqrimg", "image=x", "application/x-www-form-urlencoded");
       },
       400, "no img", kDecodeShape},
      {"a broken percent escape",
       [](const RunningService& s) {
         return s.post("/apis/up/deqrimg", "img=%2", "application/x-www-form-urlencoded");
       },
       400, "malformed", kDecodeShape},
      {"a handle nobody was given",
       [](const RunningService& s) { return s.decode("/u/" + std::string(32, 'b') + ".png", ""); },
       404, "no such upload", kDecodeShape},
      {"a method the service has no use for",
       [](const RunningService& s) {
         auto reply = s.client()->Put("/upload.php?kid=varnelle", "x", "text/plain");
         return reply ? Reply{reply->status, reply->body, {}} : Reply{};
       },
       405, "method not allowed", kPlainShape},
      {"an unknown path",
       [](const RunningService& s) { return s.post("/upload.asp", "x", "text/plain"); }, 404,
       "no such path", kPlainShape},
  };
  for (const BadCase& c : cases) {
    SCOPED_TRACE(c.label);
    Reply reply = c.send(*service_);
    EXPECT_EQ(reply.status, c.status) << reply.body;
    EXPECT_NE(json_message(reply.body).find(c.message_part), std::string::npos) << reply.body;
    EXPECT_NE(reply.body.find(c.shape), std::string::npos) << reply.body;
  }
  EXPECT_EQ(decode_through_service(*service_, picture), std::vector<std::string>{"fine"});
}

TEST_F(ServiceRoad, NotAnImageAndNoCodeGiveAnEmptyList) {
  const std::vector<std::pair<std::vector<std::uint8_t>, std::pair<int, std::string>>> cases = {
      {std::vector<std::uint8_t>{'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd'},
       {415, "not an image"}},
      {{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13}, {415, "not an image"}},
      {png_bytes(Canvas(200, 200)), {200, "no QR code found"}},
  };
  for (const auto& [picture, outcome] : cases) {
    std::string cookie = service_->session_cookie();
    Reply stored = service_->upload(picture, cookie);
    ASSERT_EQ(stored.status, 200) << stored.body;
    Reply decoded = service_->decode(upload_path(stored.body), cookie);
    EXPECT_EQ(decoded.status, outcome.first);
    EXPECT_EQ(json_message(decoded.body), outcome.second);
    EXPECT_NE(decoded.body.find("\"info\":{\"data\":[]}"), std::string::npos) << decoded.body;
  }
}

TEST_F(ServiceRoad, AnUploadIsOnlyForItsSessionAndOnlyOnce) {
  std::string owner = service_->session_cookie(), stranger = service_->session_cookie();
  Reply stored = service_->upload(qr_png("mine"), owner);
  const std::string path = upload_path(stored.body);
  EXPECT_EQ(service_->decode(path, stranger).status, 404);
  EXPECT_EQ(service_->decode(path, "").status, 404);
  Reply decoded = service_->decode(path, owner);
  EXPECT_EQ(decoded_texts(decoded.body), std::vector<std::string>{"mine"});
  EXPECT_EQ(service_->decode(path, owner).status, 404);
}

TEST_F(ServiceRoad, TheLogHoldsNoSecrets) {
  std::string cookie = service_->session_cookie();
  Reply stored = service_->upload(qr_png("log me not"), cookie);
  service_->decode(upload_path(stored.body), cookie);
  const std::string log = service_->log_text();
  EXPECT_NE(log.find("GET /deqr/ 200 "), std::string::npos) << log;
  EXPECT_NE(log.find("POST /upload.php 200 "), std::string::npos) << log;
  EXPECT_NE(log.find("POST /apis/up/deqrimg 200 "), std::string::npos) << log;
  EXPECT_EQ(log.find(cookie.substr(5)), std::string::npos);
  EXPECT_EQ(log.find("kid="), std::string::npos);
  EXPECT_EQ(log.find("PNG"), std::string::npos);
  EXPECT_EQ(log.find(upload_path(stored.body)), std::string::npos);
}

TEST(ServiceLimits, OversizeBodiesAreRefused) {
  ServiceOptions options;
  options.max_upload = 64 * 1024;
  RunningService service(options);
  const std::vector<std::uint8_t> big(100 * 1024, 7);
  Reply reply = service.upload(big, "");
  EXPECT_EQ(reply.status, 413);
  // Without a length, the body is cut off where it passes the limit.
  auto chunked = service.client()->Post(
      "/upload.php?kid=varnelle",
      [&](std::size_t offset, httplib::DataSink& sink) {
        if (offset >= big.size()) {
          sink.done();
        } else {
          sink.write(reinterpret_cast<const char*>(big.data()) + offset,
                     std::min<std::size_t>(16 * 1024, big.size() - offset));
        }
        return true;
      },
      kVarnelleUploadType);
  EXPECT_TRUE(!chunked || chunked->status == 413);
  // curl, like Varnelle's own client, asks before sending a large body, and is told no at once.
  TempDir dir;
  const auto body_file = dir.path() / "body";
  std::ofstream(body_file, std::ios::binary) << varnelle_upload_body(big);
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  pid_t curl = spawn_program(
      {"/usr/bin/curl", "-s", "-o", "/dev/null", "-w", "%{http_code}", "--cacert",
       service.ca_file().string(), "-H", std::string("Content-Type: ") + kVarnelleUploadType,
       "-H", "Expect: 100-continue", "--data-binary", "@" + body_file.string(),
       "https://127.0.0.1:" + std::to_string(service.port()) + "/upload.php?kid=varnelle"},
      {}, fds[1]);
  close(fds[1]);
  ASSERT_GT(curl, 0);
  char status[8] = {};
  ASSERT_EQ(read(fds[0], status, 3), 3);
  close(fds[0]);
  waitpid(curl, nullptr, 0);
  EXPECT_STREQ(status, "413");
  EXPECT_EQ(decode_through_service(service, qr_png("still here")),
            std::vector<std::string>{"still here"});
}

TEST(ServiceLimits, UploadsExpire) {
  ServiceOptions options;
  options.expire = std::chrono::seconds(1);
  RunningService service(options);
  std::string cookie = service.session_cookie();
  Reply stored = service.upload(qr_png("late"), cookie);
  std::this_thread::sleep_for(std::chrono::milliseconds(1200));
  Reply decoded = service.decode(upload_path(stored.body), cookie);
  EXPECT_EQ(decoded.status, 404);
  EXPECT_EQ(service.service().store().count(), 0u);
}

TEST(ServiceLimits, AFullStoreRefusesUntilThereIsRoom) {
  const auto picture = qr_png("room");
  const std::size_t cost = picture.size() + UploadStore::kOverheadBytes;
  ServiceOptions options;
  options.store_cap = options.max_upload = std::max<std::size_t>(1024, cost + 100);
  ASSERT_GT(2 * cost, options.store_cap);
  RunningService service(options);
  Reply first = service.upload(picture, "");
  EXPECT_EQ(first.status, 200);
  EXPECT_EQ(service.upload(picture, "").status, 503);
  EXPECT_EQ(decoded_texts(service.decode(upload_path(first.body), "").body),
            std::vector<std::string>{"room"});
  EXPECT_EQ(service.upload(picture, "").status, 200);
}

}  // namespace
}  // namespace varnelle::service::testing

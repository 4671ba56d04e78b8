// The three exchanges as a real HTTPS server receives them, and what comes back of its replies.

#include "app/decode_exchanges.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "platform/codepage.h"
#include "scripted_service.h"
#include "test_servers/silent_server.h"

namespace varnelle {
namespace {

using test::RecordedRequest;
using test::ScriptedReply;
using test::ScriptedService;

std::string as_string(const Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }
Bytes as_bytes(const std::string& s) { return Bytes(s.begin(), s.end()); }

const std::string kUploadReply = R"({"code":200,"msg":"ok","data":{"path":"/u/a b-1.png"}})";
const std::string kDecodeReply = R"({"code":200,"msg":"ok","info":{"data":["first","second"]}})";

class ExchangesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    service.answer("/deqr/", {200, "<html></html>", {"sid=abc; path=/; HttpOnly", "lang=cn"}});
    service.answer("/upload.php", {200, kUploadReply, {"up=1; path=/", "lang=en"}});
    service.answer("/apis/up/deqrimg", {200, kDecodeReply, {}});
  }

  Text run(const Text& file_name, const Bytes& image, ExchangeTrace* trace = nullptr) {
    JsonDocument document;
    return run_decode_exchanges(document, service.endpoints(), file_name, image, trace);
  }

  RecordedRequest request(size_t i) {
    auto all = service.requests();
    return i < all.size() ? all[i] : RecordedRequest{};
  }

  ScriptedService service;
};

TEST_F(ExchangesTest, RunsThePageTheUploadAndTheDecodeWithTheirCookies) {
  ExchangeTrace trace;
  EXPECT_EQ(run("a.jpg", as_bytes("B"), &trace), "first");
  ASSERT_EQ(service.requests().size(), 3u);
  const ServiceEndpoints endpoints = service.endpoints();

  RecordedRequest page = request(0);
  EXPECT_EQ(page.method, "GET");
  EXPECT_EQ(page.path, "/deqr/");
  EXPECT_EQ(page.header("Cookie"), "");
  EXPECT_EQ(page.header("Referer"), endpoints.decode_page_url());
  EXPECT_EQ(page.header("Accept"), "*/*");

  RecordedRequest upload = request(1);
  EXPECT_EQ(upload.method, "POST");
  EXPECT_EQ(upload.path, "/upload.php?kid=test-kid");
  EXPECT_EQ(upload.header("Host"), endpoints.upload_host);
  EXPECT_EQ(upload.header("Cookie"), "sid=abc; lang=cn");
  EXPECT_EQ(upload.header("Content-Type"),
            "multipart/form-data; boundary=---------------------------15960252185333");
  EXPECT_EQ(upload.header("Origin"), "https://" + endpoints.service_host);
  EXPECT_EQ(upload.header("Referer"), endpoints.decode_page_url());
  EXPECT_EQ(upload.header("Accept-Language"), "zh-cn,zh;q=0.8,en-us;q=0.5,en;q=0.3");
  EXPECT_EQ(upload.header("Accept"),
            "text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8");
  EXPECT_EQ(upload.header("User-Agent"), "Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)");
  EXPECT_EQ(upload.header("Pragma"), "no-cache");
  EXPECT_EQ(upload.header("Cache-Control"), "no-cache");
  // 181 bytes of template around the name and the image.
  EXPECT_EQ(upload.body.size(), 181u + 5u + 1u);
  EXPECT_EQ(upload.body,
            "-----------------------------15960252185333\r\n"
            "Content-Disposition: form-data; name=\"Filedata\"; filename=\"a.jpg\"\r\n"
            "Content-Type: image/png\r\n\r\nB\r\n"
            "-----------------------------15960252185333--");

  RecordedRequest decode = request(2);
  EXPECT_EQ(decode.method, "POST");
  EXPECT_EQ(decode.path, "/apis/up/deqrimg");
  EXPECT_EQ(decode.body, "img=%2Fu%2Fa%20b-1.png");
  // The upload's cookies first, then the page's that it did not set again.
  EXPECT_EQ(decode.header("Cookie"), "up=1; lang=en; sid=abc");
  EXPECT_EQ(decode.header("Content-Type"), "application/x-www-form-urlencoded");
  EXPECT_EQ(decode.header("Referer"), endpoints.decode_endpoint_url());

  EXPECT_EQ(trace.page_status, 200);
  EXPECT_EQ(trace.upload_status, 200);
  EXPECT_EQ(trace.decode_status, 200);
  EXPECT_EQ(trace.image_path, "/u/a b-1.png");
}

TEST_F(ExchangesTest, UploadsEveryPictureAsPngUnderItsOwnName) {
  const std::string png = "\x89PNG\r\n\x1a\n", jpeg = "\xFF\xD8\xFF\xE0", gif = "GIF89a";
  struct Case {
    Text file_name;
    std::string image;
    std::string sent_name;
  } cases[] = {
      {"qr.png", png, "qr.png"},
      {"photo.jpg", jpeg, "photo.jpg"},
      {"anim.gif", gif, "anim.gif"},
      {"{img}.png", png, "{img}.png"},
      {"say \"hi\".png", png, "say %22hi%22.png"},
      {"two\r\nlines.png", png, "two%0D%0Alines.png"},
      {"", "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file_name);
    const size_t before = service.requests().size();
    run(c.file_name, as_bytes(c.image));
    EXPECT_EQ(request(before + 1).body,
              "-----------------------------15960252185333\r\n"
              "Content-Disposition: form-data; name=\"Filedata\"; filename=\"" +
                  c.sent_name + "\"\r\nContent-Type: image/png\r\n\r\n" + c.image +
                  "\r\n-----------------------------15960252185333--");
  }
}

TEST_F(ExchangesTest, ReadsUtf8RepliesInTheAnsiCodePage) {
  service.answer("/apis/up/deqrimg", {200, "{\"info\":{\"data\":[\"\xE4\xB8\xAD\xE6\x96\x87 \xF0\x9F\x98\x80\"]}}", {}});
  EXPECT_EQ(platform::ansi_to_utf8_string(run("a.png", as_bytes("x"))),
            "\xE4\xB8\xAD\xE6\x96\x87 \xF0\x9F\x98\x80");

  // A reply that is not UTF-8 is taken as it is.
  service.answer("/apis/up/deqrimg", {200, "{\"info\":{\"data\":[\"\xD6\xD0\"]}}", {}});
  EXPECT_EQ(run("a.png", as_bytes("x")), "\xD6\xD0");
}

TEST_F(ExchangesTest, BadRepliesFlowOnAsEmptyValues) {
  struct Case {
    const char* what;
    ScriptedReply upload;
  } cases[] = {
      {"an HTML error page", {500, "<html><body>Internal error</body></html>", {}}},
      {"JSON without the path", {200, R"({"data":{}})", {}}},
      {"a reply that throws", {200, "(function(){throw 'no'})()", {}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    service.answer("/upload.php", c.upload);
    service.answer("/apis/up/deqrimg", {200, R"({"info":{"data":[]}})", {}});
    const size_t before = service.requests().size();
    EXPECT_EQ(run("a.png", as_bytes("x")), "");
    EXPECT_EQ(request(before + 2).body, "img=");
  }
}

TEST_F(ExchangesTest, AReplyThatLoopsForeverEndsWithinTheScriptTimeLimit) {
  service.answer("/upload.php", {200, "(function(){for(;;){}})()", {}});
  service.answer("/apis/up/deqrimg", {200, R"({"info":{"data":[]}})", {}});
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(run("a.png", as_bytes("x")), "");
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(60));
  EXPECT_EQ(request(2).body, "img=");
}

TEST(ExchangesWithoutService, AnUnreachableServiceGivesAnEmptyTextAndStatusZero) {
  const std::string port = std::to_string(test::closed_port());
  const ServiceEndpoints nowhere{"localhost:" + port, "127.0.0.1:" + port, "kid"};
  JsonDocument document;
  ExchangeTrace trace;
  EXPECT_EQ(run_decode_exchanges(document, nowhere, "a.png", as_bytes("x"), &trace), "");
  EXPECT_EQ(trace.page_status, 0);
  EXPECT_EQ(trace.upload_status, 0);
  EXPECT_EQ(trace.decode_status, 0);
}

TEST(UploadBody, KeepsTheTemplateAroundNameAndImage) {
  EXPECT_EQ(std::string(kUploadBodyTemplate).size(), 197u);
  const std::string image("\0\r\n{img}\xFF", 9);
  EXPECT_EQ(as_string(upload_body("n", as_bytes(image))).size(), 181u + 1u + image.size());
}

TEST(UploadHeaderBlock, HasItsTenLinesInOrder) {
  const ServiceEndpoints endpoints{"svc.test", "up.test", "K1"};
  EXPECT_EQ(upload_header_block(endpoints),
            "POST /upload.php?kid=K1 HTTP/1.1\r\n"
            "Host: up.test\r\n"
            "Accept: text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8\r\n"
            "Accept-Language: zh-cn,zh;q=0.8,en-us;q=0.5,en;q=0.3\r\n"
            "Referer: https://svc.test/deqr/\r\n"
            "Content-Type: multipart/form-data; boundary=---------------------------15960252185333\r\n"
            "Origin: https://svc.test\r\n"
            "Connection: keep-alive\r\n"
            "Pragma: no-cache\r\n"
            "Cache-Control: no-cache\r\n");
}

}  // namespace
}  // namespace varnelle

// web_request against real servers on loopback: an HTTPS server with a certificate from a CA
// trusted through SSL_CERT_FILE, one whose certificate nothing trusts, a silent port and tinyproxy.

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "net/web_request.h"
#include "platform/com.h"
#include "platform/curl_http_request.h"
#include "test_servers/silent_server.h"
#include "test_servers/test_pki.h"
#include "test_servers/test_web_server.h"
#include "test_servers/tinyproxy_process.h"

namespace varnelle {
namespace {

using test::SeenRequest;
using test::TestPki;
using test::TestWebServer;
using Strings = std::vector<std::string>;

// The test CA must be trusted before the process's first TLS exchange builds the shared store.
class TrustTestCa : public testing::Environment {
 public:
  void SetUp() override { TestPki::instance(); }
};
const testing::Environment* const kTrustTestCa = testing::AddGlobalTestEnvironment(new TrustTestCa);

// The out fields of one call, each given.
struct Exchange {
  Text cookies;
  Text returned_cookies;
  Text headers;
  Text response_headers;
  std::int32_t status = -1;
  Text body;

  WebRequestOptions options() {
    WebRequestOptions o;
    o.cookies = &cookies;
    o.returned_cookies = &returned_cookies;
    o.headers = &headers;
    o.response_headers = &response_headers;
    o.status = &status;
    return o;
  }
  void run(const Text& url, WebRequestOptions o) { body = bytes_to_text(web_request(url, o)); }
  void run(const Text& url) { run(url, options()); }
};

class WebRequestLiveTest : public testing::Test {
 protected:
  std::unique_ptr<TestWebServer> server_ =
      TestWebServer::https(TestPki::instance().trusted_server());
  Exchange exchange_;
};

TEST_F(WebRequestLiveTest, GetCarriesDefaultsAndCookiesAndCollectsTheReplysCookies) {
  exchange_.cookies = "old=1; sid=stale";
  const Text url = server_->url("/echo");
  exchange_.run(url);

  EXPECT_EQ(exchange_.status, 200);
  EXPECT_EQ(exchange_.body, "GET ");
  EXPECT_EQ(exchange_.returned_cookies, "sid=abc; lang=cn; old=1");
  EXPECT_EQ(exchange_.cookies, "sid=abc; lang=cn; old=1");
  EXPECT_TRUE(exchange_.response_headers.starts_with("HTTP/1.1 200 OK\r\n"));

  const SeenRequest seen = server_->seen().back();
  EXPECT_EQ(seen.header("Cookie"), Strings{"old=1; sid=stale"});
  EXPECT_EQ(seen.header("Accept"), Strings{"*/*"});
  EXPECT_EQ(seen.header("Referer"), Strings{url});
  EXPECT_EQ(seen.header("Accept-Language"), Strings{"zh-cn"});
  EXPECT_EQ(seen.header("User-Agent"),
            Strings{"Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)"});
  EXPECT_TRUE(seen.header("Content-Type").empty());
}

TEST_F(WebRequestLiveTest, PostSendsTheFormText) {
  WebRequestOptions options = exchange_.options();
  options.method = 1;
  options.post_text = "img=%2Fa%2Fb.png";
  exchange_.run(server_->url("/echo"), options);

  EXPECT_EQ(exchange_.body, "POST img=%2Fa%2Fb.png");
  const SeenRequest seen = server_->seen().back();
  EXPECT_EQ(seen.body, "img=%2Fa%2Fb.png");
  EXPECT_EQ(seen.header("Content-Type"), Strings{"application/x-www-form-urlencoded"});
}

TEST_F(WebRequestLiveTest, PostSendsBytesUnchangedWithTheCallersHeaders) {
  const Bytes upload = {'-', '-', 'b', '\r', '\n', 0, 0xFF, 0x89, 'P', 'N', 'G'};
  exchange_.headers = "Content-Type: image/png\r\nX-Requested-With: t";
  WebRequestOptions options = exchange_.options();
  options.method = 1;
  options.post_text = "ignored";
  options.post_bytes = &upload;
  exchange_.run(server_->url("/echo"), options);

  EXPECT_EQ(exchange_.status, 200);
  ASSERT_EQ(server_->seen().size(), 1u);
  const SeenRequest seen = server_->seen().back();
  EXPECT_EQ(seen.body, std::string(upload.begin(), upload.end()));
  EXPECT_EQ(seen.header("Content-Type"), Strings{"image/png"});
  EXPECT_EQ(seen.header("X-Requested-With"), Strings{"t"});
}

TEST_F(WebRequestLiveTest, FollowsRedirectsUnlessTold) {
  exchange_.run(server_->url("/redirect"));
  EXPECT_EQ(exchange_.status, 200);
  EXPECT_EQ(exchange_.body, "GET ");

  Exchange stopped;
  WebRequestOptions options = stopped.options();
  options.no_redirect = true;
  stopped.run(server_->url("/redirect"), options);
  EXPECT_EQ(stopped.status, 302);
  EXPECT_NE(stopped.response_headers.find("\r\nLocation: /echo\r\n"), Text::npos);
  EXPECT_EQ(server_->seen().size(), 3u);
}

TEST_F(WebRequestLiveTest, BorrowedObjectServesSeveralExchanges) {
  platform::ComObject borrowed(std::make_shared<platform::CurlHttpRequest>());
  for (int i = 0; i < 2; ++i) {
    Exchange exchange;
    WebRequestOptions options = exchange.options();
    options.request_object = &borrowed;
    exchange.run(server_->url("/echo"), options);
    EXPECT_EQ(exchange.status, 200);
  }
  EXPECT_EQ(server_->seen().size(), 2u);
}

TEST(WebRequestLiveFailure, UntrustedCertificateGivesNoReply) {
  auto untrusted = TestWebServer::https(TestPki::instance().untrusted_server());
  Exchange exchange;
  exchange.cookies = "a=1";
  exchange.run(untrusted->url("/echo"));
  EXPECT_EQ(exchange.body, "");
  EXPECT_EQ(exchange.status, 0);
  EXPECT_EQ(exchange.response_headers, "");
  EXPECT_EQ(exchange.cookies, "a=1");
  EXPECT_TRUE(untrusted->seen().empty());
}

TEST(WebRequestLiveFailure, SilentServerGivesUpWithinTheTimeout) {
  test::SilentServer silent;
  Exchange exchange;
  WebRequestOptions options = exchange.options();
  options.timeout_seconds = 1;
  auto start = std::chrono::steady_clock::now();
  exchange.run("http://127.0.0.1:" + std::to_string(silent.port()) + "/", options);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
  EXPECT_EQ(exchange.body, "");
  EXPECT_EQ(exchange.status, 0);
}

TEST(WebRequestLiveFailure, COMCountIsBackAfterARealExchange) {
  const int before = platform::com_init_count();
  Exchange exchange;
  exchange.run("http://127.0.0.1:" + std::to_string(test::closed_port()) + "/");
  EXPECT_EQ(exchange.status, 0);
  EXPECT_EQ(platform::com_init_count(), before);
}

struct ProxyCase {
  const char* name;
  bool https_origin;
  const char* password;
  int status;
};

void PrintTo(const ProxyCase& c, std::ostream* os) { *os << c.name; }

class ProxyTest : public testing::TestWithParam<ProxyCase> {};

// The credentials go to the proxy alone; the exchange with the origin runs through a tunnel.
TEST_P(ProxyTest, TunnelsThroughTheProxyWithBasicCredentials) {
  auto origin = GetParam().https_origin ? TestWebServer::https(TestPki::instance().trusted_server())
                                        : TestWebServer::http();
  test::TinyproxyProcess proxy("varnelle", "s3cret", origin->port());
  Exchange exchange;
  WebRequestOptions options = exchange.options();
  options.proxy = proxy.address();
  options.proxy_user = "varnelle";
  options.proxy_password = GetParam().password;
  exchange.run(origin->url("/echo"), options);

  EXPECT_EQ(exchange.status, GetParam().status);
  if (GetParam().status == 200) {
    ASSERT_EQ(origin->seen().size(), 1u);
    EXPECT_TRUE(origin->seen().back().header("Proxy-Authorization").empty());
    EXPECT_EQ(exchange.body, "GET ");
  } else {
    EXPECT_TRUE(origin->seen().empty());
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, ProxyTest,
                         testing::Values(ProxyCase{"HttpsOrigin", true, "s3cret", 200},
                                         ProxyCase{"HttpOrigin", false, "s3cret", 200},
                                         ProxyCase{"WrongPassword", true, "wrong", 0}),
                         [](const testing::TestParamInfo<ProxyCase>& info) {
                           return info.param.name;
                         });

}  // namespace
}  // namespace varnelle

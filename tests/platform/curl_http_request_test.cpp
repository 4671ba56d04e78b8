#include "platform/curl_http_request.h"

#include <gtest/gtest.h>

#include <chrono>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "test_servers/silent_server.h"
#include "test_servers/test_pki.h"
#include "test_servers/test_web_server.h"

namespace varnelle::platform {
namespace {

using test::TestPki;
using test::TestWebServer;

// The test CA must be trusted before the process's first TLS exchange builds the shared store.
class TrustTestCa : public testing::Environment {
 public:
  void SetUp() override { TestPki::instance(); }
};
const testing::Environment* const kTrustTestCa = testing::AddGlobalTestEnvironment(new TrustTestCa);

Variant text(const std::string& s) { return Variant::from_text(s); }

std::string as_string(const Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

// Drives the object through the holder, as its callers do.
class Request {
 public:
  ComObject holder{std::make_shared<CurlHttpRequest>()};

  bool open(const std::string& method, const std::string& url) {
    return call([&](HttpRequest& r) { return r.Open(text(method), text(url), Variant(false)); })
        .succeeded();
  }
  bool header(const std::string& name, const std::string& value) {
    return call([&](HttpRequest& r) { return r.SetRequestHeader(text(name), text(value)); })
        .succeeded();
  }
  bool option(std::int32_t index, Variant value) {
    return call([&](HttpRequest& r) { return r.put_Option(index, value); }).succeeded();
  }
  bool timeouts(std::int32_t ms) {
    return call([&](HttpRequest& r) { return r.SetTimeouts(ms, ms, ms, ms); }).succeeded();
  }
  bool send(const Variant& body = text("")) {
    return call([&](HttpRequest& r) { return r.Send(body); }).succeeded();
  }
  std::string body() const {
    return as_string(call([](HttpRequest& r) { return r.ResponseBody(); }).bytes());
  }
  std::string headers() const {
    return call([](HttpRequest& r) { return r.GetAllResponseHeaders(); }).text();
  }
  int status() const {
    return static_cast<int>(call([](HttpRequest& r) { return r.Status(); }).number());
  }

  bool exchange(const std::string& method, const std::string& url, const Variant& body = text("")) {
    return open(method, url) && send(body);
  }

 private:
  template <class Member>
  CallResult call(Member&& member) const {
    return holder.call<HttpRequest>(std::forward<Member>(member));
  }
};

class CurlHttpRequestTest : public testing::Test {
 protected:
  std::unique_ptr<TestWebServer> server_ =
      TestWebServer::https(TestPki::instance().trusted_server());
  Request request_;
};

TEST_F(CurlHttpRequestTest, ExchangesOverVerifiedTls) {
  ASSERT_TRUE(request_.exchange("GET", server_->url("/echo")));
  EXPECT_EQ(request_.status(), 200);
  EXPECT_EQ(request_.body(), "GET ");
  const std::string headers = request_.headers();
  EXPECT_TRUE(headers.starts_with("HTTP/1.1 200 OK\r\n")) << headers;
  EXPECT_TRUE(headers.ends_with("\r\n\r\n")) << headers;
  EXPECT_NE(headers.find("\r\nSet-Cookie: sid=abc; Path=/; HttpOnly\r\n"), std::string::npos);
  EXPECT_NE(headers.find("\r\nSet-Cookie: lang=cn\r\n"), std::string::npos);
}

TEST_F(CurlHttpRequestTest, SendsOnlyTheHeadersItWasGiven) {
  ASSERT_TRUE(request_.open("PUT", server_->url("/echo")));
  ASSERT_TRUE(request_.header("X-Twice", "first"));
  ASSERT_TRUE(request_.header("x-twice", "second"));
  ASSERT_TRUE(request_.send(text("body")));
  const test::SeenRequest seen = server_->seen().back();
  EXPECT_EQ(seen.method, "PUT");
  EXPECT_EQ(seen.body, "body");
  EXPECT_EQ(seen.header("X-Twice"), std::vector<std::string>{"second"});
  for (const char* unasked : {"Accept", "Content-Type", "Expect", "Cookie", "User-Agent"}) {
    EXPECT_TRUE(seen.header(unasked).empty()) << unasked;
  }
}

// The test web server drops empty header lines when it parses them, so this one looks at the bytes.
TEST(CurlHttpRequestHeaders, SendsAHeaderWithAnEmptyValue) {
  test::SilentServer silent;
  Request request;
  ASSERT_TRUE(request.timeouts(300));
  ASSERT_TRUE(request.open("GET", "http://127.0.0.1:" + std::to_string(silent.port()) + "/"));
  ASSERT_TRUE(request.header("Cookie", ""));
  request.send();
  EXPECT_NE(silent.received().find("\r\nCookie:\r\n"), std::string::npos) << silent.received();
}

TEST_F(CurlHttpRequestTest, KeepsNoCookieJar) {
  ASSERT_TRUE(request_.exchange("GET", server_->url("/echo")));
  ASSERT_TRUE(request_.exchange("GET", server_->url("/echo")));
  EXPECT_TRUE(server_->seen().back().header("Cookie").empty());
}

struct BodyCase {
  const char* name;
  Variant body;
  std::string on_the_wire;
};

void PrintTo(const BodyCase& c, std::ostream* os) { *os << c.name; }

class BodyTest : public CurlHttpRequestTest, public testing::WithParamInterface<BodyCase> {};

TEST_P(BodyTest, SendsBytesAsTheyAreAndStringsAsUtf8) {
  ASSERT_TRUE(request_.exchange("POST", server_->url("/echo"), GetParam().body));
  EXPECT_EQ(server_->seen().back().body, GetParam().on_the_wire);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BodyTest,
    testing::Values(BodyCase{"Bytes", Variant(Bytes{'a', 0, 0xFF, 'b'}),
                             std::string("a\0\xFF"
                                         "b",
                                         4)},
                    BodyCase{"String", Variant(std::u16string(u"\u00e9\u4e2d")),
                             "\xC3\xA9\xE4\xB8\xAD"},
                    BodyCase{"Empty", Variant(), ""}),
    [](const testing::TestParamInfo<BodyCase>& info) { return info.param.name; });

TEST_F(CurlHttpRequestTest, FollowsRedirectsUnlessSwitchedOff) {
  ASSERT_TRUE(request_.exchange("GET", server_->url("/redirect")));
  EXPECT_EQ(request_.status(), 200);
  EXPECT_TRUE(request_.headers().starts_with("HTTP/1.1 200")) << "only the final block";

  ASSERT_TRUE(request_.option(kOptionEnableRedirects, Variant(false)));
  ASSERT_TRUE(request_.exchange("GET", server_->url("/redirect")));
  EXPECT_EQ(request_.status(), 302);
  EXPECT_NE(request_.headers().find("\r\nLocation: /echo\r\n"), std::string::npos);
}

TEST_F(CurlHttpRequestTest, NeverFollowsFromHttpsToHttp) {
  auto plain = TestWebServer::http();
  ASSERT_TRUE(request_.exchange("GET", server_->url("/redirect-to?to=" + plain->url("/echo"))));
  EXPECT_EQ(request_.status(), 302);
  EXPECT_TRUE(plain->seen().empty());
}

TEST_F(CurlHttpRequestTest, FollowsFromHttpToHttps) {
  auto plain = TestWebServer::http();
  ASSERT_TRUE(request_.exchange("GET", plain->url("/redirect-to?to=" + server_->url("/echo"))));
  EXPECT_EQ(request_.status(), 200);
  EXPECT_EQ(server_->seen().size(), 1u);
}

TEST(CurlHttpRequestTrust, RefusesACertificateNoTrustedCaSigned) {
  auto untrusted = TestWebServer::https(TestPki::instance().untrusted_server());
  Request request;
  EXPECT_FALSE(request.exchange("GET", untrusted->url("/echo")));
  EXPECT_EQ(request.status(), 0);
  EXPECT_EQ(request.body(), "");
  EXPECT_EQ(request.headers(), "");
  EXPECT_TRUE(untrusted->seen().empty());
}

TEST(CurlHttpRequestTrust, IgnoresOnlyTheCertificateErrorsOptionFourNames) {
  auto untrusted = TestWebServer::https(TestPki::instance().untrusted_server());
  Request request;
  ASSERT_TRUE(request.option(kOptionSslErrorIgnoreFlags, Variant(std::int32_t{0x2000})));
  EXPECT_FALSE(request.exchange("GET", untrusted->url("/echo"))) << "a bad date is not the fault";

  ASSERT_TRUE(request.option(kOptionSslErrorIgnoreFlags, Variant(std::int32_t{0x3300})));
  ASSERT_TRUE(request.exchange("GET", untrusted->url("/echo")));
  EXPECT_EQ(request.status(), 200);

  // The leniently checked connection is not reused once checks are back on.
  ASSERT_TRUE(request.option(kOptionSslErrorIgnoreFlags, Variant(std::int32_t{0})));
  EXPECT_FALSE(request.exchange("GET", untrusted->url("/echo")));
}

TEST(CurlHttpRequestTrust, ALenientObjectLeavesNoConnectionOrSessionForAVerifyingOne) {
  auto untrusted = TestWebServer::https(TestPki::instance().untrusted_server());
  Request lenient;
  ASSERT_TRUE(lenient.option(kOptionSslErrorIgnoreFlags, Variant(std::int32_t{0x3300})));
  ASSERT_TRUE(lenient.exchange("GET", untrusted->url("/echo")));
  Request verifying;
  EXPECT_FALSE(verifying.exchange("GET", untrusted->url("/echo")));
  EXPECT_EQ(untrusted->tls_resumptions(), 0);
}

TEST(CurlHttpRequestOptions, DefaultsAreRedirectsOnAndCertificatesChecked) {
  CurlHttpRequest request;
  EXPECT_EQ(request.get_Option(kOptionEnableRedirects), call_ok(Variant(true)));
  EXPECT_EQ(request.get_Option(kOptionSslErrorIgnoreFlags), call_ok(Variant(std::int32_t{0})));
  EXPECT_EQ(request.get_Option(99), call_failed());
}

struct RefusedCallCase {
  const char* name;
  std::function<CallOutcome(HttpRequest&)> call;
};

void PrintTo(const RefusedCallCase& c, std::ostream* os) { *os << c.name; }

class RefusedCallTest : public testing::TestWithParam<RefusedCallCase> {};

TEST_P(RefusedCallTest, FailsQuietly) {
  CurlHttpRequest request;
  EXPECT_EQ(GetParam().call(request), call_failed());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RefusedCallTest,
    testing::Values(
        RefusedCallCase{"EmptyHeaderName",
                        [](HttpRequest& r) { return r.SetRequestHeader(text(""), text("v")); }},
        RefusedCallCase{"NameWithSpace",
                        [](HttpRequest& r) { return r.SetRequestHeader(text("A B"), text("v")); }},
        RefusedCallCase{"NameWithColon",
                        [](HttpRequest& r) { return r.SetRequestHeader(text("A:"), text("v")); }},
        RefusedCallCase{
            "ValueWithLineBreak",
            [](HttpRequest& r) { return r.SetRequestHeader(text("A"), text("v\r\nInjected: 1")); }},
        RefusedCallCase{"AsynchronousOpen",
                        [](HttpRequest& r) {
                          return r.Open(text("GET"), text("https://127.0.0.1/"), Variant(true));
                        }},
        RefusedCallCase{"OtherScheme",
                        [](HttpRequest& r) {
                          return r.Open(text("GET"), text("ftp://127.0.0.1/"), Variant(false));
                        }},
        RefusedCallCase{
            "NotAUrl",
            [](HttpRequest& r) { return r.Open(text("GET"), text("no url"), Variant(false)); }},
        RefusedCallCase{"BadMethod",
                        [](HttpRequest& r) {
                          return r.Open(text("G T"), text("https://127.0.0.1/"), Variant(false));
                        }},
        RefusedCallCase{"SendBeforeOpen", [](HttpRequest& r) { return r.Send(text("")); }},
        RefusedCallCase{"StatusBeforeSend", [](HttpRequest& r) { return r.Status(); }},
        RefusedCallCase{"UnknownProxySetting",
                        [](HttpRequest& r) { return r.SetProxy(7, text("127.0.0.1:1")); }},
        RefusedCallCase{"UnknownOption",
                        [](HttpRequest& r) { return r.put_Option(99, Variant(std::int32_t{1})); }}),
    [](const testing::TestParamInfo<RefusedCallCase>& info) { return info.param.name; });

TEST_F(CurlHttpRequestTest, RefusedHeaderSetsNothing) {
  ASSERT_TRUE(request_.open("GET", server_->url("/echo")));
  EXPECT_FALSE(request_.header("X-Bad", "a\nInjected: 1"));
  ASSERT_TRUE(request_.send());
  EXPECT_TRUE(server_->seen().back().header("X-Bad").empty());
  EXPECT_TRUE(server_->seen().back().header("Injected").empty());
}

TEST_F(CurlHttpRequestTest, FreshObjectsOfOneThreadResumeTheTlsSession) {
  ASSERT_TRUE(request_.exchange("GET", server_->url("/echo")));
  Request next;
  ASSERT_TRUE(next.exchange("GET", server_->url("/echo")));
  EXPECT_EQ(server_->tls_handshakes(), 2);
  EXPECT_EQ(server_->tls_resumptions(), 1);
}

TEST_F(CurlHttpRequestTest, WorksOnAThreadOtherThanTheOneThatMadeIt) {
  ASSERT_TRUE(request_.exchange("GET", server_->url("/echo")));
  std::thread([&] {
    EXPECT_TRUE(request_.exchange("GET", server_->url("/echo")));
    Request own;
    EXPECT_TRUE(own.exchange("GET", server_->url("/echo")));
  }).join();
  ASSERT_TRUE(request_.exchange("GET", server_->url("/echo")));
  EXPECT_EQ(request_.status(), 200);
  EXPECT_EQ(server_->seen().size(), 4u);
}

using Clock = std::chrono::steady_clock;

TEST(CurlHttpRequestFailure, RefusedConnectionFailsSendAndEmptiesTheReply) {
  Request request;
  EXPECT_FALSE(request.exchange("GET", "http://127.0.0.1:" + std::to_string(test::closed_port())));
  EXPECT_EQ(request.status(), 0);
  EXPECT_EQ(request.body(), "");
}

struct SilenceCase {
  const char* name;
  const char* scheme;
};

void PrintTo(const SilenceCase& c, std::ostream* os) { *os << c.name; }

class SilentServerTest : public testing::TestWithParam<SilenceCase> {};

// http waits for the reply (receive), https for the handshake (resolve + connect).
TEST_P(SilentServerTest, GivesUpAfterTheTimeouts) {
  test::SilentServer silent;
  Request request;
  ASSERT_TRUE(request.timeouts(500));
  Clock::time_point start = Clock::now();
  EXPECT_FALSE(request.exchange(
      "GET", std::string(GetParam().scheme) + "://127.0.0.1:" + std::to_string(silent.port())));
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(5));
  EXPECT_EQ(request.status(), 0);
}

INSTANTIATE_TEST_SUITE_P(Cases, SilentServerTest,
                         testing::Values(SilenceCase{"Http", "http"},
                                         SilenceCase{"Https", "https"}),
                         [](const testing::TestParamInfo<SilenceCase>& info) {
                           return info.param.name;
                         });

TEST_F(CurlHttpRequestTest, ReceiveTimeoutBoundsAStallNotASlowReply) {
  ASSERT_TRUE(request_.timeouts(1000));
  // Nine chunks 300 ms apart: longer than the time-out in all, but never still for that long.
  ASSERT_TRUE(request_.exchange("GET", server_->url("/trickle?chunks=9&gap_ms=300")));
  EXPECT_EQ(request_.body().size(), 900u);

  Clock::time_point start = Clock::now();
  EXPECT_FALSE(request_.exchange("GET", server_->url("/stall")));
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(5));
  EXPECT_EQ(request_.body(), "");
}

}  // namespace
}  // namespace varnelle::platform

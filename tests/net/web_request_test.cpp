#include "net/web_request.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "platform/com.h"
#include "platform/http_request.h"

namespace varnelle {
namespace {

using platform::CallOutcome;
using platform::HttpRequest;
using platform::Variant;
using Calls = std::vector<std::string>;

const Text kUrl = "https://qr.example/deqr/";
const Text kUserAgent = "User-Agent: Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)";

std::string text_of(const Variant& v) { return platform::variant_to_text(v).value_or("<?>"); }

// Records every call as one line and answers with the reply the test sets.
class RecordingRequest : public HttpRequest {
 public:
  Calls calls;
  std::vector<int> com_counts;  // the thread's COM count at each call
  Bytes reply_body;
  Text reply_headers;
  double reply_status = 0;
  bool exchange_fails = false;

  CallOutcome SetTimeouts(std::int32_t resolve, std::int32_t connect, std::int32_t send,
                          std::int32_t receive) override {
    return record("SetTimeouts " + std::to_string(resolve) + " " + std::to_string(connect) + " " +
                  std::to_string(send) + " " + std::to_string(receive));
  }
  CallOutcome SetProxy(std::int32_t setting, const Variant& server) override {
    return record("SetProxy " + std::to_string(setting) + " " + text_of(server));
  }
  CallOutcome SetRequestHeader(const Variant& name, const Variant& value) override {
    return record("Header [" + text_of(name) + "] [" + text_of(value) + "]");
  }
  CallOutcome Open(const Variant& method, const Variant& url, const Variant& async) override {
    return record("Open " + text_of(method) + " " + text_of(url) + " " + text_of(async));
  }
  CallOutcome put_Option(std::int32_t index, const Variant& value) override {
    return record("Option " + std::to_string(index) + " = " + text_of(value));
  }
  CallOutcome get_Option(std::int32_t index) override {
    return record("get Option " + std::to_string(index));
  }
  CallOutcome Send(const Variant& body) override {
    if (body.holds<Bytes>()) {
      record("Send bytes " + bytes_to_text(body.get<Bytes>()));
    } else {
      record("Send text " + text_of(body));
    }
    return exchange_fails ? platform::call_failed() : platform::call_ok();
  }
  CallOutcome ResponseBody() override { return reply("ResponseBody", Variant(reply_body)); }
  CallOutcome GetAllResponseHeaders() override {
    return reply("GetAllResponseHeaders", Variant::from_text(reply_headers));
  }
  CallOutcome Status() override { return reply("Status", Variant(reply_status)); }

 private:
  CallOutcome record(std::string call) {
    calls.push_back(std::move(call));
    com_counts.push_back(platform::com_init_count());
    return platform::call_ok();
  }
  CallOutcome reply(std::string call, Variant value) {
    record(std::move(call));
    return exchange_fails ? platform::call_failed() : platform::call_ok(std::move(value));
  }
};

// Registers the recorder under the request object's ProgID for the test's duration.
class WebRequestTest : public testing::Test {
 protected:
  void SetUp() override {
    previous_ = platform::register_class(platform::kHttpRequestProgId, [this] {
      ++created_;
      return recorder_;
    });
    com_count_before_ = platform::com_init_count();
  }
  void TearDown() override {
    EXPECT_EQ(platform::com_init_count(), com_count_before_) << "COM initialisation not undone";
    platform::register_class(platform::kHttpRequestProgId, previous_);
  }

  // The calls from Open on, up to and without Send.
  Calls calls_between_open_and_send() const {
    Calls out;
    bool inside = false;
    for (const std::string& call : recorder_->calls) {
      if (call.starts_with("Open ")) inside = true;
      if (call.starts_with("Send ")) break;
      if (inside) out.push_back(call);
    }
    return out;
  }

  Calls header_calls() const {
    Calls out;
    for (const std::string& call : recorder_->calls) {
      if (call.starts_with("Header ")) out.push_back(call);
    }
    return out;
  }

  std::shared_ptr<RecordingRequest> recorder_ = std::make_shared<RecordingRequest>();
  int created_ = 0;
  int com_count_before_ = 0;
  platform::ClassFactory previous_;
};

TEST_F(WebRequestTest, RunsTheWholeExchangeInOrder) {
  recorder_->reply_body = {'o', 'k', 0, 'x'};
  recorder_->reply_headers = "HTTP/1.1 200 OK\r\nSet-Cookie: sid=abc; path=/\r\n\r\n";
  recorder_->reply_status = 200;
  Text cookies = "lang=cn";
  Text returned_cookies, headers, response_headers;
  std::int32_t status = -7;
  WebRequestOptions options;
  options.method = 1;
  options.post_text = "img=a%2Fb";
  options.cookies = &cookies;
  options.returned_cookies = &returned_cookies;
  options.headers = &headers;
  options.response_headers = &response_headers;
  options.status = &status;
  options.no_redirect = true;
  options.proxy = "127.0.0.1:3128";
  options.timeout_seconds = 30;
  options.proxy_user = "user";
  options.proxy_password = "pass";

  Bytes body = web_request(kUrl, options);

  EXPECT_EQ(recorder_->calls,
            (Calls{"SetTimeouts 30000 30000 30000 30000", "SetProxy 2 127.0.0.1:3128",
                   "Header [Proxy-Authorization] [Basic dXNlcjpwYXNz]", "Open POST " + kUrl + " 0",
                   "Option 6 = 0", "Header [Cookie] [lang=cn]", "Header [Accept] [*/*]",
                   "Header [Referer] [" + kUrl + "]", "Header [Accept-Language] [zh-cn]",
                   "Header [User-Agent] [Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)]",
                   "Header [Content-Type] [application/x-www-form-urlencoded]",
                   "Send text img=a%2Fb", "ResponseBody", "GetAllResponseHeaders", "Status"}));
  EXPECT_EQ(body, (Bytes{'o', 'k', 0, 'x'}));
  EXPECT_EQ(headers,
            concat_text("Accept: */*\r\nReferer: ", kUrl, "\r\nAccept-Language: zh-cn\r\n",
                        kUserAgent, "\r\nContent-Type: application/x-www-form-urlencoded"));
  EXPECT_EQ(response_headers, recorder_->reply_headers);
  EXPECT_EQ(status, 200);
  EXPECT_EQ(returned_cookies, "sid=abc; lang=cn");
  EXPECT_EQ(cookies, "sid=abc; lang=cn");
  EXPECT_EQ(created_, 1);
  for (int count : recorder_->com_counts) EXPECT_EQ(count, com_count_before_ + 1);
}

TEST_F(WebRequestTest, NeverSwitchesCertificateChecksOff) {
  WebRequestOptions options;
  web_request(kUrl, options);
  for (const std::string& call : recorder_->calls) EXPECT_FALSE(call.starts_with("Option 4"));
}

struct MethodCase {
  std::int32_t method;
  const char* name;
};

void PrintTo(const MethodCase& c, std::ostream* os) { *os << c.method << " -> " << c.name; }

class MethodTest : public WebRequestTest, public testing::WithParamInterface<MethodCase> {};

TEST_P(MethodTest, PicksTheRowOfTheTableAndGetForOutOfRange) {
  WebRequestOptions options;
  options.method = GetParam().method;
  web_request(kUrl, options);
  EXPECT_EQ(calls_between_open_and_send().front(),
            std::string("Open ") + GetParam().name + " " + kUrl + " 0");
}

INSTANTIATE_TEST_SUITE_P(Cases, MethodTest,
                         testing::Values(MethodCase{0, "GET"}, MethodCase{1, "POST"},
                                         MethodCase{2, "HEAD"}, MethodCase{3, "PUT"},
                                         MethodCase{4, "OPTIONS"}, MethodCase{5, "DELETE"},
                                         MethodCase{6, "TRACE"}, MethodCase{7, "CONNECT"},
                                         MethodCase{8, "GET"}, MethodCase{-1, "GET"}));

struct TimeoutCase {
  std::int32_t seconds;
  Calls expected;
};

void PrintTo(const TimeoutCase& c, std::ostream* os) { *os << c.seconds << " s"; }

class TimeoutTest : public WebRequestTest, public testing::WithParamInterface<TimeoutCase> {};

TEST_P(TimeoutTest, SetsAllFourOrLeavesThemAlone) {
  WebRequestOptions options;
  options.timeout_seconds = GetParam().seconds;
  web_request(kUrl, options);
  Calls timeouts;
  for (const std::string& call : recorder_->calls) {
    if (call.starts_with("SetTimeouts")) timeouts.push_back(call);
  }
  EXPECT_EQ(timeouts, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, TimeoutTest,
                         testing::Values(TimeoutCase{0, {"SetTimeouts 15000 15000 15000 15000"}},
                                         TimeoutCase{-5, {"SetTimeouts 15000 15000 15000 15000"}},
                                         TimeoutCase{30, {"SetTimeouts 30000 30000 30000 30000"}},
                                         TimeoutCase{-1, {}}));

struct HeaderCase {
  const char* name;
  std::int32_t method;
  Text given;
  Text completed;
};

void PrintTo(const HeaderCase& c, std::ostream* os) { *os << c.name; }

class HeaderCompletionTest : public WebRequestTest,
                             public testing::WithParamInterface<HeaderCase> {};

TEST_P(HeaderCompletionTest, CompletesTheCallersHeaderText) {
  Text headers = GetParam().given;
  WebRequestOptions options;
  options.method = GetParam().method;
  options.headers = &headers;
  web_request(kUrl, options);
  EXPECT_EQ(headers, GetParam().completed);
}

const Text kDefaultsAfterAccept =
    concat_text("\r\nReferer: ", kUrl, "\r\nAccept-Language: zh-cn\r\n", kUserAgent);

INSTANTIATE_TEST_SUITE_P(
    Cases, HeaderCompletionTest,
    testing::Values(
        HeaderCase{"EmptyGet", 0, "", concat_text("Accept: */*", kDefaultsAfterAccept)},
        HeaderCase{"EmptyPost", 1, "",
                   concat_text("Accept: */*", kDefaultsAfterAccept,
                               "\r\nContent-Type: application/x-www-form-urlencoded")},
        HeaderCase{"LowerCaseContentType", 1, "content-type: text/plain",
                   concat_text("Content-Type: text/plain\r\nAccept: */*", kDefaultsAfterAccept)},
        HeaderCase{"OwnContentTypeKept", 1, "Content-Type: multipart/form-data; boundary=--x",
                   concat_text("Content-Type: multipart/form-data; boundary=--x\r\nAccept: */*",
                               kDefaultsAfterAccept)},
        HeaderCase{"PutGetsNoContentType", 3, "", concat_text("Accept: */*", kDefaultsAfterAccept)},
        HeaderCase{"PutKeepsLowerCase", 3, "content-type: a/b",
                   concat_text("content-type: a/b\r\nAccept: */*", kDefaultsAfterAccept)},
        HeaderCase{
            "XRefererCountsAsReferer", 0, "X-Referer: a",
            concat_text("X-Referer: a\r\nAccept: */*\r\nAccept-Language: zh-cn\r\n", kUserAgent)},
        HeaderCase{"AllGiven", 0, "Accept: a\r\nReferer: r\r\nAccept-Language: en\r\nUser-Agent: u",
                   "Accept: a\r\nReferer: r\r\nAccept-Language: en\r\nUser-Agent: u"},
        HeaderCase{"TrailingLineBreakGivesEmptyLine", 0, "Accept: a\r\n",
                   concat_text("Accept: a\r\n", kDefaultsAfterAccept)}),
    [](const testing::TestParamInfo<HeaderCase>& info) { return info.param.name; });

struct HeaderCallCase {
  const char* name;
  Text headers;
  Calls calls;
};

void PrintTo(const HeaderCallCase& c, std::ostream* os) { *os << c.name; }

class HeaderCallTest : public WebRequestTest, public testing::WithParamInterface<HeaderCallCase> {};

// Every piece of the completed text is handed over as header_name / header_value make it.
TEST_P(HeaderCallTest, HandsEveryNonEmptyPieceOver) {
  Text headers = GetParam().headers;
  WebRequestOptions options;
  options.headers = &headers;
  web_request(kUrl, options);
  Calls calls = header_calls();
  calls.resize(GetParam().calls.size());
  EXPECT_EQ(calls, GetParam().calls);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HeaderCallTest,
    testing::Values(HeaderCallCase{"RequestLineWithoutColon",
                                   "GET / HTTP/1.1\r\nAccept: a",
                                   {"Header [] []", "Header [Accept] [a]"}},
                    HeaderCallCase{"EmptyPiecesSkipped",
                                   "Accept: a\r\n\r\n  X :  y  ",
                                   {"Header [Accept] [a]", "Header [X] [y]"}},
                    HeaderCallCase{
                        "ValueKeepsLaterColons", "Accept: a:b:c", {"Header [Accept] [a:b:c]"}},
                    HeaderCallCase{"DuplicatesKept",
                                   "Accept: a\r\nAccept: b",
                                   {"Header [Accept] [a]", "Header [Accept] [b]"}}),
    [](const testing::TestParamInfo<HeaderCallCase>& info) { return info.param.name; });

TEST_F(WebRequestTest, SendsAnEmptyCookieFirstAndStillMerges) {
  recorder_->reply_headers = "HTTP/1.1 200 OK\r\nSet-Cookie: a=1";
  Text cookies, returned_cookies;
  WebRequestOptions options;
  options.cookies = &cookies;
  options.returned_cookies = &returned_cookies;
  web_request(kUrl, options);
  EXPECT_EQ(header_calls().front(), "Header [Cookie] []");
  EXPECT_EQ(cookies, "a=1");
  EXPECT_EQ(returned_cookies, "a=1");
}

TEST_F(WebRequestTest, WithoutCookiesSendsNoCookieAndDoesNotMerge) {
  recorder_->reply_headers = "HTTP/1.1 200 OK\r\nSet-Cookie: a = 1 ; path=/\r\nSet-Cookie: a=2";
  Text returned_cookies;
  WebRequestOptions options;
  options.returned_cookies = &returned_cookies;
  options.auto_merge_cookies = true;
  web_request(kUrl, options);
  for (const std::string& call : header_calls()) EXPECT_FALSE(call.starts_with("Header [Cookie]"));
  EXPECT_EQ(returned_cookies, "a = 1; a=2");
}

struct CookieCase {
  const char* name;
  Text response_headers;
  Text collected;
};

void PrintTo(const CookieCase& c, std::ostream* os) { *os << c.name; }

class CookieCollectionTest : public WebRequestTest,
                             public testing::WithParamInterface<CookieCase> {};

TEST_P(CookieCollectionTest, CollectsTheNameValuePairs) {
  recorder_->reply_headers = GetParam().response_headers;
  Text cookies = "old=1", returned_cookies;
  WebRequestOptions options;
  options.cookies = &cookies;
  options.returned_cookies = &returned_cookies;
  options.auto_merge_cookies = false;
  web_request(kUrl, options);
  EXPECT_EQ(returned_cookies, GetParam().collected);
  EXPECT_EQ(cookies, "old=1");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CookieCollectionTest,
    testing::Values(CookieCase{"WorkedExample",
                               "HTTP/1.1 200 OK\r\nSet-Cookie: sid=abc; path=/; HttpOnly\r\n"
                               "Content-Type: text/html\r\nSet-Cookie: lang=cn\r\n\r\n",
                               "sid=abc; lang=cn"},
                    CookieCase{"TwoLinesForOneName", "Set-Cookie: a=1\r\nSet-Cookie: a=2",
                               "a=1; a=2"},
                    CookieCase{"OtherLetterCaseIgnored", "set-cookie: a=1\r\nSET-COOKIE: b=2", ""},
                    CookieCase{"NoCookieLines", "HTTP/1.1 204 No Content\r\nServer: s\r\n\r\n", ""},
                    CookieCase{"EmptyItemKept", "Set-Cookie: ;x\r\nSet-Cookie: b=2", "; b=2"},
                    CookieCase{"NoSpaceAfterColonDoesNotCount", "Set-Cookie:a=1", ""}),
    [](const testing::TestParamInfo<CookieCase>& info) { return info.param.name; });

TEST_F(WebRequestTest, BytesWinOverText) {
  Bytes upload = {'b', 'y', 't', 'e', 's'};
  WebRequestOptions options;
  options.method = 1;
  options.post_text = "text";
  options.post_bytes = &upload;
  web_request(kUrl, options);
  EXPECT_NE(std::find(recorder_->calls.begin(), recorder_->calls.end(), "Send bytes bytes"),
            recorder_->calls.end());
}

TEST_F(WebRequestTest, EmptyBytesSendTheText) {
  Bytes upload;
  WebRequestOptions options;
  options.post_text = "text";
  options.post_bytes = &upload;
  web_request(kUrl, options);
  EXPECT_NE(std::find(recorder_->calls.begin(), recorder_->calls.end(), "Send text text"),
            recorder_->calls.end());
}

struct ProxyCase {
  const char* name;
  Text proxy;
  Text user;
  std::optional<std::int32_t> auth_mode;
  Calls before_open;
};

void PrintTo(const ProxyCase& c, std::ostream* os) { *os << c.name; }

class ProxyTest : public WebRequestTest, public testing::WithParamInterface<ProxyCase> {};

TEST_P(ProxyTest, SetsProxyAndBasicCredentialsBeforeOpen) {
  WebRequestOptions options;
  options.timeout_seconds = -1;
  options.proxy = GetParam().proxy;
  options.proxy_user = GetParam().user;
  options.proxy_password = "pw";
  options.proxy_auth_mode = GetParam().auth_mode;
  web_request(kUrl, options);
  Calls before_open;
  for (const std::string& call : recorder_->calls) {
    if (call.starts_with("Open ")) break;
    before_open.push_back(call);
  }
  EXPECT_EQ(before_open, GetParam().before_open);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ProxyTest,
    testing::Values(ProxyCase{"NoProxy", "", "u", std::nullopt, {}},
                    ProxyCase{"ProxyWithoutUser", "p:1", "", std::nullopt, {"SetProxy 2 p:1"}},
                    ProxyCase{"BasicByDefault",
                              "p:1",
                              "u",
                              std::nullopt,
                              {"SetProxy 2 p:1", "Header [Proxy-Authorization] [Basic dTpwdw==]"}},
                    ProxyCase{"OtherModeSendsNone", "p:1", "u", 2, {"SetProxy 2 p:1"}}),
    [](const testing::TestParamInfo<ProxyCase>& info) { return info.param.name; });

TEST_F(WebRequestTest, FailedExchangeEmptiesTheOutFieldsAndStillMerges) {
  recorder_->exchange_fails = true;
  Text cookies = "a = 1; gone=deleted", returned_cookies = "x", response_headers = "y";
  std::int32_t status = 200;
  WebRequestOptions options;
  options.cookies = &cookies;
  options.returned_cookies = &returned_cookies;
  options.response_headers = &response_headers;
  options.status = &status;
  EXPECT_TRUE(web_request(kUrl, options).empty());
  EXPECT_EQ(response_headers, "");
  EXPECT_EQ(status, 0);
  EXPECT_EQ(returned_cookies, "a=1");
  EXPECT_EQ(cookies, "a=1");
}

TEST_F(WebRequestTest, StatusIsTruncatedTowardZero) {
  recorder_->reply_status = 302.9;
  std::int32_t status = 0;
  WebRequestOptions options;
  options.status = &status;
  web_request(kUrl, options);
  EXPECT_EQ(status, 302);
}

TEST_F(WebRequestTest, CreationFailureTouchesNothing) {
  platform::unregister_class(platform::kHttpRequestProgId);
  Text cookies = "c=1", returned_cookies = "r", headers = "h", response_headers = "rh";
  std::int32_t status = 7;
  WebRequestOptions options;
  options.cookies = &cookies;
  options.returned_cookies = &returned_cookies;
  options.headers = &headers;
  options.response_headers = &response_headers;
  options.status = &status;
  EXPECT_TRUE(web_request(kUrl, options).empty());
  EXPECT_EQ(cookies, "c=1");
  EXPECT_EQ(returned_cookies, "r");
  EXPECT_EQ(headers, "h");
  EXPECT_EQ(response_headers, "rh");
  EXPECT_EQ(status, 7);
}

TEST_F(WebRequestTest, BorrowedObjectIsUsedAndLeftUsable) {
  auto borrowed = std::make_shared<RecordingRequest>();
  borrowed->reply_status = 200;
  platform::ComObject holder(borrowed);
  std::int32_t status = 0;
  WebRequestOptions options;
  options.status = &status;
  options.request_object = &holder;
  web_request(kUrl, options);
  EXPECT_EQ(created_, 0);
  EXPECT_EQ(status, 200);
  EXPECT_FALSE(holder.empty());
  EXPECT_EQ(holder.call<HttpRequest>([](HttpRequest& r) { return r.Status(); }).number(), 200);
}

TEST_F(WebRequestTest, EmptyBorrowedHolderFailsQuietly) {
  platform::ComObject empty_holder;
  Text headers;
  std::int32_t status = 9;
  WebRequestOptions options;
  options.headers = &headers;
  options.status = &status;
  options.request_object = &empty_holder;
  EXPECT_TRUE(web_request(kUrl, options).empty());
  EXPECT_EQ(created_, 0);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(headers, concat_text("Accept: */*", kDefaultsAfterAccept));
}

}  // namespace
}  // namespace varnelle

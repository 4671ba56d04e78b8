#include "net/web_request.h"

#include <array>
#include <cmath>
#include <limits>

#include "codec/base64.h"
#include "net/cookies.h"
#include "platform/com.h"
#include "platform/http_request.h"
#include "text/text_helpers.h"

namespace varnelle {
namespace {

using platform::ComObject;
using platform::HttpRequest;
using platform::Variant;

constexpr std::array<const char*, 8> kMethodNames = {"GET",     "POST",   "HEAD",  "PUT",
                                                     "OPTIONS", "DELETE", "TRACE", "CONNECT"};
constexpr std::int32_t kMethodPost = 1;
constexpr std::int32_t kDefaultTimeoutMs = 15000;
constexpr std::int32_t kProxyAuthBasic = 1;

const Text kDefaultUserAgent = "Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)";
const Text kDefaultLanguage = "zh-cn";
const Text kDefaultContentType = "application/x-www-form-urlencoded";
const Text kLineBreak = "\r\n";

// COM is initialised for the operation's own duration, on every path out of it. Made before the
// request object, it is undone after the object is released.
class ComInitialization {
 public:
  ComInitialization() { platform::CoInitialize(); }
  ~ComInitialization() { platform::CoUninitialize(); }
  ComInitialization(const ComInitialization&) = delete;
  ComInitialization& operator=(const ComInitialization&) = delete;
};

bool contains(const Text& text, const Text& key) { return find_text(text, key) != -1; }

// Browser-like defaults for every header the caller left out. Each key is searched anywhere in
// the text, so "X-Referer:" counts as a referrer.
Text complete_headers(Text headers, const Text& url, bool is_post) {
  if (headers.empty()) {
    headers = "Accept: */*";
  } else if (!contains(headers, "Accept:")) {
    headers = concat_text(headers, kLineBreak, "Accept: */*");
  }
  if (!contains(headers, "Referer:")) headers = concat_text(headers, kLineBreak, "Referer: ", url);
  if (!contains(headers, "Accept-Language:")) {
    headers = concat_text(headers, kLineBreak, "Accept-Language: ", kDefaultLanguage);
  }
  if (!contains(headers, "User-Agent:")) {
    headers = concat_text(headers, kLineBreak, "User-Agent: ", kDefaultUserAgent);
  }
  if (is_post) {
    if (contains(headers, "content-type")) {
      headers = replace_text(headers, "content-type", "Content-Type");
    }
    if (!contains(headers, "Content-Type:")) {
      headers = concat_text(headers, kLineBreak, "Content-Type: ", kDefaultContentType);
    }
  }
  return headers;
}

void set_header(const ComObject& request, const Text& name, const Text& value) {
  request.call<HttpRequest>([&](HttpRequest& r) {
    return r.SetRequestHeader(Variant::from_text(name), Variant::from_text(value));
  });
}

void set_header_lines(const ComObject& request, const Text& headers) {
  if (!contains(headers, kLineBreak)) {
    set_header(request, header_name(headers), header_value(headers));
    return;
  }
  for (const Text& line : split_text(headers, kLineBreak)) {
    if (!line.empty()) set_header(request, header_name(line), header_value(line));
  }
}

// The name=value pair of every "Set-Cookie" line, joined by "; ".
Text collect_cookies(const Text& response_headers) {
  Text cookies;
  for (const Text& line : split_text(response_headers, kLineBreak)) {
    if (!text_equal(text_left_of(line, ": "), "Set-Cookie")) continue;
    Text item = contains(line, ";")
                    ? trim_spaces(text_between(line, "Set-Cookie:", ";"))
                    : trim_spaces(replace_text(line, "Set-Cookie:", "", 1, std::nullopt, false));
    cookies = concat_text(cookies, item, "; ");
  }
  return text_left(cookies, text_length(cookies) - 2);
}

std::int32_t truncate_to_int32(double x) {
  double whole = std::trunc(x);
  if (!(whole >= std::numeric_limits<std::int32_t>::min() &&
        whole <= std::numeric_limits<std::int32_t>::max())) {
    return 0;
  }
  return static_cast<std::int32_t>(whole);
}

}  // namespace

Bytes web_request(const Text& url, const WebRequestOptions& options) {
  const bool auto_merge = options.auto_merge_cookies.value_or(true);
  ComInitialization com;

  std::int32_t method = options.method;
  if (method < 0 || method > 7) method = 0;
  const Text method_name = kMethodNames[method];

  ComObject request;
  if (options.request_object) {
    request = *options.request_object;
  } else if (!platform::create_object(platform::kHttpRequestProgId, request)) {
    return {};
  }

  if (options.timeout_seconds != -1) {
    std::int32_t ms = options.timeout_seconds <= 0
                          ? kDefaultTimeoutMs
                          : static_cast<std::int32_t>(std::int64_t{options.timeout_seconds} * 1000);
    request.call<HttpRequest>([&](HttpRequest& r) { return r.SetTimeouts(ms, ms, ms, ms); });
  }

  if (!options.proxy.empty()) {
    request.call<HttpRequest>([&](HttpRequest& r) {
      return r.SetProxy(platform::kProxySettingProxy, Variant::from_text(options.proxy));
    });
    if (!options.proxy_user.empty() &&
        options.proxy_auth_mode.value_or(kProxyAuthBasic) == kProxyAuthBasic) {
      Bytes credentials =
          text_to_bytes(concat_text(options.proxy_user, ":", options.proxy_password));
      set_header(request, "Proxy-Authorization", concat_text("Basic ", base64_encode(credentials)));
    }
  }

  request.call<HttpRequest>([&](HttpRequest& r) {
    return r.Open(Variant::from_text(method_name), Variant::from_text(url), Variant(false));
  });
  if (options.no_redirect) {
    request.call<HttpRequest>([&](HttpRequest& r) {
      return r.put_Option(platform::kOptionEnableRedirects, Variant(std::int32_t{0}));
    });
  }
  // The request object's certificate checks stay on: ignoring them would let anyone on the path
  // pose as the service.

  Text scratch_headers;
  Text& headers = options.headers ? *options.headers : scratch_headers;
  headers = complete_headers(headers, url, method == kMethodPost);

  if (options.cookies) set_header(request, "Cookie", *options.cookies);
  set_header_lines(request, headers);

  if (options.post_bytes && !options.post_bytes->empty()) {
    request.call<HttpRequest>([&](HttpRequest& r) { return r.Send(Variant(*options.post_bytes)); });
  } else {
    request.call<HttpRequest>(
        [&](HttpRequest& r) { return r.Send(Variant::from_text(options.post_text)); });
  }

  Bytes body = request.call<HttpRequest>([](HttpRequest& r) { return r.ResponseBody(); }).bytes();

  Text scratch_response_headers;
  Text& response_headers =
      options.response_headers ? *options.response_headers : scratch_response_headers;
  response_headers =
      request.call<HttpRequest>([](HttpRequest& r) { return r.GetAllResponseHeaders(); }).text();

  std::int32_t scratch_status = 0;
  std::int32_t& status = options.status ? *options.status : scratch_status;
  status = truncate_to_int32(
      request.call<HttpRequest>([](HttpRequest& r) { return r.Status(); }).number());

  Text scratch_returned_cookies;
  Text& returned_cookies =
      options.returned_cookies ? *options.returned_cookies : scratch_returned_cookies;
  returned_cookies = collect_cookies(response_headers);

  if (auto_merge && options.cookies) {
    returned_cookies = merge_cookies(*options.cookies, returned_cookies);
  }
  return body;
}

}  // namespace varnelle

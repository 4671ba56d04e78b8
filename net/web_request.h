#pragma once
// One synchronous HTTP exchange through the platform's request object, done the way a browser
// would: browser-like default headers, the caller's cookies, Basic proxy credentials, and the
// cookies the reply sets collected (and merged into the caller's cookie string).

#include <cstdint>
#include <optional>

#include "platform/com_object.h"
#include "text/text.h"

namespace varnelle {

// The fields in their fixed order. Pointers refer to the caller's variables; a null pointer means
// "not given" (an out field is then written to a scratch variable). Only cookies,
// proxy_auth_mode, request_object and auto_merge_cookies distinguish "not given" from empty or 0.
struct WebRequestOptions {
  std::int32_t method = 0;  // 0 GET, 1 POST, 2 HEAD, 3 PUT, 4 OPTIONS, 5 DELETE, 6 TRACE, 7 CONNECT
  Text post_text;           // the body when post_bytes is empty
  Text* cookies = nullptr;  // in/out: sent as "Cookie", replaced by the merged cookie string
  Text* returned_cookies = nullptr;  // out: the cookies the reply set (merged when merging runs)
  Text* headers = nullptr;           // in/out: "\r\n"-separated lines, completed with the defaults
  Text* response_headers = nullptr;  // out
  std::int32_t* status = nullptr;    // out
  bool no_redirect = false;
  const Bytes* post_bytes = nullptr;  // the body whenever it is not empty
  Text proxy;                         // "host:port"; empty keeps the object's own setting
  std::int32_t timeout_seconds = 0;   // -1 leaves the object's time-outs; 0 or less means 15 s
  Text proxy_user;
  Text proxy_password;
  std::optional<std::int32_t> proxy_auth_mode;          // 1 (the default) sends Basic credentials
  const platform::ComObject* request_object = nullptr;  // run on this object instead of a new one
  std::optional<bool> auto_merge_cookies;               // default true
};

// Returns the reply body; empty when the request object cannot be made, the exchange fails or the
// reply has none. When the object cannot be made, none of the caller's variables is touched.
// Certificates are always verified.
Bytes web_request(const Text& url, const WebRequestOptions& options);

}  // namespace varnelle

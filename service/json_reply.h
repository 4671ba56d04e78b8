#pragma once
// The JSON bodies of the service's replies. Every reply has "code" (the HTTP status) and "msg";
// an upload reply has "data" ({"path": ...} on success, else null), a decode reply has
// "info": {"data": [texts]}. Everything outside ASCII is written as \u escapes, so the bytes are
// plain ASCII and read the same in any code page.

#include <string>
#include <string_view>
#include <vector>

namespace varnelle::service {

// A JSON string literal; invalid UTF-8 becomes U+FFFD.
std::string json_quote(std::string_view utf8);

std::string upload_reply(int status, std::string_view message, std::string_view path = {});

std::string decode_reply(int status, std::string_view message,
                         const std::vector<std::string>& texts = {});

// For statuses the routes did not answer themselves (unknown path, body too large, ...).
std::string error_reply(int status, std::string_view message);

}  // namespace varnelle::service

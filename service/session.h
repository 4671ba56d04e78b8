#pragma once
// The session cookie that binds uploads to the conversation that made them.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace varnelle::service {

inline constexpr std::string_view kSessionCookie = "vsid";

// 128 random bits from the system's CSPRNG, as 32 lower-case hexadecimal digits.
std::string random_token();

bool is_token(std::string_view text);

// The Set-Cookie value for a new session.
std::string session_cookie(std::string_view token);

// The session token among the values of the request's Cookie headers; a value that is not one
// of ours counts as no session.
std::optional<std::string> session_from_cookies(const std::vector<std::string>& cookie_headers);

}  // namespace varnelle::service

#include "service/session.h"

#include <openssl/rand.h>

#include <stdexcept>

namespace varnelle::service {
namespace {

std::string_view trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

}  // namespace

std::string random_token() {
  unsigned char bytes[16];
  if (RAND_bytes(bytes, sizeof bytes) != 1) throw std::runtime_error("no random bytes");
  static constexpr char kHex[] = "0123456789abcdef";
  std::string token;
  token.reserve(32);
  for (unsigned char b : bytes) {
    token += kHex[b >> 4];
    token += kHex[b & 15];
  }
  return token;
}

bool is_token(std::string_view text) {
  if (text.size() != 32) return false;
  for (char c : text)
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
  return true;
}

std::string session_cookie(std::string_view token) {
  return std::string(kSessionCookie) + "=" + std::string(token) +
         "; HttpOnly; Secure; SameSite=Lax; Path=/";
}

std::optional<std::string> session_from_cookies(const std::vector<std::string>& cookie_headers) {
  for (std::string_view header : cookie_headers) {
    while (!header.empty()) {
      auto end = header.find(';');
      std::string_view item = trim(header.substr(0, end));
      header = end == std::string_view::npos ? std::string_view() : header.substr(end + 1);
      auto eq = item.find('=');
      if (eq == std::string_view::npos || trim(item.substr(0, eq)) != kSessionCookie) continue;
      std::string_view value = trim(item.substr(eq + 1));
      if (is_token(value)) return std::string(value);
    }
  }
  return std::nullopt;
}

}  // namespace varnelle::service

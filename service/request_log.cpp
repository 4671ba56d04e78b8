#include "service/request_log.h"

#include <chrono>
#include <ctime>
#include <optional>

namespace varnelle::service {
namespace {

using Clock = std::chrono::steady_clock;

// A worker thread handles one request at a time, from routing to logging.
thread_local std::optional<Clock::time_point> request_start;

// Paths come from the peer: only printable ASCII goes to the log, and not too much of it.
std::string printable(std::string_view text, std::size_t limit) {
  std::string out;
  for (char c : text.substr(0, limit)) {
    auto u = static_cast<unsigned char>(c);
    if (u >= 0x21 && u < 0x7F) {
      out += c;
    } else {
      static constexpr char kHex[] = "0123456789ABCDEF";
      out += '%';
      out += kHex[u >> 4];
      out += kHex[u & 15];
    }
  }
  if (text.size() > limit) out += "...";
  return out;
}

}  // namespace

void RequestLog::mark_start() { request_start = Clock::now(); }

std::string RequestLog::format(std::string_view method, std::string_view path, int status,
                               double duration_ms) {
  char duration[32] = "-";
  if (duration_ms >= 0) std::snprintf(duration, sizeof duration, "%.1fms", duration_ms);
  return printable(method, 16) + " " + printable(path.empty() ? "-" : path, 200) + " " +
         std::to_string(status) + " " + duration;
}

void RequestLog::write(std::string_view method, std::string_view path, int status) {
  double duration_ms = -1;
  if (request_start) {
    duration_ms = std::chrono::duration<double, std::milli>(Clock::now() - *request_start).count();
    request_start.reset();
  }
  std::string line = format(method, path, status, duration_ms);
  std::time_t now = std::time(nullptr);
  std::tm utc{};
  gmtime_r(&now, &utc);
  char stamp[32];
  std::strftime(stamp, sizeof stamp, "%Y-%m-%dT%H:%M:%SZ", &utc);
  std::lock_guard lock(mutex_);
  std::fprintf(out_, "%s %s\n", stamp, line.c_str());
  std::fflush(out_);
}

}  // namespace varnelle::service

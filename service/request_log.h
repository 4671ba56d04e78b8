#pragma once
// One line per request on a stream: time, method, path, status and duration. Never a query,
// a header, a cookie or a body.

#include <cstdio>
#include <mutex>
#include <string>
#include <string_view>

namespace varnelle::service {

class RequestLog {
 public:
  explicit RequestLog(std::FILE* out) : out_(out) {}

  // Called when a request starts being handled, on the thread that will log it.
  static void mark_start();

  void write(std::string_view method, std::string_view path, int status);

  // The line as written, without its time stamp; duration_ms < 0 when unknown.
  static std::string format(std::string_view method, std::string_view path, int status,
                            double duration_ms);

 private:
  std::FILE* out_;
  std::mutex mutex_;
};

}  // namespace varnelle::service

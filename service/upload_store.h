#pragma once
// Uploaded pictures waiting to be decoded, held in memory under unguessable handles. Each upload
// belongs to the session that made it (or to no session), lives for a fixed time and is handed
// out once. The total size is capped. Thread-safe.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace varnelle::service {

class UploadStore {
 public:
  using Clock = std::chrono::steady_clock;

  // What one upload costs besides its bytes, so that a flood of tiny uploads hits the cap too.
  static constexpr std::size_t kOverheadBytes = 256;

  UploadStore(std::size_t cap_bytes, Clock::duration lifetime);

  // Stores the bytes and returns their path, "/u/<handle>.<extension>"; nullopt when they do
  // not fit under the cap. session is empty for an upload made without a session.
  std::optional<std::string> put(std::string session, std::vector<std::uint8_t> bytes,
                                 std::string_view extension, Clock::time_point now = Clock::now());

  // Hands out and forgets the upload at path when it belongs to session and has not expired.
  std::optional<std::vector<std::uint8_t>> take(std::string_view path, std::string_view session,
                                                Clock::time_point now = Clock::now());

  std::size_t size_bytes() const;
  std::size_t count() const;

 private:
  struct Upload {
    std::string path;
    std::string session;
    std::vector<std::uint8_t> bytes;
    Clock::time_point expires;
    std::size_t cost;  // what it counts against the cap
  };
  struct Expiry {
    Clock::time_point when;
    std::string handle;
  };

  void purge_expired(Clock::time_point now);
  void erase(std::unordered_map<std::string, Upload>::iterator it);

  const std::size_t cap_bytes_;
  const Clock::duration lifetime_;
  mutable std::mutex mutex_;
  std::unordered_map<std::string, Upload> uploads_;  // by handle
  std::deque<Expiry> expiries_;  // oldest first: every upload lives equally long
  std::size_t size_bytes_ = 0;
};

// The handle in an upload path of the form "/u/<32 hex digits>.<2 to 4 letters>", or nullopt
// for anything else.
std::optional<std::string_view> handle_of_path(std::string_view path);

}  // namespace varnelle::service

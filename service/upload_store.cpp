#include "service/upload_store.h"

#include "service/session.h"

namespace varnelle::service {

UploadStore::UploadStore(std::size_t cap_bytes, Clock::duration lifetime)
    : cap_bytes_(cap_bytes), lifetime_(lifetime) {}

std::optional<std::string> UploadStore::put(std::string session,
                                            std::vector<std::uint8_t> bytes,
                                            std::string_view extension, Clock::time_point now) {
  std::string handle = random_token();
  std::size_t cost = bytes.size() + kOverheadBytes;
  Upload upload{"/u/" + handle + "." + std::string(extension), std::move(session),
                std::move(bytes), now + lifetime_, cost};
  std::lock_guard lock(mutex_);
  purge_expired(now);
  if (cost > cap_bytes_ - size_bytes_) return std::nullopt;
  size_bytes_ += cost;
  expiries_.push_back({upload.expires, handle});
  std::string path = upload.path;
  uploads_.emplace(std::move(handle), std::move(upload));
  return path;
}

std::optional<std::vector<std::uint8_t>> UploadStore::take(std::string_view path,
                                                           std::string_view session,
                                                           Clock::time_point now) {
  auto handle = handle_of_path(path);
  if (!handle) return std::nullopt;
  std::lock_guard lock(mutex_);
  purge_expired(now);
  auto it = uploads_.find(std::string(*handle));
  if (it == uploads_.end() || it->second.path != path || it->second.session != session)
    return std::nullopt;
  std::vector<std::uint8_t> bytes = std::move(it->second.bytes);
  erase(it);
  return bytes;
}

std::size_t UploadStore::size_bytes() const {
  std::lock_guard lock(mutex_);
  return size_bytes_;
}

std::size_t UploadStore::count() const {
  std::lock_guard lock(mutex_);
  return uploads_.size();
}

void UploadStore::purge_expired(Clock::time_point now) {
  while (!expiries_.empty() && expiries_.front().when <= now) {
    auto it = uploads_.find(expiries_.front().handle);
    if (it != uploads_.end()) erase(it);
    expiries_.pop_front();
  }
  // Uploads taken early leave their expiry entries behind; keep that backlog bounded.
  if (expiries_.size() > 2 * uploads_.size() + 64) {
    std::erase_if(expiries_, [this](const Expiry& e) { return !uploads_.contains(e.handle); });
  }
}

void UploadStore::erase(std::unordered_map<std::string, Upload>::iterator it) {
  size_bytes_ -= it->second.cost;
  uploads_.erase(it);
}

std::optional<std::string_view> handle_of_path(std::string_view path) {
  constexpr std::string_view kPrefix = "/u/";
  if (!path.starts_with(kPrefix)) return std::nullopt;
  std::string_view rest = path.substr(kPrefix.size());
  if (rest.size() < 32 + 3 || rest.size() > 32 + 5 || rest[32] != '.') return std::nullopt;
  std::string_view handle = rest.substr(0, 32);
  if (!is_token(handle)) return std::nullopt;
  for (char c : rest.substr(33))
    if (c < 'a' || c > 'z') return std::nullopt;
  return handle;
}

}  // namespace varnelle::service

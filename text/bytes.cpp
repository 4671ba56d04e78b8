// Byte arrays: no characters here, every byte value (NUL included) is an ordinary byte.

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "text/text.h"

namespace varnelle {

int bytes_length(const Bytes& bytes) { return static_cast<int>(bytes.size()); }

Bytes bytes_mid(const Bytes& bytes, int start, int n) {
  const std::size_t from = start > 1 ? static_cast<std::size_t>(start) - 1 : 0;
  if (from >= bytes.size() || n <= 0) return {};
  const std::size_t count = std::min(bytes.size() - from, static_cast<std::size_t>(n));
  return Bytes(bytes.begin() + from, bytes.begin() + from + count);
}

Bytes replace_bytes(const Bytes& bytes, const Bytes& old_bytes, const Bytes& new_bytes, int start,
                    std::optional<int> max_count) {
  const std::size_t from = start > 1 ? static_cast<std::size_t>(start) - 1 : 0;
  if (bytes.empty() || old_bytes.empty() || from >= bytes.size() ||
      (max_count && *max_count <= 0)) {
    return bytes;
  }
  Bytes out;
  out.reserve(bytes.size());
  const std::uint8_t* const data = bytes.data();
  const std::size_t size = bytes.size();
  out.insert(out.end(), data, data + from);
  std::size_t copied = from;
  int replaced = 0;
  while (size - copied >= old_bytes.size()) {
    // glibc's memmem is linear in the worst case (two-way), so the whole replacement is too.
    const void* hit = memmem(data + copied, size - copied, old_bytes.data(), old_bytes.size());
    if (!hit) break;
    const std::size_t found = static_cast<const std::uint8_t*>(hit) - data;
    out.insert(out.end(), data + copied, data + found);
    out.insert(out.end(), new_bytes.begin(), new_bytes.end());
    copied = found + old_bytes.size();
    if (max_count && ++replaced == *max_count) break;
  }
  out.insert(out.end(), data + copied, data + size);
  return out;
}

bool bytes_equal(const Bytes& a, const Bytes& b) { return a == b; }

Bytes blank_bytes(int n) { return n <= 0 ? Bytes() : Bytes(static_cast<std::size_t>(n), 0); }

}  // namespace varnelle

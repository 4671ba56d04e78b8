#include "service/qr_text.h"

#include <iconv.h>

#include <cerrno>

namespace varnelle::service {
namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

class Iconv {
 public:
  Iconv(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Iconv() {
    if (ok()) iconv_close(cd_);
  }
  Iconv(const Iconv&) = delete;
  Iconv& operator=(const Iconv&) = delete;
  bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
  iconv_t get() const { return cd_; }

 private:
  iconv_t cd_;
};

std::string gb18030_to_utf8(std::string_view in) {
  Iconv converter("UTF-8", "GB18030");
  if (!converter.ok()) return std::string(kReplacement);
  std::string out;
  char buffer[4096];
  char* src = const_cast<char*>(in.data());
  std::size_t src_left = in.size();
  while (src_left > 0) {
    char* dst = buffer;
    std::size_t dst_left = sizeof buffer;
    std::size_t rc = iconv(converter.get(), &src, &src_left, &dst, &dst_left);
    out.append(buffer, dst - buffer);
    if (rc != static_cast<std::size_t>(-1) || errno == E2BIG) continue;
    // EILSEQ, or EINVAL for a sequence cut short at the end: one byte gives way.
    out += kReplacement;
    ++src;
    --src_left;
  }
  return out;
}

}  // namespace

bool is_valid_utf8(std::string_view bytes) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  const auto* end = p + bytes.size();
  while (p < end) {
    unsigned char c = *p;
    int length;
    std::uint32_t code;
    if (c < 0x80) {
      ++p;
      continue;
    } else if (c >= 0xC2 && c <= 0xDF) {
      length = 2;
      code = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
      length = 3;
      code = c & 0x0F;
    } else if (c >= 0xF0 && c <= 0xF4) {
      length = 4;
      code = c & 0x07;
    } else {
      return false;
    }
    if (end - p < length) return false;
    for (int i = 1; i < length; ++i) {
      if ((p[i] & 0xC0) != 0x80) return false;
      code = (code << 6) | (p[i] & 0x3F);
    }
    static constexpr std::uint32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < kSmallest[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
      return false;
    p += length;
  }
  return true;
}

std::string unmarked_text_to_utf8(std::span<const std::uint8_t> bytes) {
  std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  if (is_valid_utf8(text)) return std::string(text);
  return gb18030_to_utf8(text);
}

}  // namespace varnelle::service

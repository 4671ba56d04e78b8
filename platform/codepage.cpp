#include "platform/codepage.h"

#include <iconv.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace varnelle::platform {
namespace {

constexpr char16_t kReplacement = u'\uFFFD';

const char* iconv_name(unsigned code_page) {
  switch (code_page) {
    case CP_ACP:
    case CP_GBK:  // code page 936 is the ANSI code page here; GB18030 is its lossless superset
      return "GB18030";
    case CP_UTF8:
      return "UTF-8";
    default:
      return nullptr;
  }
}

class Converter {
 public:
  Converter(const char* to, const char* from) : handle_(iconv_open(to, from)) {}
  ~Converter() {
    if (ok()) iconv_close(handle_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;
  bool ok() const { return handle_ != reinterpret_cast<iconv_t>(-1); }

  // Converts as much as possible; stops at an invalid or incomplete sequence.
  void run(const char*& in, size_t& in_left, std::string& out) {
    char buffer[4096];
    while (in_left > 0) {
      char* dst = buffer;
      size_t dst_left = sizeof buffer;
      size_t rc = iconv(handle_, const_cast<char**>(&in), &in_left, &dst, &dst_left);
      out.append(buffer, dst - buffer);
      if (rc == static_cast<size_t>(-1) && errno != E2BIG) return;
    }
  }

 private:
  iconv_t handle_;
};

std::u16string from_le_bytes(const std::string& bytes) {
  std::u16string out(bytes.size() / 2, u'\0');
  for (size_t i = 0; i < out.size(); ++i) {
    out[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                   (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
  }
  return out;
}

std::string to_le_bytes(std::u16string_view units) {
  std::string out(units.size() * 2, '\0');
  for (size_t i = 0; i < units.size(); ++i) {
    out[2 * i] = static_cast<char>(units[i] & 0xFF);
    out[2 * i + 1] = static_cast<char>(units[i] >> 8);
  }
  return out;
}

// Decodes bytes of a code page to UTF-16; invalid bytes become U+FFFD one byte at a time.
bool decode(unsigned code_page, std::string_view bytes, std::u16string& out) {
  const char* name = iconv_name(code_page);
  if (!name) return false;
  Converter converter("UTF-16LE", name);
  if (!converter.ok()) return false;
  std::string le;
  const char* in = bytes.data();
  size_t left = bytes.size();
  while (left > 0) {
    converter.run(in, left, le);
    if (left > 0) {  // invalid or truncated sequence
      le.push_back(static_cast<char>(kReplacement & 0xFF));
      le.push_back(static_cast<char>(kReplacement >> 8));
      ++in;
      --left;
    }
  }
  out = from_le_bytes(le);
  return true;
}

// Encodes UTF-16 into a code page; characters it cannot hold, and lone surrogates, become the
// replacement (default_char for ANSI, U+FFFD for UTF-8), and `replaced` tells whether any did.
bool encode(unsigned code_page, std::u16string_view units, std::string_view replacement,
            std::string& out, bool* replaced = nullptr) {
  const char* name = iconv_name(code_page);
  if (!name) return false;
  Converter converter(name, "UTF-16LE");
  if (!converter.ok()) return false;
  const std::string le = to_le_bytes(units);
  const char* in = le.data();
  size_t left = le.size();
  while (left > 0) {
    converter.run(in, left, out);
    if (left > 0) {
      out.append(replacement);
      if (replaced) *replaced = true;
      // Skip one unit, or a whole pair when a valid pair could not be encoded.
      size_t unit = (in - le.data()) / 2;
      size_t skip = 1;
      if (units[unit] >= 0xD800 && units[unit] <= 0xDBFF && unit + 1 < units.size() &&
          units[unit + 1] >= 0xDC00 && units[unit + 1] <= 0xDFFF) {
        skip = 2;
      }
      in += 2 * skip;
      left -= 2 * skip;
    }
  }
  return true;
}

// Length in bytes of the character that starts at bytes[i] in the code page's encoding.
size_t char_width(unsigned code_page, std::string_view bytes, size_t i) {
  unsigned char b = static_cast<unsigned char>(bytes[i]);
  if (code_page == CP_UTF8) {
    if (b >= 0xF0) return 4;
    if (b >= 0xE0) return 3;
    if (b >= 0xC0) return 2;
    return 1;
  }
  if (b < 0x81) return 1;
  if (i + 1 < bytes.size()) {
    unsigned char second = static_cast<unsigned char>(bytes[i + 1]);
    if (second >= 0x30 && second <= 0x39) return 4;
  }
  return 2;
}

size_t source_length(const char* s, int length) {
  return length < 0 ? std::strlen(s) + 1 : static_cast<size_t>(length);
}

size_t source_length(const char16_t* s, int length) {
  if (length >= 0) return static_cast<size_t>(length);
  size_t n = 0;
  while (s[n] != 0) ++n;
  return n + 1;
}

}  // namespace

int MultiByteToWideChar(unsigned code_page, unsigned /*flags*/, const char* source,
                        int source_length_in, char16_t* destination, int destination_size) {
  if (!source || destination_size < 0) return 0;
  std::u16string wide;
  if (!decode(code_page, std::string_view(source, source_length(source, source_length_in)), wide))
    return 0;
  if (destination_size == 0) return static_cast<int>(wide.size());
  if (!destination) return 0;
  if (wide.size() <= static_cast<size_t>(destination_size)) {
    std::copy(wide.begin(), wide.end(), destination);
    return static_cast<int>(wide.size());
  }
  // Too small: whole characters only, never half a surrogate pair.
  size_t fit = static_cast<size_t>(destination_size);
  if (fit > 0 && wide[fit - 1] >= 0xD800 && wide[fit - 1] <= 0xDBFF) --fit;
  std::copy(wide.begin(), wide.begin() + fit, destination);
  return 0;
}

int WideCharToMultiByte(unsigned code_page, unsigned /*flags*/, const char16_t* source,
                        int source_length_in, char* destination, int destination_size,
                        const char* default_char, bool* used_default_char) {
  if (!source || destination_size < 0) return 0;
  std::u16string_view units(source, source_length(source, source_length_in));
  std::string replacement = code_page == CP_UTF8 ? "\xEF\xBF\xBD" : (default_char ? default_char : "?");
  std::string bytes;
  bool replaced = false;
  if (!encode(code_page, units, replacement, bytes, &replaced)) return 0;
  if (used_default_char) *used_default_char = replaced;
  if (destination_size == 0) return static_cast<int>(bytes.size());
  if (!destination) return 0;
  if (bytes.size() <= static_cast<size_t>(destination_size)) {
    std::memcpy(destination, bytes.data(), bytes.size());
    return static_cast<int>(bytes.size());
  }
  // Too small: whole characters only.
  size_t fit = 0;
  while (fit < bytes.size()) {
    size_t width = char_width(code_page, bytes, fit);
    if (fit + width > static_cast<size_t>(destination_size)) break;
    fit += width;
  }
  std::memcpy(destination, bytes.data(), fit);
  return 0;
}

std::u16string ansi_to_wide(std::string_view ansi) {
  std::u16string wide;
  decode(CP_ACP, ansi, wide);
  return wide;
}

Text wide_to_ansi(std::u16string_view wide) {
  std::string ansi;
  encode(CP_ACP, wide, "?", ansi);
  // A Text never holds NUL: it ends at the first one.
  return ansi.substr(0, ansi.find('\0'));
}

std::string ansi_to_utf8_string(std::string_view ansi) {
  std::string utf8;
  encode(CP_UTF8, ansi_to_wide(ansi), "\xEF\xBF\xBD", utf8);
  return utf8;
}

Text utf8_to_ansi(std::string_view utf8) {
  std::u16string wide;
  decode(CP_UTF8, utf8, wide);
  return wide_to_ansi(wide);
}

bool is_valid_utf8(std::string_view bytes) {
  size_t i = 0;
  while (i < bytes.size()) {
    unsigned char b = static_cast<unsigned char>(bytes[i]);
    size_t extra;
    char32_t cp;
    if (b < 0x80) {
      ++i;
      continue;
    } else if (b >= 0xC2 && b <= 0xDF) {
      extra = 1, cp = b & 0x1F;
    } else if (b >= 0xE0 && b <= 0xEF) {
      extra = 2, cp = b & 0x0F;
    } else if (b >= 0xF0 && b <= 0xF4) {
      extra = 3, cp = b & 0x07;
    } else {
      return false;
    }
    if (i + extra >= bytes.size()) return false;
    for (size_t k = 1; k <= extra; ++k) {
      unsigned char c = static_cast<unsigned char>(bytes[i + k]);
      if ((c & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (c & 0x3F);
    }
    if ((extra == 2 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) ||
        (extra == 3 && (cp < 0x10000 || cp > 0x10FFFF)))
      return false;
    i += extra + 1;
  }
  return true;
}

}  // namespace varnelle::platform

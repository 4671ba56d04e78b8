#include "codec/code_page.h"

#include <algorithm>
#include <string>

#include "platform/codepage.h"

namespace varnelle {
namespace {

using platform::CP_ACP;

// The converters size their buffers by the ANSI code page. When the requested code page needs
// more room (text that reads longer in it), the sized call writes only whole characters and
// reports 0; a second pass then sizes by the requested code page, so nothing is cut off.

std::u16string to_wide(const Text& text, unsigned code_page) {
  int size = platform::MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
  std::u16string buffer(size, u'\0');
  int written = platform::MultiByteToWideChar(code_page, 0, text.c_str(), -1, buffer.data(), size);
  if (written == 0 &&
      (size = platform::MultiByteToWideChar(code_page, 0, text.c_str(), -1, nullptr, 0)) > 0) {
    buffer.assign(size, u'\0');
    written = platform::MultiByteToWideChar(code_page, 0, text.c_str(), -1, buffer.data(), size);
  }
  buffer.resize(written);  // a code page that reads shorter than ANSI leaves unused units
  return buffer;
}

Text to_multibyte(const std::u16string& units, unsigned code_page) {
  int size =
      2 * platform::WideCharToMultiByte(CP_ACP, 0, units.c_str(), -1, nullptr, 0, nullptr, nullptr);
  Text buffer = blank_text(size);
  int written = platform::WideCharToMultiByte(code_page, 0, units.c_str(), -1, buffer.data(), size,
                                              nullptr, nullptr);
  if (written == 0 && (size = platform::WideCharToMultiByte(code_page, 0, units.c_str(), -1,
                                                            nullptr, 0, nullptr, nullptr)) > 0) {
    buffer = blank_text(size);
    written = platform::WideCharToMultiByte(code_page, 0, units.c_str(), -1, buffer.data(), size,
                                            nullptr, nullptr);
  }
  // The written bytes end with the terminator; a Text stops before it.
  return buffer.substr(0, std::max(written - 1, 0));
}

}  // namespace

Bytes multibyte_to_wide(const Text& text, int code_page) {
  const std::u16string units = to_wide(text, static_cast<unsigned>(code_page));
  Bytes wide = blank_bytes(2 * static_cast<int>(units.size()));
  for (std::size_t i = 0; i < units.size(); ++i) {
    wide[2 * i] = static_cast<std::uint8_t>(units[i] & 0xFF);
    wide[2 * i + 1] = static_cast<std::uint8_t>(units[i] >> 8);
  }
  return wide;
}

Text wide_to_multibyte(const Bytes& wide, int code_page) {
  // Own terminated copy: the converters read up to a zero unit, which `wide` may lack.
  std::u16string units;
  for (std::size_t i = 0; i + 1 < wide.size(); i += 2) {
    const char16_t unit = static_cast<char16_t>(wide[i] | (wide[i + 1] << 8));
    if (unit == 0) break;
    units.push_back(unit);
  }
  return to_multibyte(units, static_cast<unsigned>(code_page));
}

Text ansi_to_utf8(const Text& text) {
  return wide_to_multibyte(multibyte_to_wide(text, platform::CP_GBK), platform::CP_UTF8);
}

}  // namespace varnelle

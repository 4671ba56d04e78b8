#include "app/qt_text.h"

#include "platform/codepage.h"

namespace varnelle {

QString to_qstring(const Text& text) {
  const std::u16string wide = platform::ansi_to_wide(text);
  return QString::fromUtf16(wide.data(), static_cast<qsizetype>(wide.size()));
}

Text to_text(const QString& string) {
  return platform::wide_to_ansi(
      std::u16string_view(reinterpret_cast<const char16_t*>(string.utf16()), string.size()));
}

}  // namespace varnelle

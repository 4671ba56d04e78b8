#pragma once
// Where Text meets Qt: Qt speaks UTF-16, Text is in the ANSI code page (GB18030).

#include <QString>

#include "text/text.h"

namespace varnelle {

QString to_qstring(const Text& text);
Text to_text(const QString& string);

}  // namespace varnelle

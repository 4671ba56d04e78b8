#pragma once
// Code-page conversion between Text and the UTF-16 form: Bytes of little-endian 16-bit units that
// end with one zero unit. Code pages: 0 (the ANSI code page), 936 (GBK) and 65001 (UTF-8).

#include "text/text.h"

namespace varnelle {

// The UTF-16 form of `text` read in `code_page`, with its terminating zero unit; empty when the
// code page is unknown.
Bytes multibyte_to_wide(const Text& text, int code_page = 65001);

// The characters of `wide` written in `code_page`, up to its first zero unit. An odd last byte is
// ignored and a missing terminator is supplied; empty when the code page is unknown.
Text wide_to_multibyte(const Bytes& wide, int code_page = 0);

// The UTF-8 bytes of a text in code page 936.
Text ansi_to_utf8(const Text& text);

}  // namespace varnelle

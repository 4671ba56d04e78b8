#pragma once
// Code-page converters standing in for the platform's MultiByteToWideChar and WideCharToMultiByte,
// on iconv. The ANSI code page is GB18030: the same bytes as code page 936 for every GBK text, and
// able to hold every other character, so texts round-trip instead of turning into "?".

#include <string>
#include <string_view>

#include "text/text.h"

namespace varnelle::platform {

inline constexpr unsigned CP_ACP = 0;
inline constexpr unsigned CP_GBK = 936;
inline constexpr unsigned CP_UTF8 = 65001;

// A source length of -1 covers the source up to and including its terminating zero, and the count
// returned includes it. A destination size of 0 asks for the count needed. When the destination is
// too small, only whole characters that fit are written and the result is 0. An unknown code page
// gives 0. Bytes that are not valid in the code page become U+FFFD; characters the target code page
// cannot hold become "?" (or U+FFFD in UTF-8).
int MultiByteToWideChar(unsigned code_page, unsigned flags, const char* source, int source_length,
                        char16_t* destination, int destination_size);
int WideCharToMultiByte(unsigned code_page, unsigned flags, const char16_t* source,
                        int source_length, char* destination, int destination_size,
                        const char* default_char, bool* used_default_char);

// Whole-string forms for the edges where text crosses into UTF-16 or UTF-8.
std::u16string ansi_to_wide(std::string_view ansi);
Text wide_to_ansi(std::u16string_view wide);
std::string ansi_to_utf8_string(std::string_view ansi);
Text utf8_to_ansi(std::string_view utf8);
bool is_valid_utf8(std::string_view bytes);

}  // namespace varnelle::platform

#pragma once
// The three value types every layer passes around, and their primitives.
//
// Text is a byte string in the ANSI code page (GB18030 on this platform) that never holds a NUL
// byte. A byte of 0x80 or more begins a double-byte character: the scanning operations step over
// both bytes, the cutting operations count plain bytes. Positions are 1-based; a search that finds
// nothing yields -1. No primitive throws or changes its arguments.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace varnelle {

using Text = std::string;
using Bytes = std::vector<std::uint8_t>;
using TextList = std::vector<Text>;  // addressed 1..list_count through list_item

// Measuring, cutting, building
int text_length(const Text& text);
Text text_left(const Text& text, int n);
Text text_right(const Text& text, int n);
Text text_mid(const Text& text, int start, int n);
bool text_equal(const Text& a, const Text& b);
Text blank_text(int n);
int char_code(const Text& text, int pos = 1);
Text char_from_code(std::uint8_t code);

template <class... Rest>
Text concat_text(const Text& first, const Rest&... rest) {
  Text out = first;
  (out.append(rest), ...);
  return out;
}

// Searching and rewriting
int find_text(const Text& text, const Text& needle, int start = 1, bool ignore_case = false);
int find_text_reverse(const Text& text, const Text& needle, std::optional<int> limit = std::nullopt,
                      bool ignore_case = false);
Text replace_text(const Text& text, const Text& old_text, const Text& new_text = {}, int start = 1,
                  std::optional<int> max_count = std::nullopt, bool case_sensitive = true);
TextList split_text(const Text& text, const Text& separator = ",",
                    std::optional<int> max_count = std::nullopt);
Text trim_spaces(const Text& text);
Text remove_spaces(const Text& text);

// Conversions
Bytes text_to_bytes(const Text& text);
Text bytes_to_text(const Bytes& bytes);
Text int_to_text(int n);
Text double_to_text(double x);  // "%.13g" with a three-digit exponent
Text hex_text(int n);
int text_to_int(const Text& text);
std::uint8_t low_byte(int n);

// Byte arrays and files
int bytes_length(const Bytes& bytes);
Bytes bytes_mid(const Bytes& bytes, int start, int n);
Bytes replace_bytes(const Bytes& bytes, const Bytes& old_bytes, const Bytes& new_bytes = {},
                    int start = 1, std::optional<int> max_count = std::nullopt);
bool bytes_equal(const Bytes& a, const Bytes& b);
Bytes blank_bytes(int n);
// The path is converted to the UTF-8 file name; only a regular file is read.
Bytes read_file(const Text& path);

template <class... Rest>
Bytes concat_bytes(const Bytes& first, const Rest&... rest) {
  Bytes out = first;
  (out.insert(out.end(), rest.begin(), rest.end()), ...);
  return out;
}

// Numbers and bits
double modulo(double a, double b);
int bit_and(int a, int b);
int shift_left(int v, int n);
int shift_right(int v, int n);

// Text lists
int list_count(const TextList& list);
const Text& list_item(const TextList& list, int index);  // 1 <= index <= list_count
void list_append(TextList& list, const Text& text);
void list_clear(TextList& list);

}  // namespace varnelle

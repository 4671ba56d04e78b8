#pragma once
// Slicing and list helpers on the text primitives: the file name at the end of a path, the name and
// value of a header line, text before or between markers, and de-duplicated joining.

#include "text/text.h"

namespace varnelle {

Text text_right_of_last(const Text& text, const Text& separator, bool ignore_case = true);
Text header_name(const Text& line);
Text header_value(const Text& line);
Text text_left_of(const Text& text, const Text& marker, int start = 1, bool ignore_case = false);
// In the markers, "#引号" (in the ANSI code page) stands for one double quote.
Text text_between(const Text& text, const Text& begin_marker, const Text& end_marker, int start = 1,
                  bool ignore_case = false);
Text dedup_join(const Text& text, const Text& separator, bool by_separator);
int split_characters(const Text& text, TextList& list);
int list_index_of(const TextList& list, const Text& text);

}  // namespace varnelle

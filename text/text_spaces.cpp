// Spaces are the ASCII space and the full-width space 0xA1 0xA1, seen one character at a time, so
// an 0xA1 pair that straddles two characters is not a space.

#include "text/characters.h"
#include "text/text.h"

namespace varnelle {

using characters::char_width;
using characters::is_lone_lead_byte;
using characters::space_width;

Text trim_spaces(const Text& text) {
  std::size_t offset = 0;
  for (std::size_t width; offset < text.size() && (width = space_width(text, offset)) > 0;) {
    offset += width;
  }
  const std::size_t begin = offset;
  std::size_t end = text.size();
  std::size_t space_run = Text::npos;
  while (offset < text.size()) {
    if (is_lone_lead_byte(text, offset)) {
      // The malformed last byte goes, but the spaces before it stay.
      space_run = Text::npos;
      end = offset;
      break;
    }
    const std::size_t width = space_width(text, offset);
    if (width == 0) {
      space_run = Text::npos;
      offset += char_width(text, offset);
    } else {
      if (space_run == Text::npos) space_run = offset;
      offset += width;
    }
  }
  if (space_run != Text::npos) end = space_run;
  return text.substr(begin, end - begin);
}

Text remove_spaces(const Text& text) {
  Text out;
  out.reserve(text.size());
  std::size_t offset = 0;
  while (offset < text.size() && !is_lone_lead_byte(text, offset)) {
    const std::size_t space = space_width(text, offset);
    if (space > 0) {
      offset += space;
    } else {
      const std::size_t width = char_width(text, offset);
      out.append(text, offset, width);
      offset += width;
    }
  }
  return out;
}

}  // namespace varnelle

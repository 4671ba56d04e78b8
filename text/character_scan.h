#pragma once
// Finds, left to right, the occurrences of a needle that begin on a character start of a text, in
// time linear in the text whatever the needle: a Knuth-Morris-Pratt automaton (skipping with memchr
// while no prefix is pending) yields every byte offset where the needle occurs, and a forward walk
// over the character starts drops those that begin on the second byte of a double-byte character.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace varnelle {

class CharacterScan {
 public:
  static constexpr std::size_t npos = std::string_view::npos;

  // The text must outlive the scan; the needle must not be empty. Character starts are counted from
  // `from`, even when that byte is the second byte of a double-byte character.
  CharacterScan(std::string_view text, std::string_view needle, bool ignore_case, std::size_t from);

  // Offset of the next occurrence on a character start, or npos. It may overlap the previous one
  // unless continue_after was called.
  std::size_t next();

  // Makes the scan go on after the occurrence at `offset`, which next() has just returned.
  void continue_after(std::size_t offset);

  // Whether `offset` is a character start. Offsets asked about must not decrease.
  bool is_character_start(std::size_t offset);

 private:
  std::size_t next_occurrence();
  std::size_t skip_to_first_byte(std::size_t offset) const;
  unsigned char folded(std::size_t offset) const;

  std::string_view text_;
  std::string needle_;               // folded when case is ignored
  std::vector<std::size_t> border_;  // border_[k]: longest proper border of needle_[0..k]
  bool ignore_case_;
  std::size_t offset_;  // next byte the automaton reads
  std::size_t matched_ = 0;
  std::size_t char_start_;  // a character start at or before every offset still to be asked about
};

}  // namespace varnelle

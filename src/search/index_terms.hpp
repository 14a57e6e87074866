#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace palvarin {

// The text the index's trigram tokenizer is given for one history: every distinct trigram of
// its case-folded message texts, each text followed by a line feed and the last by two, so
// that every character and every pair of neighbouring characters starts a trigram. A stretch
// of the texts whose trigrams were all given already is left out (chats repeat themselves);
// where the text resumes, the trigrams across the gap are new but only make a history a
// candidate in vain, as every candidate is checked word for word. A sequence that is no UTF-8
// counts as a line feed: the tokenizer might read it otherwise, and no well-formed word
// matches across it.
class IndexText {
 public:
  IndexText();
  // Adds one message's folded text.
  void Add(std::string_view folded);
  // The text for the index of what was added since the last Take.
  std::string Take();

 private:
  void Feed(std::uint32_t c);
  bool Insert(std::uint64_t key);
  void Claim(std::size_t slot, std::uint64_t key);
  void Grow();

  std::string text_;
  std::uint64_t window_ = 0;  // the last three characters, 21 bits each
  int seen_ = 0;              // characters fed since the last Take, up to 3
  bool resumed_ = false;      // whether the last character fed was given
  // The distinct trigrams given (as `window_`): open addressing, 0 for a free slot; the slots
  // used are listed in `used_` to be freed again cheaply.
  std::vector<std::uint64_t> slots_;
  std::vector<std::uint32_t> used_;
};

// What the index is asked for a query: an FTS5 query of trigrams for its words of three
// characters or more, and the words of one or two characters, which are the starts of
// trigrams held (see IndexText). Every history holding all words matches both (some others
// may). A word that is no well-formed UTF-8, or holds what the tokenizer reads otherwise
// (U+FFFE, U+FFFF), is in neither: nothing narrows the histories down by it.
struct IndexQuery {
  std::optional<std::string> trigrams;
  std::vector<std::string> starts;
};
IndexQuery MakeIndexQuery(const std::vector<std::string>& words);

}  // namespace palvarin

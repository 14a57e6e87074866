#include "search/search_query.hpp"

#include <unicode/utf8.h>

#include <cstdint>

#include "search/case_fold.hpp"

namespace palvarin {
namespace {

constexpr std::string_view kIdeographicSpace = "\u3000";

// The byte offsets at which the characters of `word` start; none when it is no UTF-8.
std::optional<std::vector<std::size_t>> CharacterStarts(std::string_view word) {
  std::vector<std::size_t> starts;
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(word.data());
  const auto length = static_cast<std::int32_t>(word.size());
  for (std::int32_t at = 0; at < length;) {
    starts.push_back(static_cast<std::size_t>(at));
    UChar32 c = 0;
    U8_NEXT(bytes, at, length, c);
    if (c <= 0) return std::nullopt;  // ill-formed, or a NUL the index would not keep
  }
  return starts;
}

// A string of FTS5's query syntax: in double quotes, each of its own doubled.
void AppendQuoted(std::string& query, std::string_view text) {
  query += '"';
  for (const char c : text) query += c == '"' ? "\"\"" : std::string_view(&c, 1);
  query += "\" ";
}

}  // namespace

std::vector<std::string> QueryWords(std::string_view query) {
  std::vector<std::string> words;
  std::string word;
  const auto endWord = [&] {
    if (!word.empty()) words.push_back(FoldCase(word));
    word.clear();
  };
  for (std::size_t at = 0; at < query.size();) {
    if (query[at] == ' ' || query[at] == '\t') {
      endWord();
      ++at;
    } else if (query.substr(at).starts_with(kIdeographicSpace)) {
      endWord();
      at += kIdeographicSpace.size();
    } else {
      word += query[at++];
    }
  }
  endWord();
  return words;
}

bool HoldsEveryWord(std::string_view foldedText, const std::vector<std::string>& words) {
  for (const std::string& word : words) {
    if (foldedText.find(word) == std::string_view::npos) return false;
  }
  return true;
}

std::optional<std::string> TrigramQuery(const std::vector<std::string>& words) {
  std::string query;
  for (const std::string& word : words) {
    const auto starts = CharacterStarts(word);
    if (!starts || starts->size() < 3) continue;
    // Every third trigram and the last cover each character once or twice: enough to narrow
    // the texts down, as the texts found are checked word for word anyway.
    const std::size_t count = starts->size() - 2;
    std::vector<std::size_t> firsts;
    for (std::size_t first = 0; first < count; first += 3) firsts.push_back(first);
    if (firsts.back() != count - 1) firsts.push_back(count - 1);
    for (const std::size_t first : firsts) {
      const std::size_t end = first + 3 < starts->size() ? (*starts)[first + 3] : word.size();
      AppendQuoted(query, std::string_view(word).substr((*starts)[first], end - (*starts)[first]));
    }
  }
  if (query.empty()) return std::nullopt;
  query.pop_back();
  return query;
}

}  // namespace palvarin

#include "search/search_query.hpp"

#include "search/case_fold.hpp"

namespace palvarin {
namespace {

constexpr std::string_view kIdeographicSpace = "\u3000";

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

}  // namespace palvarin

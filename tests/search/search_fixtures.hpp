#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "search/run_search.hpp"
#include "support/test_support.hpp"

namespace palvarin::test {

// A message as the tests compare them: its file's name and its text.
struct FoundMessage {
  std::string file, text;
  bool operator==(const FoundMessage&) const = default;
};
inline void PrintTo(const FoundMessage& found, std::ostream* out) {
  *out << ::testing::PrintToString(found.file) << ": " << ::testing::PrintToString(found.text);
}

// What a search found, as FoundMessage.
std::vector<FoundMessage> Found(const SearchReport& report);

// The messages of the history `file`, or of every "*.xml" in the folder `file`, whose text
// holds every word of `query` (split at ASCII and ideographic spaces), read with pugixml alone
// and compared code point by code point after u_foldCase: the plain scan a search must equal.
std::vector<FoundMessage> PlainScan(const std::filesystem::path& path, std::string_view query);

// A temporary folder holding a copy of the corpus in "corpus", generated histories with
// Japanese and accented Latin texts in "generated", and the cache: XDG_CACHE_HOME points at
// "cache" for the life of the object.
class SearchFolders {
 public:
  SearchFolders();
  std::filesystem::path Corpus() const { return root_ / "corpus"; }
  std::filesystem::path Generated() const { return root_ / "generated"; }
  std::filesystem::path Cache() const { return root_ / "cache"; }
  std::filesystem::path IndexFile() const { return Cache() / "palvarin" / "search-index.sqlite3"; }

 private:
  TempFolder root_;
  ScopedEnvironment cache_;
};

// The texts the generated histories are made of; each holds words the query tables look for.
std::vector<std::string> GeneratedTexts();

}  // namespace palvarin::test

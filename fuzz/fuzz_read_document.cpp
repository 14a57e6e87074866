// Any bytes as a history the reader, the exports and the search are given. A file that loads
// is shown whole: each export is written, every entry reads, and a search for a word of a
// message's text finds that message. A file that does not load is neither exported nor
// searched. Deep trees and character references reach each of these paths here, not only the
// merge's.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "export/export_history.hpp"
#include "fuzz_pipeline.hpp"
#include "history_messages.hpp"
#include "reader/history_book.hpp"
#include "search/search_query.hpp"

namespace palvarin::fuzz {
namespace {

void CheckExports(const LogDocument& document) {
  const ExportWords words{.language = "en", .conversation = "Conversation"};
  for (const ExportFormat format :
       {ExportFormat::Html, ExportFormat::Text, ExportFormat::JsonLines}) {
    ExportSummary summary;
    const ExportOptions options{.format = format, .words = &words, .title = "fuzz"};
    Require(
        static_cast<bool>(ExportHistory(document, options, ScratchFolder() / "export", summary)),
        "a history that loads is exported");
  }
}

// The first entry's text, when it has one of 3 to 16 bytes, is searched for and found.
void CheckSearch(const std::filesystem::path& file, const HistoryBook& book) {
  std::vector<SearchHit> hits;
  if (book.EntryCount() == 0) return;
  const std::optional<std::string> text = book.Entry(0).text;
  const std::vector<std::string> words = QueryWords(text ? *text : "x");
  // A text of one word, so that the query holds it whole.
  const bool plain = text && text->size() >= 3 && text->size() <= 16 && words.size() == 1 &&
                     text->find_first_of(" \t\r\n\xE3") == std::string::npos;
  Reason damage;
  Require(static_cast<bool>(SearchHistoryFile(file, words, hits, nullptr, damage)),
          "a history that loads is searched");
  Require(!plain || !hits.empty(), "a message's own text finds it");
}

void CheckInput(std::string_view bytes) {
  const auto input = WriteScratch("input.xml", bytes);
  Result<HistoryBook> book = OpenHistoryBook(input);
  std::vector<SearchHit> hits;
  if (!book) {
    Reason damage;
    Require(!SearchHistoryFile(input, {"x"}, hits, nullptr, damage),
            "a file that does not load is not searched");
    return;
  }
  for (int i = 0; i < book->EntryCount(); ++i) (void)book->Entry(i);
  // The reader, the exports and the search all take a damaged history's whole entries.
  const auto document = LoadLogDocument(input, BrokenOff::Rescue);
  Require(static_cast<bool>(document), "what the reader opens loads");
  CheckExports(*document);
  CheckSearch(input, *book);
}

}  // namespace
}  // namespace palvarin::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  palvarin::fuzz::CheckInput({reinterpret_cast<const char*>(data), size});
  return 0;
}

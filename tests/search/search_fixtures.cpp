#include "search_fixtures.hpp"

#include <unicode/uchar.h>
#include <unicode/unistr.h>

#include <algorithm>
#include <pugixml.hpp>

#include "support/history_builder.hpp"

namespace palvarin::test {
namespace {

std::u32string Folded(std::string_view utf8) {
  const icu::UnicodeString text = icu::UnicodeString::fromUTF8(
      icu::StringPiece(utf8.data(), static_cast<std::int32_t>(utf8.size())));
  std::u32string folded;
  for (std::int32_t at = 0; at < text.length(); at = text.moveIndex32(at, 1)) {
    folded += static_cast<char32_t>(u_foldCase(text.char32At(at), U_FOLD_CASE_DEFAULT));
  }
  return folded;
}

std::vector<std::u32string> Words(std::string_view query) {
  std::string spaced(query);
  for (std::size_t at; (at = spaced.find("\u3000")) != std::string::npos;) {
    spaced.replace(at, 3, " ");
  }
  std::vector<std::u32string> words;
  std::size_t start = 0;
  while (start <= spaced.size()) {
    const std::size_t end = std::min(spaced.find(' ', start), spaced.size());
    if (end > start) words.push_back(Folded(spaced.substr(start, end - start)));
    start = end + 1;
  }
  return words;
}

// All character data below `node`, in document order.
std::string AllText(pugi::xml_node node) {
  std::string text;
  for (pugi::xml_node child : node.children()) {
    if (child.type() == pugi::node_pcdata || child.type() == pugi::node_cdata) {
      text += child.value();
    } else {
      text += AllText(child);
    }
  }
  return text;
}

void ScanFile(const std::filesystem::path& file, const std::vector<std::u32string>& words,
              std::vector<FoundMessage>& found) {
  pugi::xml_document document;
  if (!document.load_file(file.c_str())) return;
  for (pugi::xml_node entry : document.document_element().children()) {
    if (entry.type() != pugi::node_element) continue;
    const pugi::xpath_node_set texts = entry.select_nodes(".//Text");
    if (texts.size() != 1) continue;
    const std::string text = AllText(texts.first().node());
    const std::u32string folded = Folded(text);
    if (std::all_of(words.begin(), words.end(),
                    [&](const std::u32string& word) { return folded.find(word) != folded.npos; })) {
      found.push_back({file.filename().string(), text});
    }
  }
}

// Markup characters escaped for a history's text.
std::string Escaped(std::string_view text) {
  std::string escaped;
  for (const char c : text) {
    escaped += c == '&'    ? "&amp;"
               : c == '<'  ? "&lt;"
               : c == '\n' ? "&#xD;&#xA;"
                           : std::string(1, c);
  }
  return escaped;
}

}  // namespace

std::vector<FoundMessage> Found(const SearchReport& report) {
  std::vector<FoundMessage> found;
  for (const SearchHit& hit : report.hits) found.push_back({hit.file, hit.text});
  return found;
}

std::vector<FoundMessage> PlainScan(const std::filesystem::path& path, std::string_view query) {
  std::vector<FoundMessage> found;
  const auto words = Words(query);
  if (!std::filesystem::is_directory(path)) {
    ScanFile(path, words, found);
    return found;
  }
  std::vector<std::filesystem::path> files;
  for (const auto& item : std::filesystem::directory_iterator(path)) {
    if (item.path().extension() == ".xml") files.push_back(item.path());
  }
  std::sort(files.begin(), files.end());
  for (const auto& file : files) ScanFile(file, words, found);
  return found;
}

std::vector<std::string> GeneratedTexts() {
  return {
      "今日は雨です",         "明日は晴れるでしょう",
      "東京タワーに行った",   "日本語の本を読む",
      "L'ÉCOLE est fermée",   "une école à Paris",
      "ΣΊΣΥΦΟΣ and σίσυφος",  "he said \"hello\" to me",
      "一行目\n二行目に雨",   "ＡＢＣ full width and abc",
      "ǄUNGLA an der Straße",
  };
}

SearchFolders::SearchFolders() : cache_("XDG_CACHE_HOME", (root_ / "cache").c_str()) {
  std::filesystem::create_directory(Corpus());
  for (const auto& file : CorpusFiles()) {
    std::filesystem::copy_file(file, Corpus() / file.filename());
  }
  std::filesystem::create_directory(Generated());
  const auto texts = GeneratedTexts();
  // Each file holds every text in another order, some twice, among plain ones.
  for (int file = 0; file < 3; ++file) {
    std::vector<TestMessage> messages;
    for (std::size_t at = 0; at < texts.size() * 2; ++at) {
      const std::string text =
          at % 3 == 0 ? "plain words only" : texts[(at * (file + 3)) % texts.size()];
      messages.push_back({"2009/03/0" + std::to_string(file + 1),
                          "10:00:0" + std::to_string(at % 10), Escaped(text), 1,
                          file == 1 ? "花子" : "Bob"});
    }
    WriteFile(Generated() / ("contact" + std::to_string(file) + ".xml"), HistoryText(messages));
  }
}

}  // namespace palvarin::test

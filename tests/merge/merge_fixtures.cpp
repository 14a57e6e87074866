#include "merge_fixtures.hpp"

#include <gtest/gtest.h>

#include "files/atomic_file.hpp"
#include "history/log_entry.hpp"
#include "history/log_writer.hpp"
#include "merge/merge_entry_lists.hpp"
#include "support/reference_output.hpp"
#include "support/reference_time.hpp"
#include "support/test_support.hpp"

namespace palvarin::test {

std::string Message(std::string_view label, std::string_view time, int session) {
  std::string xml = "<Message Date=\"2010/09/16\" Time=\"" + std::string(time) +
                    "\" DateTime=\"2010-09-16T" + std::string(time) + ".000Z\"";
  if (session >= 0) xml += " SessionID=\"" + std::to_string(session) + "\"";
  return xml +
         "><From><User FriendlyName=\"Ann\"/></From><To><User FriendlyName=\"Bob\"/></To>"
         "<Text Style=\"color:#000\">" +
         std::string(label) + "</Text></Message>";
}

std::string DeepEntry(int depth, std::string_view leaf) {
  std::string xml = R"(<Join Date="2010/09/16" Time="12:00:00" SessionID="3">)";
  for (int i = 0; i < depth; ++i) xml += "<n>";
  xml += leaf;
  for (int i = 0; i < depth; ++i) xml += "</n>";
  return xml + "</Join>";
}

std::string Log(std::string_view entries) { return "<Log>" + std::string(entries) + "</Log>"; }

std::unique_ptr<pugi::xml_document> ParseLog(std::string_view text) {
  auto document = std::make_unique<pugi::xml_document>();
  // Comments and instructions are kept too, so that walks meet them between entries; leading
  // text is an element's own value, as in files read for a merge.
  const auto result =
      document->load_buffer(text.data(), text.size(),
                            pugi::parse_default | pugi::parse_ws_pcdata | pugi::parse_comments |
                                pugi::parse_pi | pugi::parse_embed_pcdata);
  EXPECT_TRUE(result) << result.description() << " in " << text;
  return document;
}

NodeList Elements(const pugi::xml_document& document) {
  NodeList elements;
  for (pugi::xml_node node : document.document_element().children()) {
    if (node.type() == pugi::node_element) elements.push_back(node);
  }
  return elements;
}

std::vector<int> RunNumbers(const NodeList& entries) {
  std::vector<int> numbers;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const bool newRun =
        i == 0 || ReadSessionId(LogEntry{entries[i]}) != ReadSessionId(LogEntry{entries[i - 1]});
    numbers.push_back((numbers.empty() ? 0 : numbers.back()) + (newRun ? 1 : 0));
  }
  return numbers;
}

TimeValue TestDay(int hour, int minute, int second) {
  return MakeTime(2010, 9, 16, hour, minute, second);
}

ArchiveRule HeldByBothSince(TimeValue lastMerge, const pugi::xml_document& input1,
                            const pugi::xml_document& input2) {
  if (lastMerge == 0) return {};
  std::vector<EntryIdentity> held = Identities(input1);
  const std::vector<EntryIdentity> second = Identities(input2);
  held.insert(held.end(), second.begin(), second.end());
  return ArchiveRule(lastMerge, std::move(held));
}

std::string Describe(const RecordingSink& sink, const pugi::xml_document& input1) {
  std::string text;
  for (const auto& record : sink.Records()) {
    if (!text.empty()) text += ' ';
    text += record.entry.root() == input1 ? "1:" : "2:";
    text += ElementText(record.entry) + "@" + std::to_string(record.session);
  }
  return text;
}

std::string SaveThroughDocument(const pugi::xml_document& input1, const pugi::xml_document& input2,
                                TimeValue cutoff, const std::filesystem::path& path) {
  LogDocument output = *CreateEmptyLog();
  DocumentSink sink(output);
  MergeCounts counts;
  const NodeList list1 = ChildNodes(input1.document_element());
  const NodeList list2 = ChildNodes(input2.document_element());
  const int last =
      MergeEntryLists(sink, list1, list2, HeldByBothSince(cutoff, input1, input2), counts);
  SaveLogDocument(output, last, path);
  return ReadFile(path);
}

std::string SaveThroughRecords(const pugi::xml_document& input1, const pugi::xml_document& input2,
                               TimeValue cutoff, const std::filesystem::path& path) {
  RecordingSink sink;
  MergeCounts counts;
  const NodeList list1 = ChildNodes(input1.document_element());
  const NodeList list2 = ChildNodes(input2.document_element());
  const int last =
      MergeEntryLists(sink, list1, list2, HeldByBothSince(cutoff, input1, input2), counts);
  AtomicFile file;
  EXPECT_TRUE(file.Open(path)) << Said(file.Status());
  LogWriter writer(file);
  writer.BeginLog(last);
  for (const auto& record : sink.Records()) writer.WriteEntry(record.entry, record.session);
  writer.EndLog();
  EXPECT_TRUE(writer.Flush() && file.Commit()) << Said(file.Status());
  return ReadFile(path);
}

}  // namespace palvarin::test

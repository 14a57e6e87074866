// Two history files from one input, split at its first NUL byte (none: the input twice).
// Every entry of the first file is written, in its order; every entry of the second is
// written or met in the first; sessions run 1, 2, ... without gaps; the saved output holds
// exactly what the merge wrote.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "fuzz_pipeline.hpp"
#include "history/log_entry.hpp"
#include "merge/entry_sink.hpp"
#include "merge/merge_entry_lists.hpp"
#include "same_apart_from_session.hpp"

namespace palvarin::fuzz {
namespace {

using Records = std::vector<RecordingSink::Record>;

// How many written entries came from the document of `entries`; they must keep its order.
std::size_t CountInOrder(const Records& records, const std::vector<pugi::xml_node>& entries) {
  if (entries.empty()) return 0;
  const pugi::xml_node document = entries.front().root();
  std::size_t count = 0;
  std::size_t at = 0;
  for (const RecordingSink::Record& record : records) {
    if (record.entry.root() != document) continue;
    while (at < entries.size() && entries[at] != record.entry) ++at;
    Require(at < entries.size(), "each file's entries are written in their order");
    ++at;
    ++count;
  }
  return count;
}

void CheckRecords(const Records& records, const MergeCounts& counts, int lastSession,
                  const std::vector<pugi::xml_node>& entries1,
                  const std::vector<pugi::xml_node>& entries2) {
  const int written = counts.fromInput1 + counts.fromInput2 + counts.fromBoth;
  Require(static_cast<std::size_t>(written) == records.size(), "the counts add up");
  Require(CountInOrder(records, entries1) == entries1.size(),
          "every entry of the first file is written");
  const std::size_t fromSecond = CountInOrder(records, entries2);
  Require(fromSecond == static_cast<std::size_t>(counts.fromInput2) &&
              fromSecond + static_cast<std::size_t>(counts.fromBoth) == entries2.size(),
          "every entry of the second file is written or met in the first");
  int session = 0;
  for (const RecordingSink::Record& record : records) {
    Require(record.session == session || record.session == session + 1,
            "sessions are numbered without gaps");
    session = record.session;
  }
  Require(records.empty() || records.front().session == 1, "sessions start at 1");
  Require(session == lastSession, "the last session is the one returned");
}

void CheckOutput(const Records& records, const std::filesystem::path& output) {
  const auto saved = LoadLogDocument(output);
  Require(static_cast<bool>(saved), "the output loads");
  const auto entries = Entries(*saved);
  Require(entries.size() == records.size(), "the output holds what was written");
  for (std::size_t i = 0; i < entries.size(); ++i) {
    Require(SameApartFromSession(records[i].entry, entries[i]), "an entry is saved unchanged");
    Require(ReadSessionId(LogEntry{entries[i]}) == records[i].session,
            "an entry is saved with its session");
  }
}

void CheckPair(std::string_view bytes) {
  const std::size_t split = bytes.find('\0');
  const auto first = WriteScratch("first.xml", bytes.substr(0, split));
  const auto second =
      WriteScratch("second.xml", split == bytes.npos ? bytes : bytes.substr(split + 1));
  const auto output = ScratchFolder() / "output.xml";
  const auto document1 = LoadLogDocument(first);
  const auto document2 = LoadLogDocument(second);
  if (!document1 || !document2) {
    Require(!MergeFiles(first, second, output), "a file that does not load is not merged");
    return;
  }
  RecordingSink sink;
  MergeCounts counts;
  const int lastSession = MergeEntryLists(sink, ChildNodes(document1->Root()),
                                          ChildNodes(document2->Root()), ArchiveRule(), counts);
  CheckRecords(sink.Records(), counts, lastSession, Entries(*document1), Entries(*document2));
  Require(MergeFiles(first, second, output), "two files that load are merged");
  CheckOutput(sink.Records(), output);
}

}  // namespace
}  // namespace palvarin::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  palvarin::fuzz::CheckPair({reinterpret_cast<const char*>(data), size});
  return 0;
}

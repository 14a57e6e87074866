// Any bytes as a history file. A file that loads merges with itself into an output that holds
// each of its entries once, character for character, numbered without gaps; merging that
// output with itself gives the same bytes. A file that does not load is never merged.
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

#include "fuzz_pipeline.hpp"
#include "history/log_entry.hpp"
#include "merge/entry_comparison.hpp"
#include "same_apart_from_session.hpp"

namespace palvarin::fuzz {
namespace {

std::string ReadAll(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void CheckEntries(const std::vector<pugi::xml_node>& entries) {
  for (pugi::xml_node node : entries) {
    const TimedEntry entry = WithTime(LogEntry{node});
    Require(IsSameEntry(entry, entry), "an entry is the same as itself");
    Require(!IsEarlierEntry(entry, entry), "an entry is not earlier than itself");
  }
}

// Output entry i is input entry i apart from its session; sessions run 1, 2, ... in steps.
void CheckOutput(const std::vector<pugi::xml_node>& entries, const LogDocument& output) {
  const auto written = Entries(output);
  Require(written.size() == entries.size(), "every entry is written exactly once");
  int session = 0;
  for (std::size_t i = 0; i < written.size(); ++i) {
    Require(SameApartFromSession(entries[i], written[i]), "an entry is written unchanged");
    const int number = ReadSessionId(LogEntry{written[i]});
    Require(number == session || number == session + 1, "sessions are numbered without gaps");
    Require(number >= 1, "sessions start at 1");
    session = number;
  }
  Require(output.Root().attribute("LastSessionID").as_int() == session,
          "LastSessionID is the last session written");
}

void CheckInput(std::string_view bytes) {
  const auto input = WriteScratch("input.xml", bytes);
  const auto output = ScratchFolder() / "output.xml";
  const auto document = LoadLogDocument(input);
  if (!document) {
    Require(!MergeFiles(input, input, output), "a file that does not load is not merged");
    Require(!std::filesystem::exists(output), "a failed pair writes nothing");
    return;
  }
  const auto entries = Entries(*document);
  CheckEntries(entries);
  Require(MergeFiles(input, input, output), "a file that loads merges with itself");
  const auto merged = LoadLogDocument(output);
  Require(static_cast<bool>(merged), "the output loads");
  CheckOutput(entries, *merged);

  const std::string once = ReadAll(output);
  const auto again = ScratchFolder() / "again.xml";
  Require(MergeFiles(output, output, again), "the output merges with itself");
  Require(ReadAll(again) == once, "merging the output with itself changes no byte");
}

}  // namespace
}  // namespace palvarin::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  palvarin::fuzz::CheckInput({reinterpret_cast<const char*>(data), size});
  return 0;
}

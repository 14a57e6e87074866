// Prints, as a Markdown table, how the echo search does on the tests' generated histories of
// PCs signed in at once: for each kind and number of PCs, the PCs' histories merged one after
// the other, messages written nowhere (merged with one they are no copy of) and copies written
// beside another copy of their message (echoes missed), with the seeds that had any.
//   palvarin_echo_quality [seeds per kind] [--failing]
// With --failing, each seed that lost or missed any is named on the standard error.

#include <array>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <deque>
#include <map>
#include <pugixml.hpp>
#include <stdexcept>
#include <string>

#include "history/log_writer.hpp"
#include "merge/merge_entry_lists.hpp"
#include "support/echo_histories.hpp"

namespace {

using namespace palvarin;
using test::EchoCase;

constexpr std::array kKinds = {EchoCase::kInStep,        EchoCase::kDrops,
                               EchoCase::kRepeatedTexts, EchoCase::kRealRepeats,
                               EchoCase::kWrongClock,    EchoCase::kOwnSessions};

void Parse(const std::string& xml, pugi::xml_document& document) {
  const unsigned options = pugi::parse_default | pugi::parse_ws_pcdata | pugi::parse_comments |
                           pugi::parse_pi | pugi::parse_embed_pcdata;
  if (!document.load_buffer(xml.data(), xml.size(), options)) {
    throw std::runtime_error("a history is not well-formed");
  }
}

std::string Merge(const std::string& xml1, const std::string& xml2) {
  pugi::xml_document document1;
  pugi::xml_document document2;
  Parse(xml1, document1);
  Parse(xml2, document2);
  const NodeList nodes1 = ChildNodes(document1.document_element());
  const NodeList nodes2 = ChildNodes(document2.document_element());
  LocalTimeCache hours;
  const EntryList first(nodes1, EntrySource::kInput1, hours);
  const EntryList second(nodes2, EntrySource::kInput2, hours);
  RecordingSink merged;
  MergeCounts counts;
  MergeEntryLists(merged, first, second, ArchiveRule{}, counts);
  std::string xml = "<Log>";
  for (const MergedEntry& entry : merged.Records()) {
    LogWriter::FormatEntry(xml, entry.entry, entry.session);
  }
  return xml + "</Log>";
}

struct Tally {
  int seeds = 0;
  int messages = 0;
  int lost = 0;          // messages written nowhere
  int seedsLosing = 0;   // seeds with any
  int missed = 0;        // copies written beside another copy of their message
  int seedsMissing = 0;  // seeds with any
  int strays = 0;        // entries that are a copy of no message
};

// Scores one seed's merge; true when it lost or missed any message.
bool Score(const test::EchoHistories& histories, const std::string& xml, Tally& tally) {
  pugi::xml_document document;
  Parse(xml, document);
  std::map<int, int> written;
  for (const auto& [key, message] : histories.messageOf) written[message] += 0;
  for (pugi::xml_node entry : document.document_element().children()) {
    if (entry.type() != pugi::node_element) continue;
    const auto found = histories.messageOf.find(
        test::EchoCopyKey(entry.attribute("DateTime").value(),
                          entry.child("From").child("User").attribute("FriendlyName").value(),
                          entry.child("Text").text().get()));
    if (found == histories.messageOf.end()) {
      ++tally.strays;
    } else {
      ++written[found->second];
    }
  }
  int lost = 0;
  int missed = 0;
  for (const auto& [message, times] : written) {
    lost += times == 0;
    missed += times > 1 ? times - 1 : 0;
  }
  ++tally.seeds;
  tally.messages += static_cast<int>(written.size());
  tally.lost += lost;
  tally.seedsLosing += lost > 0;
  tally.missed += missed;
  tally.seedsMissing += missed > 0;
  return lost > 0 || missed > 0;
}

}  // namespace

int main(int argc, char** argv) {
  const int seeds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 1000;
  const bool failing = argc > 2 && std::string(argv[2]) == "--failing";
  setenv("TZ", "UTC", 1);
  tzset();
  std::printf(
      "| kind | PCs | seeds | messages | lost (seeds) | missed echoes (seeds) | strays |\n");
  std::printf("|---|---:|---:|---:|---:|---:|---:|\n");
  try {
    for (const EchoCase kind : kKinds) {
      for (int pcs = 2; pcs <= 4; ++pcs) {
        Tally tally;
        for (int seed = 1; seed <= seeds; ++seed) {
          const auto histories =
              test::MakeEchoHistories(static_cast<std::uint32_t>(seed), kind, pcs);
          std::string merged = histories.files.front();
          for (std::size_t pc = 1; pc < histories.files.size(); ++pc) {
            merged = Merge(merged, histories.files[pc]);
          }
          if (Score(histories, merged, tally) && failing) {
            std::fprintf(stderr, "%s %d PCs: seed %d\n", test::EchoCaseName(kind), pcs, seed);
          }
        }
        std::printf("| %s | %d | %d | %d | %d (%d) | %d (%d) | %d |\n", test::EchoCaseName(kind),
                    pcs, tally.seeds, tally.messages, tally.lost, tally.seedsLosing, tally.missed,
                    tally.seedsMissing, tally.strays);
        std::fflush(stdout);
      }
    }
  } catch (const std::exception& error) {
    std::fprintf(stderr, "palvarin_echo_quality: %s\n", error.what());
    return 1;
  }
  return 0;
}

// Prints, as a Markdown table, how the echo search does on the tests' generated histories of
// PCs signed in at once: for each kind and number of PCs, the PCs' histories merged one after
// the other, messages written nowhere (merged with one they are no copy of) and copies written
// beside another copy of their message (echoes missed), with the seeds that had any.
//   palvarin_echo_quality [seeds per kind] [--failing]
// With --failing, each seed that lost, missed or changed any is named on the standard error.
// Merging the result again with any PC's history must change nothing: the seeds where it does
// are counted too.
//   palvarin_echo_quality --show <kind 0-6> <seed> <PCs>
// prints each PC's history and each merge of one seed, entry by entry, with the message each
// entry is a copy of and the copies written twice marked.

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <deque>
#include <map>
#include <pugixml.hpp>
#include <stdexcept>
#include <string>
#include <vector>

#include "history/log_writer.hpp"
#include "merge/gather_copies.hpp"
#include "merge/merge_entry_lists.hpp"
#include "support/echo_histories.hpp"

namespace {

using namespace palvarin;
using test::EchoCase;

constexpr std::array kKinds = {EchoCase::kInStep,        EchoCase::kDrops,
                               EchoCase::kRepeatedTexts, EchoCase::kDroppedReplies,
                               EchoCase::kRealRepeats,   EchoCase::kWrongClock,
                               EchoCase::kOwnSessions};

void Parse(const std::string& xml, pugi::xml_document& document) {
  const unsigned options = pugi::parse_default | pugi::parse_ws_pcdata | pugi::parse_comments |
                           pugi::parse_pi | pugi::parse_embed_pcdata;
  if (!document.load_buffer(xml.data(), xml.size(), options)) {
    throw std::runtime_error("a history is not well-formed");
  }
}

std::string Xml(const RecordingSink& merged) {
  std::string xml = "<Log>";
  for (const MergedEntry& entry : merged.Records()) {
    LogWriter::FormatEntry(xml, entry.entry, entry.session);
  }
  return xml + "</Log>";
}

// Every history in `files` merged at once, as the gather does.
std::string Gather(const std::vector<std::string>& files) {
  std::deque<pugi::xml_document> documents;
  std::deque<NodeList> nodes;
  std::deque<EntryList> lists;
  std::vector<const EntryList*> copies;
  LocalTimeCache hours;
  for (const std::string& file : files) {
    Parse(file, documents.emplace_back());
    nodes.push_back(ChildNodes(documents.back().document_element()));
    copies.push_back(&lists.emplace_back(nodes.back(), EntrySource::kInput1, hours));
  }
  RecordingSink merged;
  MergeCounts counts;
  std::vector<int> alone;
  GatherCopies(merged, copies, nullptr, counts, alone);
  return Xml(merged);
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
  return Xml(merged);
}

// True when gathering the histories in some other order gives other bytes.
bool GatherDependsOnOrder(std::vector<std::string> files) {
  std::sort(files.begin(), files.end());
  const std::string gathered = Gather(files);
  while (std::next_permutation(files.begin(), files.end())) {
    if (Gather(files) != gathered) return true;
  }
  return false;
}

// The message an entry is a copy of, -1 for none.
int MessageOf(const test::EchoHistories& histories, pugi::xml_node entry) {
  const auto found = histories.messageOf.find(
      test::EchoCopyKey(entry.attribute("DateTime").value(),
                        entry.child("From").child("User").attribute("FriendlyName").value(),
                        entry.child("Text").text().get()));
  return found == histories.messageOf.end() ? -1 : found->second;
}

struct Tally {
  int seeds = 0;
  int messages = 0;
  int lost = 0;          // messages written nowhere
  int seedsLosing = 0;   // seeds with any
  int missed = 0;        // copies written beside another copy of their message
  int seedsMissing = 0;  // seeds with any
  int strays = 0;        // entries that are a copy of no message
  int changedAgain = 0;  // seeds whose result a merge with a PC's history changes
  int gatherOrder = 0;   // seeds whose gather of every PC gives other bytes in another order
};

// Scores one seed's merge; true when it lost or missed any message.
bool Score(const test::EchoHistories& histories, const std::string& xml, Tally& tally) {
  pugi::xml_document document;
  Parse(xml, document);
  std::map<int, int> written;
  for (const auto& [key, message] : histories.messageOf) written[message] += 0;
  for (pugi::xml_node entry : document.document_element().children()) {
    if (entry.type() != pugi::node_element) continue;
    const int message = MessageOf(histories, entry);
    if (message < 0) {
      ++tally.strays;
    } else {
      ++written[message];
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

void Print(const test::EchoHistories& histories, const std::string& xml, const std::string& title) {
  pugi::xml_document document;
  Parse(xml, document);
  std::map<int, int> written;
  for (pugi::xml_node entry : document.document_element().children()) {
    if (entry.type() == pugi::node_element) ++written[MessageOf(histories, entry)];
  }
  std::printf("== %s\n", title.c_str());
  for (pugi::xml_node entry : document.document_element().children()) {
    if (entry.type() != pugi::node_element) continue;
    const int message = MessageOf(histories, entry);
    std::printf("  s%-3s %s %-4s m%-3d %s%s\n", entry.attribute("SessionID").value(),
                entry.attribute("DateTime").value(),
                entry.child("From").child("User").attribute("FriendlyName").value(), message,
                entry.child("Text").text().get(), written[message] > 1 ? "  <<< twice" : "");
  }
}

int Show(EchoCase kind, std::uint32_t seed, int pcs) {
  const auto histories = test::MakeEchoHistories(seed, kind, pcs);
  for (std::size_t pc = 0; pc < histories.files.size(); ++pc) {
    Print(histories, histories.files[pc], "PC " + std::to_string(pc));
  }
  std::string merged = histories.files.front();
  for (std::size_t pc = 1; pc < histories.files.size(); ++pc) {
    merged = Merge(merged, histories.files[pc]);
    Print(histories, merged, "merged up to PC " + std::to_string(pc));
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const int seeds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 1000;
  const bool failing = argc > 2 && std::string(argv[2]) == "--failing";
  setenv("TZ", "UTC", 1);
  tzset();
  if (argc == 5 && std::string(argv[1]) == "--show") {
    const auto kind = static_cast<std::size_t>(std::atoi(argv[2]));
    if (kind >= kKinds.size()) return 2;
    return Show(kKinds[kind], static_cast<std::uint32_t>(std::atoi(argv[3])), std::atoi(argv[4]));
  }
  std::printf(
      "| kind | PCs | seeds | messages | lost (seeds) | missed echoes (seeds) | strays | changed "
      "by merging again (seeds) | gather differs by order (seeds) |\n");
  std::printf("|---|---:|---:|---:|---:|---:|---:|---:|---:|\n");
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
          const int lostBefore = tally.lost;
          const bool scored = Score(histories, merged, tally);
          const bool order = GatherDependsOnOrder(histories.files);
          const std::string again = Merge(merged, merged);
          const bool changed =
              std::any_of(histories.files.begin(), histories.files.end(),
                          [&](const std::string& file) { return Merge(merged, file) != again; });
          tally.gatherOrder += order;
          tally.changedAgain += changed;
          if (failing && (scored || order || changed)) {
            std::fprintf(stderr, "%s %d PCs: seed %d%s%s%s\n", test::EchoCaseName(kind), pcs, seed,
                         tally.lost > lostBefore ? " (lost)" : "",
                         changed ? " (changed by merging again)" : "",
                         order ? " (gather differs by order)" : "");
          }
        }
        std::printf("| %s | %d | %d | %d | %d (%d) | %d (%d) | %d | %d | %d |\n",
                    test::EchoCaseName(kind), pcs, tally.seeds, tally.messages, tally.lost,
                    tally.seedsLosing, tally.missed, tally.seedsMissing, tally.strays,
                    tally.changedAgain, tally.gatherOrder);
        std::fflush(stdout);
      }
    }
  } catch (const std::exception& error) {
    std::fprintf(stderr, "palvarin_echo_quality: %s\n", error.what());
    return 1;
  }
  return 0;
}

// Prints, as a Markdown table, how well the merge keeps what two PCs' copies of a history hold,
// for each kind of difference between the copies: entries written more often than either copy
// holds them, copies lost, and input sessions spread over several output sessions; for the
// interleaving walk alone and for the merge, which aligns by identity where the walk would
// write an entry twice.
//   palvarin_merge_quality [pairs per kind]

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <pugixml.hpp>
#include <stdexcept>
#include <string>

#include "entry_walk.hpp"
#include "merge_score.hpp"
#include "support/pc_histories.hpp"

namespace {

using namespace palvarin;
using palvarin::bench::MergeScore;

// The zone the generated local times are read in; one with summer time, as most users have.
constexpr const char* kZone = "Europe/Lisbon";

// Parsed as history files are for a merge: leading text kept as the element's value.
void Parse(const std::string& xml, pugi::xml_document& document) {
  const unsigned options = pugi::parse_default | pugi::parse_ws_pcdata | pugi::parse_comments |
                           pugi::parse_pi | pugi::parse_embed_pcdata;
  if (!document.load_buffer(xml.data(), xml.size(), options)) {
    throw std::runtime_error("a generated history is not well-formed");
  }
}

struct Scores {
  int pairs = 0;
  MergeScore walk;
  MergeScore merge;
};

// Merges one pair both ways and adds up their scores.
void ScorePair(const std::string& xml1, const std::string& xml2, Scores& scores) {
  pugi::xml_document document1;
  pugi::xml_document document2;
  Parse(xml1, document1);
  Parse(xml2, document2);
  const NodeList nodes1 = ChildNodes(document1.document_element());
  const NodeList nodes2 = ChildNodes(document2.document_element());
  LocalTimeCache hours;
  const EntryList first(nodes1, EntrySource::kInput1, hours);
  const EntryList second(nodes2, EntrySource::kInput2, hours);
  const ArchiveRule keepAll;
  MergeCounts counts;
  RecordingSink walked;
  MergeOutput walk{walked, keepAll, first, second, counts};
  WalkEntryLists(walk);
  RecordingSink merged;
  MergeEntryLists(merged, first, second, keepAll, counts);
  ++scores.pairs;
  scores.walk += bench::ScoreMerge(walked.Records(), first, second);
  scores.merge += bench::ScoreMerge(merged.Records(), first, second);
}

double Percent(int part, int whole) { return whole == 0 ? 0 : 100.0 * part / whole; }

void PrintRow(const char* name, const Scores& s) {
  std::printf("| %s | %d | %d | %d | %d | %d (%.2f %%) | %d | %d | %d (%.2f %%) | %d | %d |\n",
              name, s.pairs, s.walk.held, s.walk.inputSessions, s.walk.pairsWritingTwice,
              s.walk.writtenTwice, Percent(s.walk.writtenTwice, s.walk.held), s.walk.sessionsSplit,
              s.walk.lost, s.merge.writtenTwice, Percent(s.merge.writtenTwice, s.merge.held),
              s.merge.sessionsSplit, s.merge.lost);
}

}  // namespace

int main(int argc, char** argv) {
  const int pairs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 300;
  setenv("TZ", kZone, 1);
  tzset();
  std::printf(
      "Two PCs' copies of one contact's history (12 sessions), %d seeds per kind, read in %s. "
      "Written twice: entries written more often than either input holds them (share of the "
      "entries held); split: input sessions whose entries land in more than one output "
      "session; lost: copies written fewer times than an input holds them.\n\n",
      pairs, kZone);
  std::printf(
      "| difference | pairs | entries held | input sessions | walk: pairs writing twice | walk: "
      "written twice | walk: split | walk: lost | merge: written twice | merge: split | merge: "
      "lost |\n");
  std::printf("|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|\n");
  try {
    for (const test::Difference difference : test::EveryDifference()) {
      Scores scores;
      for (int seed = 1; seed <= pairs; ++seed) {
        const auto files = test::MakePcHistories(static_cast<std::uint32_t>(seed), 2, difference);
        ScorePair(files[0], files[1], scores);
      }
      PrintRow(test::DifferenceName(difference), scores);
    }
  } catch (const std::exception& error) {
    std::fprintf(stderr, "palvarin_merge_quality: %s\n", error.what());
    return 1;
  }
  return 0;
}

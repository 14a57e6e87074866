// The pipeline streams the merged entries straight from the inputs into the file. This checks
// it byte for byte against the plain way: a deep copy of every entry into an output document,
// saved whole.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "history/log_document.hpp"
#include "history_generator.hpp"
#include "merge/entry_sink.hpp"
#include "merge/merge_entry_lists.hpp"
#include "merge_file_pair.hpp"
#include "merge_folders.hpp"
#include "state/merge_time_record.hpp"
#include "state/profile_store.hpp"
#include "support/job_settings.hpp"
#include "support/reference_output.hpp"
#include "support/test_support.hpp"
#include "texts/cause_text.hpp"

namespace palvarin {
namespace {

using test::ReadFile;
using test::ScopedTimeZone;
using test::TempFolder;

struct Reference {
  std::string bytes;
  MergeCounts counts;
};

// Loads both inputs, copies the merged entries into a new document and saves it.
Reference MergeByCopying(const std::string& first, const std::string& second,
                         const ArchiveRule& archive, const std::filesystem::path& output) {
  auto input1 = LoadLogDocument(first);
  auto input2 = LoadLogDocument(second);
  auto merged = CreateEmptyLog();
  EXPECT_TRUE(input1 && input2 && merged);
  if (!input1 || !input2 || !merged) return {};
  DocumentSink sink(*merged);
  Reference reference;
  const int last = MergeEntryLists(sink, ChildNodes(input1->Root()), ChildNodes(input2->Root()),
                                   archive, reference.counts);
  SaveLogDocument(*merged, last, output);
  reference.bytes = ReadFile(output);
  return reference;
}

// Records an earlier merge of the pair at `stamp` after which both files held every entry they
// hold now, and returns the archive rule that record makes.
ArchiveRule RecordEarlierMerge(ProfileStore& profile, const std::string& first,
                               const std::string& second, const std::string& stamp) {
  std::vector<EntryIdentity> held = test::Identities(std::filesystem::path(first));
  const std::vector<EntryIdentity> held2 = test::Identities(std::filesystem::path(second));
  held.insert(held.end(), held2.begin(), held2.end());
  EXPECT_TRUE(profile.WriteMergeRecord(MergeTimeKey(first, second), stamp, held));
  return ArchiveRule(ReadMergeTime(profile, first, second).value_or(MergeTimeRecord{}).time,
                     std::move(held));
}

struct Row {
  const char* name;
  std::uint32_t seed;
  std::size_t bytes;
  const char* zone;
  const char* lastMerge;  // the pair's recorded merge time, for the archive rule; "" for none
  bool overwrite;         // the output is the first input
};

TEST(MergeFilePair, WritesWhatCopyingIntoADocumentWrites) {
  const Row rows[] = {
      {"shared and own sessions", 1, 300000, "Asia/Tokyo", "", false},
      {"another history, read in New York time", 2, 200000, "America/New_York", "", false},
      {"archive rule with a cut-off in the middle", 3, 300000, "Asia/Tokyo", "20080601000000",
       false},
      {"written over the first input", 4, 250000, "Asia/Tokyo", "", true},
      // Long enough to be formatted in parts on two threads: an odd and an even number of parts.
      {"formatted in parts", 5, 3000000, "Asia/Tokyo", "", false},
      {"formatted in more parts, with a cut-off", 6, 4200000, "Asia/Tokyo", "20060101000000",
       false},
  };
  for (const Row& row : rows) {
    ScopedTimeZone zone(row.zone);
    TempFolder folder;
    const std::string first = folder / "pc1.xml";
    const std::string second = folder / "pc2.xml";
    const auto pair = bench::GenerateHistoryPair(row.bytes, row.seed);
    test::WriteFile(first, pair.first);
    test::WriteFile(second, pair.second);

    ProfileStore profile(folder / "profile.sqlite3");
    PairOptions options;
    options.recordMergeTime = false;
    options.applyArchiveRule = *row.lastMerge != '\0';
    const ArchiveRule archive = options.applyArchiveRule
                                    ? RecordEarlierMerge(profile, first, second, row.lastMerge)
                                    : ArchiveRule();
    const Reference reference = MergeByCopying(first, second, archive, folder / "reference.xml");

    const std::string output = row.overwrite ? first : std::string(folder / "streamed.xml");
    const PairReport report = MergeFilePair(first, second, output, options, profile);
    ASSERT_EQ(report.outcome, PairOutcome::Merged) << row.name << ": " << Word(report.cause);
    EXPECT_EQ(ReadFile(output), reference.bytes) << row.name;
    EXPECT_EQ(report.counts.fromBoth, reference.counts.fromBoth) << row.name;
    EXPECT_EQ(report.counts.cutOff, reference.counts.cutOff) << row.name;
    EXPECT_EQ(report.counts.sessions, reference.counts.sessions) << row.name;
    // The pairs are made to hold every case the merge tells apart.
    EXPECT_GT(reference.counts.fromBoth, 0) << row.name;
    EXPECT_GT(reference.counts.fromInput1, 0) << row.name;
    EXPECT_GT(reference.counts.fromInput2, 0) << row.name;
    EXPECT_EQ(reference.counts.cutOff > 0, options.applyArchiveRule) << row.name;
  }
}

// A folder job merges its pairs side by side. Each output must still be exactly the plain
// merge of its pair, with its own archive cut-off, and the report must list the pairs and the
// copies in the order of their names whatever order they finished in.
TEST(MergeFolders, EveryPairMergedSideBySideWritesWhatCopyingWrites) {
  ScopedTimeZone zone("Asia/Tokyo");
  TempFolder folder;
  const std::filesystem::path pc1 = folder / "pc1";
  const std::filesystem::path pc2 = folder / "pc2";
  const std::filesystem::path out = folder / "out";
  for (const auto& made : {pc1, pc2, out, folder / "reference"}) {
    std::filesystem::create_directories(made);
  }
  ProfileStore profile(folder / "profile.sqlite3");
  struct Merged {
    std::string name;
    ArchiveRule archive;  // from the record of an earlier merge
    bool recorded = false;
  };
  std::vector<Merged> merged;
  std::vector<std::string> copiedFrom1;
  std::vector<std::string> copiedFrom2;
  for (std::uint32_t contact = 0; contact < 48; ++contact) {
    const std::string name = "contact" + std::to_string(100 + contact) + ".xml";
    const auto pair = bench::GenerateHistoryPair(20000 + 3000 * (contact % 9), 100 + contact);
    if (contact % 12 == 5) {
      test::WriteFile(pc1 / name, pair.first);  // on one PC only
      copiedFrom1.push_back(out / name);
      continue;
    }
    if (contact % 12 == 7) {
      test::WriteFile(pc2 / name, pair.second);
      copiedFrom2.push_back(out / name);
      continue;
    }
    test::WriteFile(pc1 / name, pair.first);
    test::WriteFile(pc2 / name, contact == 20 ? pair.second.substr(0, 999) : pair.second);
    ArchiveRule archive;
    const bool recorded = contact % 4 == 1;
    if (recorded) {  // merged before: the archive rule cuts off at that time
      const int day = 1 + static_cast<int>(contact % 9);
      archive = RecordEarlierMerge(profile, pc1 / name, pc2 / name,
                                   "2008060" + std::to_string(day) + "000000");
    }
    merged.push_back({name, std::move(archive), recorded});
  }

  PairOptions options;
  options.applyArchiveRule = true;
  JobReport report;
  test::LoneJob quiet;
  JobContext context(quiet, nullptr, false);
  MergeFolders(ListJobFolders(pc1, pc2, out), options, false, profile, report, context);

  ASSERT_EQ(report.pairs.size(), merged.size());
  std::vector<std::string> copiedInReport;
  for (const CopyReport& copy : report.copies) {
    EXPECT_EQ(copy.outcome, CopyOutcome::Copied) << copy.to << ": " << Word(copy.cause);
    copiedInReport.push_back(copy.to);
  }
  std::vector<std::string> copied = copiedFrom1;
  copied.insert(copied.end(), copiedFrom2.begin(), copiedFrom2.end());
  EXPECT_EQ(copiedInReport, copied) << "the first folder's copies, then the second's, by name";
  int cutOffPairs = 0;
  for (std::size_t i = 0; i < merged.size(); ++i) {
    const PairReport& pair = report.pairs[i];
    const auto& [name, archive, recorded] = merged[i];
    ASSERT_EQ(pair.first, (pc1 / name).string()) << "pairs in the order of their names";
    if (name == "contact120.xml") {
      EXPECT_EQ(pair.outcome, PairOutcome::Failed) << "its second file is cut short";
      EXPECT_FALSE(std::filesystem::exists(out / name));
      continue;
    }
    ASSERT_EQ(pair.outcome, PairOutcome::Merged) << name << ": " << Word(pair.cause);
    const Reference reference =
        MergeByCopying(pc1 / name, pc2 / name, archive, folder / "reference" / name);
    EXPECT_EQ(ReadFile(out / name), reference.bytes) << name;
    EXPECT_EQ(pair.counts.cutOff, reference.counts.cutOff) << name;
    if (!recorded) {
      EXPECT_EQ(reference.counts.cutOff, 0) << name;
    }
    cutOffPairs += reference.counts.cutOff > 0 ? 1 : 0;
    EXPECT_TRUE(ReadMergeTime(profile, pc1 / name, pc2 / name).has_value()) << name;
  }
  EXPECT_GT(cutOffPairs, 3) << "the cut-offs must leave entries out";
}

}  // namespace
}  // namespace palvarin

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <map>

#include "files/history_locks.hpp"
#include "find/find_history_folders.hpp"
#include "job/run_gather_job.hpp"
#include "support/history_builder.hpp"
#include "support/job_settings.hpp"
#include "support/palvarin_process.hpp"
#include "support/pc_histories.hpp"
#include "support/test_support.hpp"

namespace palvarin {
namespace {

namespace fs = std::filesystem;

// Every file of a folder by name, with its bytes.
std::map<std::string, std::string> Contents(const fs::path& folder) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::directory_iterator(folder)) {
    files[entry.path().filename().string()] = test::ReadFile(entry.path());
  }
  return files;
}

// PC folders holding the copies of three contacts, each contact on some PCs only.
struct PcFolders {
  test::TempFolder root;
  std::vector<std::string> folders;

  explicit PcFolders(int pcs) {
    for (int pc = 0; pc < pcs; ++pc) {
      folders.push_back((root / ("pc" + std::to_string(pc))).string());
      fs::create_directories(folders.back());
    }
    const char* names[] = {"alice.xml", "bob.xml", "carol.xml"};
    for (int contact = 0; contact < 3; ++contact) {
      const auto copies = test::MakePcHistories(static_cast<std::uint32_t>(contact + 7), pcs,
                                                test::Difference::kAll);
      for (int pc = 0; pc < pcs; ++pc) {
        if ((pc + contact) % 3 == 2) continue;  // not every PC held every contact
        test::WriteFile(fs::path(folders[static_cast<std::size_t>(pc)]) / names[contact],
                        copies[static_cast<std::size_t>(pc)]);
      }
    }
    test::WriteFile(fs::path(folders[1]) / "MessageLog.xsl", "<xsl/>");
  }
};

JobResult Gather(const std::vector<std::string>& inputs, const fs::path& output,
                 bool dryRun = false) {
  test::LoneJob observer;
  return RunGatherJob({.inputs = inputs, .output = output.string(), .dryRun = dryRun}, observer);
}

TEST(GatherJobTest, EveryOrderOfTheFoldersWritesTheSameFilesAndLeavesTheInputsAlone) {
  test::ScopedTimeZone zone("Europe/Madrid");
  PcFolders pcs(4);
  std::vector<std::map<std::string, std::string>> before;
  for (const std::string& folder : pcs.folders) before.push_back(Contents(folder));
  std::vector<std::string> order = pcs.folders;
  const auto first = pcs.root / "first";
  const JobResult result = Gather(order, first);
  ASSERT_FALSE(result.refusal);
  EXPECT_EQ(result.report.Count(PairOutcome::Merged), 3);
  EXPECT_FALSE(result.report.AnyFailed());
  const auto expected = Contents(first);
  EXPECT_TRUE(expected.count("MessageLog.xsl"));
  for (int k = 0; k < 3; ++k) {
    std::next_permutation(order.begin(), order.end());
    std::rotate(order.begin(), order.begin() + 1, order.end());
    const auto other = pcs.root / ("other" + std::to_string(k));
    ASSERT_FALSE(Gather(order, other).refusal);
    EXPECT_EQ(Contents(other), expected);
  }
  for (std::size_t i = 0; i < pcs.folders.size(); ++i) {
    EXPECT_EQ(Contents(pcs.folders[i]), before[i]) << "an input was written";
  }
}

TEST(GatherJobTest, GatheringAgainTouchesNothingAndANewCopyAddsOnlyItsNews) {
  test::ScopedTimeZone zone("Asia/Tokyo");
  PcFolders pcs(4);
  const std::string added = pcs.folders.back();
  pcs.folders.pop_back();
  const auto out = pcs.root / "out";
  ASSERT_FALSE(Gather(pcs.folders, out).refusal);
  const auto gathered = Contents(out);
  const auto written = fs::last_write_time(out / "alice.xml");
  std::map<std::string, std::vector<EntryIdentity>> held;
  for (const auto& [name, bytes] : gathered) {
    if (name != "MessageLog.xsl") held[name] = test::Identities(out / name);
  }

  const JobResult again = Gather(pcs.folders, out);
  EXPECT_EQ(again.report.Count(PairOutcome::Unchanged), 3);
  EXPECT_EQ(Contents(out), gathered);
  EXPECT_EQ(fs::last_write_time(out / "alice.xml"), written) << "rewritten with no news";

  pcs.folders.push_back(added);
  const JobResult dry = Gather(pcs.folders, out, true);
  EXPECT_EQ(Contents(out), gathered) << "a dry run wrote";
  const JobResult more = Gather(pcs.folders, out);
  EXPECT_EQ(more.report.Count(PairOutcome::Merged), dry.report.Count(PairOutcome::Merged));
  EXPECT_GT(more.report.Count(PairOutcome::Merged), 0);
  for (const auto& [name, identities] : held) {
    const auto now = test::Identities(out / name);
    for (const EntryIdentity& identity : identities) {
      EXPECT_TRUE(std::find(now.begin(), now.end(), identity) != now.end()) << name << " lost";
    }
  }
  const JobResult settled = Gather(pcs.folders, out);
  EXPECT_EQ(settled.report.Count(PairOutcome::Unchanged), 3);
}

TEST(GatherJobTest, ACopyWithTheBytesOfAnotherAddsNothingAndOneOfTheSameSizeIsMerged) {
  test::ScopedTimeZone zone("Asia/Tokyo");
  test::TempFolder root;
  const auto copies = test::MakePcHistories(11, 2, test::Difference::kAll);
  std::string changed = copies[0];  // one letter of a message other: the same size
  const std::size_t text = changed.find('>', changed.find("<Text")) + 1;
  ASSERT_EQ(changed[text], 'm');
  changed[text] = 'x';
  const std::string a = (root / "a.xml").string();
  const std::string twin = (root / "twin.xml").string();
  const std::string b = (root / "b.xml").string();
  const std::string other = (root / "other.xml").string();
  test::WriteFile(a, copies[0]);
  test::WriteFile(twin, copies[0]);
  test::WriteFile(b, changed);
  test::WriteFile(other, copies[1]);
  ASSERT_FALSE(Gather({a, other, b}, root / "without.xml").report.AnyFailed());
  ASSERT_FALSE(Gather({twin, b, a, other}, root / "with.xml").report.AnyFailed());
  EXPECT_EQ(test::ReadFile(root / "with.xml"), test::ReadFile(root / "without.xml"));
  const auto held = test::Identities(root / "with.xml");
  for (const std::string& copy : {a, b, other}) {
    for (const EntryIdentity& identity : test::Identities(copy)) {
      EXPECT_TRUE(std::find(held.begin(), held.end(), identity) != held.end()) << copy << " lost";
    }
  }
}

// Another job on any file of the output folder, one the gather does not name included, keeps
// the gather waiting; stopped while it waits, it writes nothing.
TEST(GatherJobTest, WaitsWhileAnotherJobHoldsAFileOfItsOutputFolder) {
  PcFolders pcs(2);
  const auto out = pcs.root / "out";
  fs::create_directories(out);
  for (const char* name : {"alice.xml", "zoe.xml"}) {
    SCOPED_TRACE(name);
    HistoryLocks otherJob;
    ASSERT_TRUE(otherJob.Acquire(
        {(out / name).string()}, [] {}, [] { return false; }));
    struct : JobObserver {
      bool waited = false;
      void WaitingForOtherJob() override { waited = true; }
      bool StopRequested() override { return waited; }
    } observer;
    RunGatherJob({.inputs = pcs.folders, .output = out.string()}, observer);
    EXPECT_TRUE(observer.waited);
    EXPECT_TRUE(fs::is_empty(out)) << "written while another job held it";
  }
}

// What --find counts as a folder's histories is what a gather of that folder takes, and a
// file neither takes is no failure of the gather; a damaged history is a failure of both.
TEST(GatherJobTest, TakesTheHistoriesFindCountsAndFailsNoneOfTheRest) {
  test::ScopedTimeZone zone("UTC");
  test::TempFolder root;
  std::vector<std::string> inputs;
  for (const char* pc : {"pc1", "pc2"}) {
    const fs::path folder = root / "disk" / pc;
    fs::create_directories(folder);
    test::WriteFile(folder / "alice.xml", test::OneMessageHistory(pc));
    test::WriteFile(folder / "emptylog.xml", "<Log/>");
    test::WriteFile(folder / "omar.txt", test::OneMessageHistory("not by that name"));
    // Each on one side only, so that the folder merge has no pair of them.
    test::WriteFile(folder / (inputs.empty() ? "settings.xml" : "notes.xml"),
                    "<?xml version=\"1.0\"?><Settings/>");
    if (inputs.empty()) test::WriteFile(folder / "cut.xml", "<Log><Message Date=");
    ASSERT_EQ(::mkfifo((folder / "pipe.xml").c_str(), 0600), 0);
    inputs.push_back(folder.string());
  }
  const Result<FindReport> found = FindHistoryFolders((root / "disk").string(), {}, nullptr);
  ASSERT_TRUE(found);
  ASSERT_EQ(found->folders.size(), 2u);
  ASSERT_EQ(found->problems.size(), 1u);
  const JobResult result = Gather(inputs, root / "out");
  ASSERT_FALSE(result.refusal);
  EXPECT_EQ(result.report.Count(PairOutcome::Merged), found->folders[0].histories);
  ASSERT_EQ(result.report.Count(PairOutcome::Failed), 1);
  EXPECT_EQ(result.report.pairs.size(), found->folders[0].histories + 1);
  EXPECT_EQ(Contents(root / "out").size(), found->folders[0].histories);
  // The folder merge takes them alike: two pairs, and the damaged history not copied.
  fs::create_directory(root / "merged");
  const auto merged = test::RunPalvarin(
      {"/n", "/d", "/t", "/p1", inputs[0], "/p2", inputs[1], "/ps", (root / "merged").string()},
      root.Path(), root / "profile.sqlite3");
  EXPECT_EQ(merged.status, 1) << merged.out << merged.err;
  EXPECT_NE(merged.out.find("2 pairs merged, 0 unchanged, 0 failed; 0 files copied, 1 copy failed"),
            std::string::npos)
      << merged.out;
  EXPECT_EQ(Contents(root / "merged").size(), found->folders[0].histories) << merged.out;
}

// What a gathered history says of its copies: twins (the same bytes, or the same entries in
// other bytes) hold their entries together; each copy gave its entries and held some alone. A
// copy cut off in its fourth entry gives the three before it, and the report says where it broke.
TEST(GatherJobTest, CountsWhatEachCopyGaveAndHeldAlone) {
  test::ScopedTimeZone zone("UTC");
  test::TempFolder root;
  const auto history = [](std::vector<const char*> texts) {
    std::vector<test::TestMessage> messages;
    for (const char* text : texts) messages.push_back({"2006/01/23", text, text});
    return test::HistoryText(messages);
  };
  const std::string five = history({"10:00:01", "10:00:02", "10:00:03", "10:00:04", "10:00:05"});
  const std::string cut = five.substr(0, five.find("10:00:04"));
  const struct {
    const char* what;
    std::vector<std::string> copies;
    int several, oneOnly;
    std::vector<int> entries, alone;
    std::vector<Reason> rescued;
  } rows[] = {
      {"byte twins", {five, five}, 5, 0, {5, 5}, {0, 0}, {}},
      {"alike in other bytes", {five, five + "\r\n"}, 5, 0, {5, 5}, {0, 0}, {}},
      {"one side each",
       {history({"10:00:01", "10:00:02", "10:00:03"}), history({"10:00:01", "10:00:04"})},
       1,
       3,
       {3, 2},
       {2, 1},
       {}},
      {"twins and another", {five, history({"10:00:06"}), five}, 5, 1, {5, 1, 5}, {0, 1, 0}, {}},
      {"a cut copy",
       {five, cut},
       3,
       2,
       {5, 3},
       {2, 0},
       {{.kind = ReasonKind::BrokenOffInEntry,
         .path = (root / "copy1.xml").string(),
         .offset = cut.size(),
         .count = 3}}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    std::vector<std::string> inputs;
    for (std::size_t k = 0; k < row.copies.size(); ++k) {
      inputs.push_back((root / ("copy" + std::to_string(k) + ".xml")).string());
      test::WriteFile(inputs.back(), row.copies[k]);
    }
    fs::remove(root / "out.xml");
    const JobResult result = Gather(inputs, root / "out.xml");
    ASSERT_EQ(result.report.pairs.size(), 1u);
    const PairReport& pair = result.report.pairs[0];
    EXPECT_EQ(pair.counts.fromBoth, row.several);
    EXPECT_EQ(pair.counts.fromInput1, row.oneOnly);
    EXPECT_EQ(pair.copyEntries, row.entries);
    EXPECT_EQ(pair.copyAlone, row.alone);
    ASSERT_EQ(pair.rescued.size(), row.rescued.size());
    for (std::size_t k = 0; k < row.rescued.size(); ++k) {
      EXPECT_EQ(pair.rescued[k].kind, row.rescued[k].kind);
      EXPECT_EQ(pair.rescued[k].path, row.rescued[k].path);
      EXPECT_EQ(pair.rescued[k].offset, row.rescued[k].offset);
      EXPECT_EQ(pair.rescued[k].count, row.rescued[k].count);
    }
  }
}

TEST(GatherJobTest, RefusesWhatItCannotGather) {
  PcFolders pcs(2);
  const std::string file = pcs.folders[0] + "/alice.xml";
  const struct {
    const char* what;
    std::vector<std::string> inputs;
    std::string output;
    RefusalKind kind;
    PathField field;
  } cases[] = {
      {"one input",
       {pcs.folders[0]},
       (pcs.root / "o").string(),
       RefusalKind::NoPath,
       PathField::Input},
      {"no output", pcs.folders, "", RefusalKind::NoPath, PathField::Output},
      {"missing input",
       {pcs.folders[0], (pcs.root / "gone").string()},
       (pcs.root / "o").string(),
       RefusalKind::MissingPath,
       PathField::Input},
      {"file among folders",
       {pcs.folders[0], file},
       (pcs.root / "o").string(),
       RefusalKind::NotFolder,
       PathField::Input},
      {"output inside an input", pcs.folders, pcs.folders[1] + "/sub/..//sub",
       RefusalKind::InsideInput, PathField::Output},
      {"output an input", pcs.folders, pcs.folders[0] + "/", RefusalKind::InsideInput,
       PathField::Output},
      {"file output an input",
       {file, pcs.folders[1] + "/alice.xml"},
       file,
       RefusalKind::InsideInput,
       PathField::Output},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const JobResult result = Gather(c.inputs, c.output);
    ASSERT_TRUE(result.refusal);
    EXPECT_EQ(result.refusal->kind, c.kind);
    EXPECT_EQ(result.refusal->field, c.field);
  }
}

}  // namespace
}  // namespace palvarin

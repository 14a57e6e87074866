// The archive rule over whole jobs: it leaves out what one side deleted after a merge both
// files came out of, and nothing else, however PCs are merged in turn.

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <sstream>

#include "app/job_settings.hpp"
#include "job/job_observer.hpp"
#include "job/run_merge_job.hpp"
#include "state/profile_store.hpp"
#include "state/settings_store.hpp"
#include "support/job_settings.hpp"
#include "support/pc_histories.hpp"
#include "support/test_support.hpp"

namespace palvarin {
namespace {

using Identities = std::set<EntryIdentity>;

Identities HeldBy(const std::filesystem::path& file) {
  const auto held = test::Identities(file);
  return {held.begin(), held.end()};
}

bool HoldsAll(const Identities& held, const Identities& wanted) {
  return std::includes(held.begin(), held.end(), wanted.begin(), wanted.end());
}

// Merges two history files with the archive rule on, over both or into `output`.
void MergeFiles(ProfileStore& profile, const std::filesystem::path& first,
                const std::filesystem::path& second, const std::filesystem::path& output = {}) {
  MergeSettings settings = test::JobSettings(InTarget::File, first, second, output);
  settings.IgnoreOldMerge = true;
  test::LoneJob alone;
  const JobResult result = RunMergeJob({.options = JobOptionsOf(settings)}, profile, alone);
  ASSERT_FALSE(result.refusal);
  ASSERT_FALSE(result.report.AnyFailed());
  MergeSettings stored;
  LoadSettings(profile, stored);
  EXPECT_EQ(stored, MergeSettings{}) << "the job records merge times, never the settings";
}

struct Order {
  const char* name;
  std::vector<std::pair<int, int>> merges;  // PCs by number, the first named first
};

TEST(ArchiveRuleJobs, OnePcMergedInTurnWithTwoOthersLosesNothing) {
  test::ScopedTimeZone zone("Europe/Paris");
  const Order orders[] = {
      {"A-B, A-C, A-B", {{0, 1}, {0, 2}, {0, 1}}},
      {"A-C, A-B, A-C, A-B", {{0, 2}, {0, 1}, {0, 2}, {0, 1}}},
      {"B-A, C-A, B-A", {{1, 0}, {2, 0}, {1, 0}}},
      {"A-B, A-C, A-B, A-C, A-B", {{0, 1}, {0, 2}, {0, 1}, {0, 2}, {0, 1}}},
  };
  for (const bool overwrite : {true, false}) {
    for (const Order& order : orders) {
      for (std::uint32_t seed = 1; seed <= 8; ++seed) {
        SCOPED_TRACE(std::string(order.name) + (overwrite ? ", overwrite" : ", separate") +
                     ", seed " + std::to_string(seed));
        test::TempFolder folder;
        ProfileStore profile(folder / "profile.sqlite3");
        const auto histories = test::MakePcHistories(seed, 3, test::Difference::kAll);
        std::vector<std::filesystem::path> pcs;
        Identities all;
        for (std::size_t pc = 0; pc < histories.size(); ++pc) {
          pcs.push_back(folder / ("pc" + std::to_string(pc + 1) + ".xml"));
          test::WriteFile(pcs.back(), histories[pc]);
          const Identities held = HeldBy(pcs.back());
          all.insert(held.begin(), held.end());
        }
        Identities written;
        for (std::size_t step = 0; step < order.merges.size(); ++step) {
          const auto [one, two] = order.merges[step];
          const auto output = overwrite ? std::filesystem::path()
                                        : folder / ("out" + std::to_string(step) + ".xml");
          MergeFiles(profile, pcs[one], pcs[two], output);
          const Identities result = HeldBy(overwrite ? pcs[one] : output);
          const Identities inputs = [&] {
            Identities both = HeldBy(pcs[one]);
            const Identities second = HeldBy(pcs[two]);
            both.insert(second.begin(), second.end());
            return both;
          }();
          EXPECT_TRUE(HoldsAll(result, inputs)) << "step " << step << " left entries out";
          written.insert(result.begin(), result.end());
        }
        if (overwrite) {
          for (const auto& pc : pcs) EXPECT_TRUE(HoldsAll(HeldBy(pc), all)) << pc;
        } else {
          EXPECT_TRUE(HoldsAll(written, all));
        }
        if (HasFailure()) return;
      }
    }
  }
}

TEST(ArchiveRuleJobs, SeparateOutputRunTwiceWritesTheSameHistory) {
  test::ScopedTimeZone zone("Asia/Tokyo");
  for (std::uint32_t seed = 1; seed <= 10; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    test::TempFolder folder;
    ProfileStore profile(folder / "profile.sqlite3");
    const auto histories = test::MakePcHistories(seed, 2, test::Difference::kAll);
    test::WriteFile(folder / "a.xml", histories[0]);
    test::WriteFile(folder / "b.xml", histories[1]);
    MergeFiles(profile, folder / "a.xml", folder / "b.xml", folder / "out1.xml");
    MergeFiles(profile, folder / "a.xml", folder / "b.xml", folder / "out2.xml");
    EXPECT_EQ(test::ReadFile(folder / "out1.xml"), test::ReadFile(folder / "out2.xml"));
  }
}

// The oldest fifth of the entries of one file, cut off its front: an archive made on one PC.
// `removed` gets those the archive rule can judge.
std::string WithoutOldestFifth(const std::string& history, Identities& removed) {
  pugi::xml_document document;
  // Read as a history is read for a merge, so that the identities agree.
  EXPECT_TRUE(document.load_string(
      history.c_str(), pugi::parse_default | pugi::parse_ws_pcdata | pugi::parse_embed_pcdata));
  const auto identities = test::Identities(document);
  std::size_t count = identities.size() / 5;
  for (std::size_t i = 0; i < count; ++i) {
    // An entry without a time cannot be older than the last merge: it comes back.
    if (document.document_element().first_child().attribute("Date")) {
      removed.insert(identities[i]);
    }
    document.document_element().remove_child(document.document_element().first_child());
  }
  std::ostringstream text;
  document.save(text, "", pugi::format_raw);
  return text.str();
}

TEST(ArchiveRuleJobs, WhatOneSideDeletedAfterAnOverwriteMergeStaysOutOfBoth) {
  test::ScopedTimeZone zone("America/Sao_Paulo");
  for (const bool deleteOnFirst : {true, false}) {
    for (std::uint32_t seed = 1; seed <= 10; ++seed) {
      SCOPED_TRACE(std::string(deleteOnFirst ? "deleted on PC 1" : "deleted on PC 2") + ", seed " +
                   std::to_string(seed));
      test::TempFolder folder;
      ProfileStore profile(folder / "profile.sqlite3");
      const auto histories = test::MakePcHistories(seed, 2, test::Difference::kAll);
      const auto a = folder / "a.xml";
      const auto b = folder / "b.xml";
      test::WriteFile(a, histories[0]);
      test::WriteFile(b, histories[1]);
      MergeFiles(profile, a, b);
      const Identities merged = HeldBy(a);
      Identities removed;
      const auto archived = deleteOnFirst ? a : b;
      test::WriteFile(archived, WithoutOldestFifth(test::ReadFile(archived), removed));
      ASSERT_FALSE(removed.empty());
      MergeFiles(profile, a, b);
      Identities expected;
      std::set_difference(merged.begin(), merged.end(), removed.begin(), removed.end(),
                          std::inserter(expected, expected.end()));
      EXPECT_EQ(HeldBy(a), expected);
      EXPECT_EQ(HeldBy(b), expected);
    }
  }
}

TEST(ArchiveRuleJobs, ATimeRecordWithoutIdentitiesLeavesNothingOut) {
  test::ScopedTimeZone zone("UTC");
  test::TempFolder folder;
  ProfileStore profile(folder / "profile.sqlite3");
  const auto histories = test::MakePcHistories(3, 2, test::Difference::kAll);
  const auto a = folder / "a.xml";
  const auto b = folder / "b.xml";
  test::WriteFile(a, histories[0]);
  test::WriteFile(b, histories[1]);
  // As an earlier version recorded it: a time in the future of every entry, nothing else.
  ASSERT_TRUE(profile.WriteProfileString(kMergeTimeSection, b.string() + "_" + a.string(),
                                         "20260101000000"));
  Identities both = HeldBy(a);
  const Identities second = HeldBy(b);
  both.insert(second.begin(), second.end());
  MergeFiles(profile, a, b, folder / "out.xml");
  EXPECT_EQ(HeldBy(folder / "out.xml"), both);
}

}  // namespace
}  // namespace palvarin

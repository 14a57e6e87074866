// Every pattern a core layer words its failures with is in the catalogue: a pattern that the
// template missed would reach a Japanese user in English, and the catalogue test, which walks
// the template, could not see it.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "files/atomic_file.hpp"
#include "files/file_ops.hpp"
#include "files/folder_listing.hpp"
#include "files/history_file.hpp"
#include "history/log_document.hpp"
#include "job/run_merge_job.hpp"
#include "state/profile_store.hpp"
#include "support/history_builder.hpp"
#include "support/job_settings.hpp"
#include "support/test_language.hpp"
#include "support/test_support.hpp"
#include "texts/catalogue.hpp"

namespace palvarin::test {
namespace {

struct Failure {
  std::string what;
  Phrase reason;
};

// Failures of every layer below the front ends, each as the user would meet it.
std::vector<Failure> CoreFailures(const TempFolder& folder) {
  const auto missing = folder / "missing.xml";
  const auto sub = folder / "sub.xml";
  std::filesystem::create_directories(sub);
  std::vector<Failure> failures;
  failures.push_back({"read a folder", ReadHistoryFile(sub).result.reason});
  failures.push_back({"read a missing file", ReadHistoryFile(missing).result.reason});
  AtomicFile replace;
  replace.Open(sub, AtomicFile::Placement::Replace);
  failures.push_back({"replace a folder", replace.Status().reason});
  failures.push_back(
      {"copy a missing file", CopyFile(missing, folder / "to.xml", CopyMode::Replace).reason});
  failures.push_back({"delete a missing file", DeleteFile(missing).reason});
  std::vector<std::string> names;
  failures.push_back({"list a missing folder", ListFolder(missing.string(), names).reason});
  const struct {
    const char* name;
    std::string text;
  } refused[] = {
      {"text outside", "words"},
      {"no element", "<?xml version=\"1.0\"?>"},
      {"other root", "<Other/>"},
      {"two roots", "<Log/><Log/>"},
      {"document type", "<!DOCTYPE Log []><Log/>"},
      {"not well formed", "<Log><Message"},
      {"repeated attribute", "<Log><Message a=\"1\" a=\"2\"/></Log>"},
      {"NUL character", std::string("<Log>\0</Log>", 12)},
  };
  for (const auto& row : refused) {
    const auto file = folder / (std::string(row.name) + ".xml");
    WriteFile(file, row.text);
    failures.push_back({row.name, LoadLogDocument(file).result.reason});
  }
  // A pair that fails after its backups were made, in an overwrite job.
  const auto good = folder / "good.xml";
  const auto broken = folder / "not well formed.xml";
  WriteFile(good, OneMessageHistory("fine"));
  ProfileStore profile(folder / "profile.sqlite3");
  MergeSettings settings = JobSettings(InTarget::File, good, broken);
  settings.CreateBackup = true;
  LoneJob quiet;
  const JobResult job = RunMergeJob(settings, profile, quiet);
  if (!job.report.pairs.empty()) {
    failures.push_back({"failed pair with backups", job.report.pairs[0].cause});
  }
  return failures;
}

TEST(CorePhrases, EveryPatternHasAJapaneseTranslation) {
  TempFolder folder;
  const std::vector<Failure> failures = CoreFailures(folder);
  ScopedLanguage japanese(kJapaneseLocale);
  for (const Failure& failure : failures) {
    ASSERT_FALSE(failure.reason.empty()) << failure.what << ": no failure";
    int patterns = 0;
    failure.reason.ForEachPattern([&](std::string_view pattern) {
      ++patterns;
      EXPECT_NE(Tr(pattern), pattern) << failure.what << ": \"" << pattern << "\"";
    });
    EXPECT_GT(patterns, 0) << failure.what;
    EXPECT_TRUE(HasJapanese(Word(failure.reason))) << failure.what;
  }
}

}  // namespace
}  // namespace palvarin::test

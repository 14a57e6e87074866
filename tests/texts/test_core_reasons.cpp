// Every reason a core layer gives is worded in both languages: a kind that texts left unworded
// would reach a Japanese user in English, or reach nobody at all.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "app/job_settings.hpp"
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
#include "texts/cause_text.hpp"

namespace palvarin::test {
namespace {

struct MetFailure {
  std::string what;
  Reason reason;
};

// Failures of every layer below the front ends, each as the user would meet it.
std::vector<MetFailure> CoreFailures(const TempFolder& folder) {
  const auto missing = folder / "missing.xml";
  const auto sub = folder / "sub.xml";
  std::filesystem::create_directories(sub);
  std::vector<MetFailure> failures;
  failures.push_back({"read a folder", ReadHistoryFile(sub).reason()});
  failures.push_back({"read a missing file", ReadHistoryFile(missing).reason()});
  AtomicFile replace;
  replace.Open(sub, AtomicFile::Placement::Replace);
  failures.push_back({"replace a folder", replace.Status().reason()});
  failures.push_back(
      {"copy a missing file", CopyFile(missing, folder / "to.xml", CopyMode::Replace).reason()});
  failures.push_back({"delete a missing file", DeleteFile(missing).reason()});
  failures.push_back({"list a missing folder", ListFolder(missing.string()).reason()});
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
    failures.push_back({row.name, LoadLogDocument(file).reason()});
  }
  // A pair that fails after its backups were made, in an overwrite job.
  const auto good = folder / "good.xml";
  const auto broken = folder / "not well formed.xml";
  WriteFile(good, OneMessageHistory("fine"));
  ProfileStore profile(folder / "profile.sqlite3");
  MergeSettings settings = JobSettings(InTarget::File, good, broken);
  settings.CreateBackup = true;
  LoneJob quiet;
  const JobResult job = RunMergeJob({.options = JobOptionsOf(settings)}, profile, quiet);
  if (!job.report.pairs.empty()) {
    failures.push_back({"failed pair with backups", job.report.pairs[0].cause});
  }
  return failures;
}

TEST(CoreReasons, EveryFailureMetIsWordedInJapaneseWithItsPath) {
  TempFolder folder;
  const std::vector<MetFailure> failures = CoreFailures(folder);
  ScopedLanguage japanese(kJapaneseLocale);
  for (const MetFailure& failure : failures) {
    ASSERT_NE(failure.reason.kind, ReasonKind::None) << failure.what << ": no failure";
    const std::string worded = Word(failure.reason);
    EXPECT_TRUE(HasJapanese(worded)) << failure.what << ": " << worded;
    EXPECT_NE(worded.find(failure.reason.path), std::string::npos) << failure.what << worded;
  }
}

// Each kind has words of its own in both languages, naming its path: a kind that fell through
// to the system's reason alone would tell the user nothing of what failed.
TEST(CoreReasons, EveryKindIsWordedAndNamesItsPath) {
  const Reason base{.path = "/h/alice.xml", .code = EACCES, .detail = "detail"};
  for (const char* language : {"C", kJapaneseLocale}) {
    ScopedLanguage chosen(language);
    std::vector<std::string> seen;
    for (int kind = 1; kind < static_cast<int>(ReasonKind::EndOfKinds); ++kind) {
      Reason reason = base;
      reason.kind = static_cast<ReasonKind>(kind);
      const std::string worded = Word(reason);
      const bool pathless = reason.kind == ReasonKind::StoppedWhileWaiting ||
                            reason.kind == ReasonKind::NoMemoryToSet ||
                            reason.kind == ReasonKind::SearchImpossible;
      EXPECT_TRUE(pathless || worded.find(base.path) != std::string::npos) << kind << worded;
      EXPECT_NE(worded, Word({.path = base.path, .code = EACCES})) << kind;
      EXPECT_EQ(std::count(seen.begin(), seen.end(), worded), 0) << kind << " " << worded;
      seen.push_back(worded);
    }
  }
}

// The common system reasons are translated; in English every one stays the C library's words.
TEST(SystemReason, CommonReasonsAreTranslatedAndReadAsTheCLibraryInEnglish) {
  const struct {
    int code;
    bool translated;
  } rows[] = {
      {ENOENT, true}, {EACCES, true}, {EPERM, true},      {ENOSPC, true},       {EDQUOT, true},
      {EROFS, true},  {EIO, true},    {ENOMEM, true},     {EEXIST, true},       {ENOTDIR, true},
      {EISDIR, true}, {ELOOP, true},  {EMFILE, true},     {ENAMETOOLONG, true}, {EBUSY, true},
      {EFBIG, true},  {EXDEV, false}, {ENOTEMPTY, false}, {12345, false},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(SystemReason(row.code), std::generic_category().message(row.code)) << row.code;
  }
  ScopedLanguage japanese(kJapaneseLocale);
  for (const auto& row : rows) {
    EXPECT_EQ(HasJapanese(SystemReason(row.code)), row.translated) << row.code;
  }
}

}  // namespace
}  // namespace palvarin::test

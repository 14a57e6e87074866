// OK and Cancel: the path checks, the job, its report, and what reaches the profile.
#include <QMessageBox>
#include <QPushButton>
#include <filesystem>

#include "app/message_text.hpp"
#include "files/history_locks.hpp"
#include "state/settings_store.hpp"
#include "texts/reason_text.hpp"
#include "ui/results/job_problems.hpp"
#include "ui/shared/dialog_strings.hpp"
#include "ui_fixtures.hpp"

namespace palvarin::test {
namespace {

class OkTest : public DialogTest {
 protected:
  // A record already in the profile, which a refused or cancelled dialog must leave alone.
  OkTest() {
    stored_.Path1 = "/stored/one";
    stored_.Path2 = "/stored/two";
    stored_.BackupMax = 3;
    SaveSettings(*profile_, stored_);
  }

  std::string Make(const char* name, const char* text, const char* time) {
    const std::filesystem::path path = temp_ / name;
    WriteFile(path, SampleHistory(text, time));
    return path.string();
  }

  MergeSettings stored_;
};

struct RefusalRow {
  const char* name;
  // What to type: path 1, path 2, output path (empty: leave empty; "<missing>": a path that
  // does not exist; "<file>" / "<folder>": an existing file / folder).
  const char* path1;
  const char* path2;
  const char* pathSave;
  const char* inputRadio;
  const char* outputRadio;
  RefusalKind kind;
  PathField field;  // the path the message names
};

// Names the row in test listings instead of dumping its bytes.
void PrintTo(const RefusalRow& row, std::ostream* out) { *out << row.name; }

class RefusalTest : public OkTest, public ::testing::WithParamInterface<RefusalRow> {
 protected:
  QString Resolve(const char* what) {
    const std::string text = what;
    if (text == "<missing>") return QString::fromStdString((temp_ / "missing.xml").string());
    if (text == "<file>") return QString::fromStdString(Make("a.xml", "a", "10:00:00"));
    if (text == "<folder>") return QString::fromStdString(temp_.Path().string());
    return QString::fromStdString(text);
  }
};

// Refused: the message, the dialog stays open, nothing is run, the profile is unchanged.
TEST_P(RefusalTest, ShowsTheMessageAndKeepsTheDialogOpen) {
  const RefusalRow& row = GetParam();
  OpenFromProfile();
  Click(row.inputRadio);
  Click(row.outputRadio);
  const QString typed[] = {Resolve(row.path1), Resolve(row.path2), Resolve(row.pathSave)};
  Type("path1Edit", typed[0]);
  Type("path2Edit", typed[1]);
  if (Find<QWidget>("pathSaveEdit")->isEnabled()) Type("pathSaveEdit", typed[2]);
  const auto filesBefore = std::distance(std::filesystem::directory_iterator(temp_.Path()), {});

  Click("okButton");

  const Refusal refusal{row.kind, row.field, typed[static_cast<int>(row.field)].toStdString()};
  EXPECT_EQ(messages_.shown, QStringList{FromUtf8(RefusalText(refusal))});
  EXPECT_EQ(messages_.parents.front(), dialog_.get());
  EXPECT_TRUE(dialog_->isVisible());
  EXPECT_EQ(dialog_->result(), 0);
  EXPECT_EQ(StoredSettings(), stored_);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(temp_.Path()), {}), filesBefore);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, RefusalTest,
    ::testing::Values(RefusalRow{"SecondPathEmpty", "<file>", "", "", "fileRadio", "overwriteRadio",
                                 RefusalKind::NoPath, PathField::Second},
                      RefusalRow{"FirstPathEmpty", "", "<file>", "", "fileRadio", "overwriteRadio",
                                 RefusalKind::NoPath, PathField::First},
                      RefusalRow{"OutputEmptyForOtherOutput", "<file>", "<file>", "", "fileRadio",
                                 "otherOutputRadio", RefusalKind::NoPath, PathField::Output},
                      RefusalRow{"BlanksAreContent", " ", " ", "", "fileRadio", "overwriteRadio",
                                 RefusalKind::MissingPath, PathField::First},
                      RefusalRow{"OutputNotNeededForOverwrite", "<missing>", "<file>", "",
                                 "fileRadio", "overwriteRadio", RefusalKind::MissingPath,
                                 PathField::First},
                      RefusalRow{"SecondPathMissing", "<file>", "<missing>", "", "fileRadio",
                                 "overwriteRadio", RefusalKind::MissingPath, PathField::Second},
                      RefusalRow{"OutputFolderMissing", "<folder>", "<folder>", "<missing>",
                                 "folderRadio", "otherOutputRadio", RefusalKind::MissingPath,
                                 PathField::Output},
                      RefusalRow{"FolderInFileJob", "<folder>", "<file>", "", "fileRadio",
                                 "overwriteRadio", RefusalKind::NotFile, PathField::First},
                      RefusalRow{"FileInFolderJob", "<folder>", "<file>", "", "folderRadio",
                                 "overwriteRadio", RefusalKind::NotFolder, PathField::Second},
                      RefusalRow{"FileWithItself", "<file>", "<file>", "", "fileRadio",
                                 "overwriteRadio", RefusalKind::SamePath, PathField::Second},
                      RefusalRow{"FolderWithItself", "<folder>", "<folder>", "", "folderRadio",
                                 "overwriteRadio", RefusalKind::SamePath, PathField::Second}),
    RowName);

TEST_F(OkTest, ValidPathsRunTheJobReportItAndClose) {
  const std::string first = Make("one.xml", "from one", "10:00:00");
  const std::string second = Make("two.xml", "from two", "11:00:00");
  OpenFromProfile();
  Click("fileRadio");
  Type("path1Edit", QString::fromStdString(first));
  Type("path2Edit", QString::fromStdString(second));
  Type("backupMaxEdit", QStringLiteral("5"));
  Click("skipUnchangedCheck");

  Click("okButton");

  EXPECT_EQ(messages_.shown, QStringList{MessageQText(kMessageMergeFinished)});
  EXPECT_EQ(messages_.icons, std::vector{MessageIcon::Information});
  EXPECT_FALSE(dialog_->isVisible());
  EXPECT_EQ(dialog_->result(), QDialog::Accepted);
  // Both inputs hold the merged history.
  const std::string merged = ReadFile(first);
  EXPECT_NE(merged.find("from one"), std::string::npos);
  EXPECT_NE(merged.find("from two"), std::string::npos);
  EXPECT_EQ(ReadFile(second), merged);
  // The settings that ran are stored.
  const MergeSettings ran = dialog_->Settings();
  EXPECT_EQ(ran.Path1, first);
  EXPECT_EQ(ran.InTarget, InTarget::File);
  EXPECT_EQ(ran.BackupMax, 5u);
  EXPECT_FALSE(ran.NotMergeSameDatetime);
  EXPECT_EQ(StoredSettings(), ran);
  EXPECT_FALSE(dialog_->JobFailed());
}

TEST_F(OkTest, FailedPairIsListedBeforeTheEndMessageAndTheSecondInputIsKept) {
  const std::filesystem::path broken = temp_ / "broken.xml";
  WriteFile(broken, "<Log><Message");
  const std::string second = Make("two.xml", "from two", "11:00:00");
  MergeSettings settings;
  settings.InTarget = InTarget::File;
  settings.Path1 = broken.string();
  settings.Path2 = second;
  Open(settings);

  Click("okButton");

  // The results, with the failed pair and why, come before message 250, which warns of it.
  EXPECT_EQ(messages_.shown,
            QStringList{MessageQText(kMessageMergeFinished) + u'\n' + FailedItemsNote(1, 0)});
  EXPECT_EQ(messages_.icons, std::vector{MessageIcon::Warning});
  ASSERT_EQ(messages_.results.size(), 1u);
  EXPECT_EQ(messages_.resultsAfter, std::vector<int>{0});
  ASSERT_EQ(messages_.results[0].pairs.size(), 1u);
  const PairReport& pair = messages_.results[0].pairs[0];
  EXPECT_EQ(pair.first, broken.string());
  EXPECT_EQ(pair.outcome, PairOutcome::Failed);
  // Backups were made before the merge failed: the reason says so rather than claiming that
  // nothing was written, and names backups that are really there.
  const std::string reason = PairReason(pair, false);
  EXPECT_EQ(reason.find("nothing was written"), std::string::npos) << reason;
  ASSERT_EQ(pair.backupsMade.size(), 2u);
  for (const std::string& backup : pair.backupsMade) {
    EXPECT_NE(reason.find(backup), std::string::npos) << reason;
    EXPECT_TRUE(std::filesystem::is_regular_file(backup)) << backup;
  }
  EXPECT_EQ(dialog_->result(), QDialog::Accepted);
  EXPECT_EQ(ReadFile(second), SampleHistory("from two", "11:00:00"));
  EXPECT_EQ(ReadFile(broken), "<Log><Message");
  EXPECT_TRUE(dialog_->JobFailed()) << "the exit status says so";
}

// A pair failing only for a cut input asks, naming the file and its break, whether to take its
// whole entries; No (the default) leaves the failure, Yes merges them and keeps the cut file.
TEST_F(OkTest, AsksWhetherToRescueACutInputDefaultNo) {
  for (const bool yes : {false, true}) {
    SCOPED_TRACE(yes ? "yes" : "no");
    const std::string kept = SampleHistory("kept", "10:00:00");
    const std::string cut = kept.substr(0, kept.find("</Log>")) + "<Message Date=\"2010/09/17\">";
    const std::filesystem::path first = temp_ / "cut<1>.xml";
    WriteFile(first, cut);
    const std::string second = Make("two.xml", "from two", "11:00:00");
    MergeSettings settings;
    settings.InTarget = InTarget::File;
    settings.Path1 = first.string();
    settings.Path2 = second;
    settings.CreateBackup = false;
    Open(settings);
    messages_.answer = yes;
    Click("okButton");
    ASSERT_FALSE(messages_.asked.empty());
    const QString asked = messages_.asked.back();
    EXPECT_TRUE(asked.startsWith(QString::fromStdString(first.string())) &&
                asked.contains(QString::number(cut.size())))
        << asked.toStdString();
    ASSERT_FALSE(messages_.results.empty());
    EXPECT_EQ(messages_.results.back().pairs.at(0).outcome,
              yes ? PairOutcome::Merged : PairOutcome::Failed);
    const std::string merged = ReadFile(second);
    EXPECT_EQ(merged.find("kept") != std::string::npos, yes);
    EXPECT_EQ(ReadFile(first) == cut, !yes);
    int backups = 0;
    for (const auto& file : std::filesystem::directory_iterator(temp_.Path())) {
      backups += file.path().filename().string().starts_with("cut<1>.xml_") &&
                 ReadFile(file.path()) == cut;
    }
    EXPECT_EQ(backups, yes ? 1 : 0);
    std::filesystem::remove(first);
  }
}

// Counts of pairs and of copies.
using Counts = std::pair<int, int>;

struct EndRow {
  const char* name;
  std::vector<PairOutcome> pairs;
  std::vector<CopyOutcome> copies;
  bool stopped;
  MessageIcon icon;
  // What the lines after message 250 count: failed items, items not started.
  std::optional<Counts> failed;
  std::optional<Counts> notStarted;
};

void PrintTo(const EndRow& row, std::ostream* out) { *out << row.name; }

class JobEndTest : public ::testing::TestWithParam<EndRow> {};

// Message 250 as it stands, warning only of what really went wrong, with the counts.
TEST_P(JobEndTest, IconAndNotesFollowWhatBecameOfEachItem) {
  const EndRow& row = GetParam();
  JobReport report;
  for (const PairOutcome outcome : row.pairs) report.pairs.emplace_back().outcome = outcome;
  for (const CopyOutcome outcome : row.copies) report.copies.emplace_back().outcome = outcome;
  report.stopped = row.stopped;
  QStringList expected{MessageQText(kMessageMergeFinished)};
  if (row.failed) expected << FailedItemsNote(row.failed->first, row.failed->second);
  if (row.notStarted) expected << StoppedJobNote(row.notStarted->first, row.notStarted->second);
  RecordingPresenter messages;
  QWidget parent;

  ShowJobEnd(messages, &parent, report);

  ASSERT_EQ(messages.shown.size(), 1);
  EXPECT_EQ(messages.shown[0].split(u'\n'), expected);
  EXPECT_EQ(messages.icons, std::vector{row.icon});
  EXPECT_EQ(messages.parents, std::vector<QWidget*>{&parent});
}

using enum PairOutcome;
constexpr CopyOutcome kCopied = CopyOutcome::Copied;
constexpr CopyOutcome kCopyFailed = CopyOutcome::Failed;
constexpr CopyOutcome kCopyNotRun = CopyOutcome::NotRun;
constexpr CopyOutcome kKept = CopyOutcome::KeptExisting;
constexpr MessageIcon kInformation = MessageIcon::Information;
constexpr MessageIcon kWarning = MessageIcon::Warning;

INSTANTIATE_TEST_SUITE_P(
    Outcomes, JobEndTest,
    ::testing::Values(
        EndRow{"AllWell", {Merged, Unchanged}, {kCopied, kKept}, false, kInformation, {}, {}},
        EndRow{"NothingToDo", {}, {}, false, kInformation, {}, {}},
        EndRow{
            "PairsFailed", {Merged, Failed, Failed}, {kCopied}, false, kWarning, Counts{2, 0}, {}},
        EndRow{"ACopyFailed", {Merged}, {kCopyFailed}, false, kWarning, Counts{0, 1}, {}},
        EndRow{
            "Stopped", {Merged, NotRun, NotRun}, {kCopyNotRun}, true, kWarning, {}, Counts{2, 1}},
        EndRow{
            "StoppedAndFailed", {Failed, NotRun}, {}, true, kWarning, Counts{1, 0}, Counts{1, 0}},
        // The stop came once every item had started: nothing was left undone.
        EndRow{
            "StoppedOnceAllHadStarted", {Merged}, {kCopied}, true, kInformation, {}, Counts{0, 0}}),
    RowName);

// Another job holds the first input: the title says that the job waits, and the job runs
// once that job lets go (here from the event loop the waiting dialog keeps turning).
TEST_F(OkTest, AJobThatWaitsForAnotherJobSaysSoInTheTitle) {
  const std::string first = Make("one.xml", "from one", "10:00:00");
  const std::string second = Make("two.xml", "from two", "11:00:00");
  MergeSettings settings;
  settings.InTarget = InTarget::File;
  settings.Path1 = first;
  settings.Path2 = second;
  settings.NotMergeSameDatetime = false;  // both inputs have the same size and time
  Open(settings);
  QStringList titles;
  QObject::connect(dialog_.get(), &QWidget::windowTitleChanged,
                   [&titles](const QString& title) { titles << title; });
  HistoryLocks otherJob;
  ASSERT_TRUE(otherJob.Acquire(
      {second}, [] {}, [] { return false; }));
  // The other job lets go once the title says that this one waits for it.
  QObject::connect(dialog_.get(), &QWidget::windowTitleChanged,
                   [&otherJob](const QString&) { otherJob.Release(); });
  // Should the wait go on all the same, it is cancelled: the test fails instead of hanging.
  QTimer guard;
  guard.setSingleShot(true);
  guard.callOnTimeout([this] {
    ADD_FAILURE() << "still waiting after the other job let go";
    if (auto* cancel = dialog_->findChild<QPushButton*>("progressCancelButton"))
      test::Click(cancel);
  });
  guard.start(std::chrono::seconds(20));

  dialog_->OnOK();

  const QString palvarin = FromUtf8(kApplicationName);
  EXPECT_EQ(titles,
            (QStringList{palvarin + QStringLiteral(" - ") + WaitingForOtherJobText(), palvarin}));
  EXPECT_EQ(messages_.shown, QStringList{MessageQText(kMessageMergeFinished)});
  EXPECT_EQ(ReadFile(second), ReadFile(first));
  EXPECT_NE(ReadFile(first).find("from two"), std::string::npos);
}

TEST_F(OkTest, CancelRunsNothingAndSavesNothing) {
  const std::string first = Make("one.xml", "from one", "10:00:00");
  const std::string second = Make("two.xml", "from two", "11:00:00");
  OpenFromProfile();
  Click("fileRadio");
  Type("path1Edit", QString::fromStdString(first));
  Type("path2Edit", QString::fromStdString(second));

  Click("cancelButton");

  EXPECT_TRUE(messages_.shown.isEmpty());
  EXPECT_EQ(dialog_->result(), QDialog::Rejected);
  EXPECT_FALSE(dialog_->isVisible());
  EXPECT_EQ(StoredSettings(), stored_);
  EXPECT_EQ(ReadFile(second), SampleHistory("from two", "11:00:00"));
}

}  // namespace
}  // namespace palvarin::test

#include "ui/dialog/palvarin_dlg.hpp"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QThread>
#include <initializer_list>
#include <memory>
#include <optional>

#include "app/job_settings.hpp"
#include "job/run_merge_job.hpp"
#include "rescue_question.hpp"
#include "texts/reason_text.hpp"
#include "ui/dialog/help_dialog.hpp"
#include "ui/gather/gather_window.hpp"
#include "ui/reader/reader_window.hpp"
#include "ui/results/job_problems.hpp"
#include "ui/results/message_presenter.hpp"
#include "ui/shared/dialog_strings.hpp"
#include "ui/shared/job_progress_dialog.hpp"
#include "ui/shared/path_chooser.hpp"
#include "ui/shared/progress_run.hpp"

namespace palvarin {
namespace {

constexpr std::uint32_t kLargestBackupMax = 100;

// A whole number from 0 to 100 in decimal digits, blanks around it allowed; none otherwise.
std::optional<std::uint32_t> BackupMaxOfField(const QString& text) {
  bool ok = false;
  const uint value = text.trimmed().toUInt(&ok, 10);
  if (!ok || value > kLargestBackupMax) return std::nullopt;
  return value;
}

void SetEnabled(std::initializer_list<QWidget*> widgets, bool enabled) {
  for (QWidget* widget : widgets) widget->setEnabled(enabled);
}

}  // namespace

CPalvarinDlg::CPalvarinDlg(const MergeSettings& settings, ProfileStore& profile,
                           MessagePresenter& messages, PathChooser& chooser, QWidget* parent)
    : QDialog(parent),
      settings_(settings),
      profile_(profile),
      messages_(messages),
      chooser_(chooser),
      controls_(BuildPalvarinDlgControls(*this)) {
  setObjectName(QStringLiteral("palvarinDialog"));
  setWindowTitle(FromUtf8(kApplicationName));
  Connect();
  WriteControls();
  RelabelForInTarget();
  UpdateControlStates();
  // The first tab stop.
  controls_.path1Edit->setFocus();
}

void CPalvarinDlg::Connect() {
  const PalvarinDlgControls& c = controls_;
  for (QRadioButton* radio : {c.folderRadio, c.fileRadio}) {
    connect(radio, &QRadioButton::clicked, this, [this] {
      if (ReadControls()) RelabelForInTarget();
    });
  }
  for (QAbstractButton* button : std::initializer_list<QAbstractButton*>{
           c.otherOutputRadio, c.overwriteRadio, c.backupCheck}) {
    connect(button, &QAbstractButton::clicked, this, [this] {
      if (ReadControls()) UpdateControlStates();
    });
  }
  connect(c.path1Browse, &QPushButton::clicked, this, [this] { BrowseForPath(PathField::Path1); });
  connect(c.path2Browse, &QPushButton::clicked, this, [this] { BrowseForPath(PathField::Path2); });
  connect(c.pathSaveBrowse, &QPushButton::clicked, this,
          [this] { BrowseForPath(PathField::PathSave); });
  connect(c.okButton, &QPushButton::clicked, this, [this] { OnOK(); });
  connect(c.cancelButton, &QPushButton::clicked, this, &QDialog::reject);
  connect(c.helpButton, &QPushButton::clicked, this, [this] { ShowHelp(); });
  connect(c.gatherButton, &QPushButton::clicked, this, [this] { ShowGather(); });
  connect(c.readButton, &QPushButton::clicked, this, [this] {
    RunReaderWindow(this, controls_.path1Edit->text().toStdString(),
                    {.profile = &profile_, .chooser = &chooser_});
  });
  // F1 wherever the focus is in the dialog.
  auto* help = new QShortcut(QKeySequence::HelpContents, this);
  connect(help, &QShortcut::activated, this, [this] { ShowHelp(); });
}

void CPalvarinDlg::ShowHelp() { HelpDialog(this).exec(); }

void CPalvarinDlg::ShowGather() {
  GatherWindow(messages_, chooser_, controls_.findEchoesCheck->isChecked(), this).exec();
}

bool CPalvarinDlg::ReadControls() {
  const PalvarinDlgControls& c = controls_;
  const std::optional<std::uint32_t> maximum = BackupMaxOfField(c.backupMaxEdit->text());
  if (!maximum) {
    messages_.Show(this, BackupMaxRangeMessage());
    c.backupMaxEdit->setFocus();
    c.backupMaxEdit->selectAll();
    return false;
  }
  settings_.Path1 = c.path1Edit->text().toStdString();
  settings_.Path2 = c.path2Edit->text().toStdString();
  settings_.PathSave = c.pathSaveEdit->text().toStdString();
  settings_.InTarget = c.fileRadio->isChecked() ? InTarget::File : InTarget::Folder;
  settings_.OutTarget = c.overwriteRadio->isChecked() ? OutTarget::OverWrite : OutTarget::OtherFile;
  settings_.CreateBackup = c.backupCheck->isChecked();
  settings_.BackupMax = *maximum;
  settings_.NotMergeSameDatetime = c.skipUnchangedCheck->isChecked();
  settings_.IgnoreOldMerge = c.ignoreOldMergeCheck->isChecked();
  settings_.FindEchoes = c.findEchoesCheck->isChecked();
  return true;
}

void CPalvarinDlg::WriteControls() {
  const PalvarinDlgControls& c = controls_;
  c.path1Edit->setText(QString::fromStdString(settings_.Path1));
  c.path2Edit->setText(QString::fromStdString(settings_.Path2));
  c.pathSaveEdit->setText(QString::fromStdString(settings_.PathSave));
  (settings_.InTarget == InTarget::File ? c.fileRadio : c.folderRadio)->setChecked(true);
  (settings_.OutTarget == OutTarget::OverWrite ? c.overwriteRadio : c.otherOutputRadio)
      ->setChecked(true);
  c.backupCheck->setChecked(settings_.CreateBackup);
  c.backupMaxEdit->setText(QString::number(settings_.BackupMax));
  c.skipUnchangedCheck->setChecked(settings_.NotMergeSameDatetime);
  c.ignoreOldMergeCheck->setChecked(settings_.IgnoreOldMerge);
  c.findEchoesCheck->setChecked(settings_.FindEchoes);
}

void CPalvarinDlg::RelabelForInTarget() {
  const InTargetTexts texts = TextsFor(settings_.InTarget);
  controls_.pathsGroup->setTitle(texts.pathsGroup);
  controls_.path1Label->setText(texts.path1Label);
  controls_.path2Label->setText(texts.path2Label);
  controls_.otherOutputRadio->setText(texts.otherOutputRadio);
}

void CPalvarinDlg::UpdateControlStates() {
  const PalvarinDlgControls& c = controls_;
  const bool otherFile = settings_.OutTarget == OutTarget::OtherFile;
  SetEnabled({c.pathSaveEdit, c.pathSaveBrowse, c.pathSaveLabel}, otherFile);
  c.backupCheck->setEnabled(!otherFile);
  // A separate output merges every pair: the unchanged skip is for overwrite jobs only.
  c.skipUnchangedCheck->setEnabled(!otherFile);
  SetEnabled({c.backupMaxEdit, c.backupMaxLabel, c.backupMaxNote},
             !otherFile && settings_.CreateBackup);
}

std::string& CPalvarinDlg::Field(PathField field) {
  switch (field) {
    case PathField::Path1:
      return settings_.Path1;
    case PathField::Path2:
      return settings_.Path2;
    case PathField::PathSave:
      break;
  }
  return settings_.PathSave;
}

void CPalvarinDlg::BrowseForPath(PathField field) {
  if (!ReadControls()) return;
  std::string& path = Field(field);
  const QString current = QString::fromStdString(path);
  const std::optional<QString> chosen = settings_.InTarget == InTarget::Folder
                                            ? chooser_.ChooseFolder(this, current)
                                            : chooser_.ChooseFile(this, current);
  if (!chosen) return;
  path = chosen->toStdString();
  WriteControls();
}

// The observer's calls come from the job's threads; what they change on the screen is done on
// the GUI thread. Calls still queued when the progress window goes are dropped with it.
void CPalvarinDlg::WaitingForOtherJob() {
  QMetaObject::invokeMethod(
      relay_->Window(),
      [this] {
        setWindowTitle(FromUtf8(kApplicationName) + QStringLiteral(" - ") +
                       WaitingForOtherJobText());
      },
      Qt::QueuedConnection);
  relay_->WaitingForOtherJob();
}

void CPalvarinDlg::ItemStarted(const JobProgress& item) {
  ++itemsStarted_;
  if (QThread::currentThread() == QCoreApplication::instance()->thread()) ++itemsOnGuiThread_;
  relay_->ItemStarted(item);
}

void CPalvarinDlg::ItemFinished(const JobProgress& item) { relay_->ItemFinished(item); }

JobResult CPalvarinDlg::RunJobOffGuiThread(bool rescue) {
  StopFlag stop;
  JobProgressDialog progress(stop, this);
  ProgressRelay relay(progress);
  relay_ = &relay;
  // The worker reads the record and uses the profile; this thread touches neither until
  // it has ended.
  JobResult result = RunOffGuiThread(progress, [this, &stop, rescue] {
    return RunMergeJob({.options = JobOptionsOf(settings_), .stop = &stop, .rescue = rescue},
                       profile_, *this);
  });
  relay_ = nullptr;
  SaveSettingsOfRun(settings_, result, profile_);
  return result;
}

void CPalvarinDlg::OnOK() {
  if (!ReadControls()) return;
  if (const std::optional<Refusal> missing = MissingRequiredPath(JobOptionsOf(settings_))) {
    messages_.Show(this, FromUtf8(RefusalText(*missing)));
    return;
  }
  JobResult result = RunJobOffGuiThread(false);
  setWindowTitle(FromUtf8(kApplicationName));
  // A pair that failed only for an input that breaks off may be run again taking its whole
  // entries, when the user says so.
  if (const std::vector<Reason> damaged = BrokenOffInputs(result.report);
      !result.refusal && !damaged.empty() &&
      messages_.Ask(this, FromUtf8(RescueQuestion(damaged)))) {
    result = RunJobOffGuiThread(true);
    setWindowTitle(FromUtf8(kApplicationName));
  }
  if (result.refusal) {
    messages_.Show(this, FromUtf8(RefusalText(*result.refusal)));
    return;
  }
  jobFailed_ = result.report.AnyFailed();
  messages_.ShowResults(this, result.report);
  ShowArchivedEntries(messages_, this, result.report);
  ShowJobEnd(messages_, this, result.report);
  accept();
}

}  // namespace palvarin

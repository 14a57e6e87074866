#include "ui/gather/gather_window.hpp"

#include <QCheckBox>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

#include "app/message_text.hpp"
#include "find/find_history_folders.hpp"
#include "find/folder_account.hpp"
#include "job/run_gather_job.hpp"
#include "texts/catalogue.hpp"
#include "texts/cause_text.hpp"
#include "texts/find_text.hpp"
#include "ui/results/message_presenter.hpp"
#include "ui/shared/dialog_strings.hpp"
#include "ui/shared/job_progress_dialog.hpp"
#include "ui/shared/path_chooser.hpp"
#include "ui/shared/progress_run.hpp"

namespace palvarin {
namespace {

template <typename Widget, typename... Args>
Widget* Make(QWidget* parent, const char* name, Args&&... args) {
  auto* widget = new Widget(std::forward<Args>(args)..., parent);
  widget->setObjectName(QString::fromLatin1(name));
  return widget;
}

// The local folders among what is dragged.
QStringList DroppedFolders(const QMimeData* data) {
  QStringList folders;
  if (data == nullptr) return folders;
  for (const QUrl& url : data->urls()) {
    if (url.isLocalFile() && QFileInfo(url.toLocalFile()).isDir()) {
      folders << url.toLocalFile();
    }
  }
  return folders;
}

// The folder with links resolved where it exists, so that two ways to one folder compare equal.
QString Resolved(const QString& folder) {
  const QFileInfo info(folder);
  const QString canonical = info.canonicalFilePath();
  return canonical.isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : canonical;
}

// Whether `folder` is `outer` or lies inside it.
bool IsWithin(const QString& folder, const QString& outer) {
  const QString inner = Resolved(folder);
  const QString root = Resolved(outer);
  return inner == root || inner.startsWith(root.endsWith(u'/') ? root : root + u'/');
}

// What the window says after a walk: how many folders it found and how many joined the list.
QString FoundNote(const QString& root, std::size_t found, int added) {
  if (found == 0) {
    return FromUtf8(
        Format(Tr("No folder under {0} holds message histories."), {root.toStdString()}));
  }
  return FromUtf8(
      Format(TrN("{0} folder with histories found under {1}; {2} added to the list.",
                 "{0} folders with histories found under {1}; {2} added to the list.", found),
             {std::to_string(found), root.toStdString(), std::to_string(added)}));
}

}  // namespace

GatherWindow::GatherWindow(MessagePresenter& messages, PathChooser& chooser, bool findEchoes,
                           QWidget* parent)
    : QDialog(parent), messages_(messages), chooser_(chooser), findEchoes_(findEchoes) {
  setObjectName(QStringLiteral("gatherWindow"));
  setWindowTitle(QTr("Gather copies"));
  setAcceptDrops(true);
  inputs_ = Make<QListWidget>(this, "gatherInputList");
  inputs_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  auto* add = Make<QPushButton>(this, "gatherAddButton", QTr("Add..."));
  auto* find = Make<QPushButton>(this, "findCopiesButton", QTr("Find copies under..."));
  find->setAccessibleName(QTr("Find the folders that hold histories under a folder"));
  remove_ = Make<QPushButton>(this, "gatherRemoveButton", QTr("Remove"));
  findNote_ = Make<QLabel>(this, "gatherFindNote");
  findNote_->setTextFormat(Qt::PlainText);
  findNote_->setWordWrap(true);
  output_ = Make<QLineEdit>(this, "gatherOutputEdit");
  auto* browse = Make<QPushButton>(this, "gatherOutputBrowse", QStringLiteral("..."));
  dryRun_ = Make<QCheckBox>(this, "gatherDryRunCheck", QTr("Dry run: write nothing"));
  run_ = Make<QPushButton>(this, "gatherRunButton", QTr("Gather"));
  run_->setDefault(true);
  auto* close = Make<QPushButton>(this, "gatherCloseButton", QTr("Close"));
  close->setAutoDefault(false);

  auto* listButtons = new QVBoxLayout;
  listButtons->addWidget(add);
  listButtons->addWidget(find);
  listButtons->addWidget(remove_);
  listButtons->addStretch();
  auto* list = new QHBoxLayout;
  list->addWidget(inputs_);
  list->addLayout(listButtons);
  auto* outputRow = new QHBoxLayout;
  outputRow->addWidget(output_);
  outputRow->addWidget(browse);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(dryRun_);
  buttons->addStretch();
  buttons->addWidget(run_);
  buttons->addWidget(close);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(
      new QLabel(QTr("Folders that hold copies of the histories (drop folders here):"), this));
  layout->addLayout(list);
  layout->addWidget(findNote_);
  layout->addWidget(new QLabel(QTr("Gather into the folder:"), this));
  layout->addLayout(outputRow);
  layout->addLayout(buttons);

  connect(add, &QPushButton::clicked, this, [this] { ChooseInput(); });
  connect(find, &QPushButton::clicked, this, [this] { FindCopies(); });
  connect(remove_, &QPushButton::clicked, this, [this] { RemoveSelected(); });
  connect(browse, &QPushButton::clicked, this, [this] { ChooseOutput(); });
  connect(run_, &QPushButton::clicked, this, [this] { Gather(); });
  connect(close, &QPushButton::clicked, this, &QDialog::reject);
  connect(inputs_, &QListWidget::itemSelectionChanged, this, [this] { UpdateStates(); });
  connect(output_, &QLineEdit::textChanged, this, [this] { UpdateStates(); });
  UpdateStates();
}

void GatherWindow::AddFolders(const QStringList& folders) {
  const QStringList held = Inputs();
  for (const QString& folder : folders) {
    if (QFileInfo(folder).isDir() && !held.contains(folder) &&
        inputs_->findItems(folder, Qt::MatchExactly).isEmpty()) {
      inputs_->addItem(folder);
    }
  }
  UpdateStates();
}

QStringList GatherWindow::Inputs() const {
  QStringList folders;
  for (int row = 0; row < inputs_->count(); ++row) folders << inputs_->item(row)->text();
  return folders;
}

void GatherWindow::dragEnterEvent(QDragEnterEvent* event) {
  if (!DroppedFolders(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void GatherWindow::dropEvent(QDropEvent* event) {
  const QStringList folders = DroppedFolders(event->mimeData());
  if (folders.isEmpty()) return;
  AddFolders(folders);
  event->acceptProposedAction();
}

void GatherWindow::ChooseInput() {
  const QString current = inputs_->count() > 0 ? inputs_->item(inputs_->count() - 1)->text() : "";
  if (const std::optional<QString> folder = chooser_.ChooseFolder(this, current)) {
    AddFolders({*folder});
  }
}

void GatherWindow::FindCopies() {
  const std::optional<QString> root = chooser_.ChooseFolder(this, findRoot_);
  if (!root) return;
  findRoot_ = *root;
  StopFlag stop;
  JobProgressDialog progress(stop, this);
  progress.setWindowTitle(QTr("Palvarin - Finding histories"));
  FindRelay relay(progress, stop);
  const std::string walked = root->toStdString();
  const Result<FindReport> found = RunOffGuiThread(
      progress, [&walked, &relay] { return FindHistoryFolders(walked, {}, &relay); });
  // Cancelled: the list stays as it was, even when the walk had ended by then.
  if (stop.Raised()) return;
  if (!found) {
    findNote_->setText(
        FromUtf8(Format(Tr("Cannot look under {0}: {1}"), {walked, Word(found.reason())})));
    return;
  }
  const QString output = output_->text().trimmed();
  std::vector<const HistoryFolder*> kept;
  for (const HistoryFolder& folder : found->folders) {
    if (output.isEmpty() || !IsWithin(QString::fromStdString(folder.folder), output)) {
      kept.push_back(&folder);
    }
  }
  // One account at a time: of several, the user picks one; a folder of no known account goes
  // with any.
  QStringList accounts;
  std::vector<std::string> keys;
  for (const HistoryFolder* folder : kept) {
    const std::string& key = AccountKey(folder->account);
    if (key.empty() || std::find(keys.begin(), keys.end(), key) != keys.end()) continue;
    keys.push_back(key);
    accounts << FromUtf8(AccountLabel(folder->account));
  }
  std::string chosen;
  if (keys.size() > 1) {
    const std::optional<QString> account = chooser_.ChooseAccount(this, accounts);
    if (!account) return;
    chosen = keys[static_cast<std::size_t>(std::max<qsizetype>(accounts.indexOf(*account), 0))];
  }
  QStringList folders;
  for (const HistoryFolder* folder : kept) {
    const std::string& key = AccountKey(folder->account);
    if (chosen.empty() || key.empty() || key == chosen) {
      folders << QString::fromStdString(folder->folder);
    }
  }
  const int before = inputs_->count();
  AddFolders(folders);
  findNote_->setText(FoundNote(*root, found->folders.size(), inputs_->count() - before));
}

void GatherWindow::RemoveSelected() {
  for (QListWidgetItem* item : inputs_->selectedItems()) delete item;
  UpdateStates();
}

void GatherWindow::ChooseOutput() {
  if (const std::optional<QString> folder = chooser_.ChooseFolder(this, output_->text())) {
    output_->setText(*folder);
  }
}

void GatherWindow::UpdateStates() {
  remove_->setEnabled(!inputs_->selectedItems().isEmpty());
  run_->setEnabled(inputs_->count() >= 2 && !output_->text().trimmed().isEmpty());
}

void GatherWindow::Gather() {
  GatherRequest request;
  for (const QString& folder : Inputs()) request.inputs.push_back(folder.toStdString());
  request.output = output_->text().trimmed().toStdString();
  request.dryRun = dryRun_->isChecked();
  request.findEchoes = findEchoes_;
  // Two people's histories of one contact would become one: only when the user says so.
  if (const std::vector<FolderAccount> mixed = MixedAccounts(request.inputs);
      !mixed.empty() && !messages_.Ask(this, FromUtf8(MixedAccountsWindowText(mixed)))) {
    return;
  }
  StopFlag stop;
  request.stop = &stop;
  JobProgressDialog progress(stop, this);
  ProgressRelay relay(progress);
  const JobResult result =
      RunOffGuiThread(progress, [&request, &relay] { return RunGatherJob(request, relay); });
  if (result.refusal) {
    messages_.Show(this, FromUtf8(RefusalText(*result.refusal)));
    return;
  }
  messages_.ShowResults(this, result.report);
}

}  // namespace palvarin

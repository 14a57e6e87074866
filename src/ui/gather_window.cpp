#include "gather_window.hpp"

#include <QCheckBox>
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
#include "dialog_strings.hpp"
#include "job/run_gather_job.hpp"
#include "job_progress_dialog.hpp"
#include "message_presenter.hpp"
#include "path_chooser.hpp"
#include "progress_run.hpp"

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

}  // namespace

GatherWindow::GatherWindow(MessagePresenter& messages, PathChooser& chooser, QWidget* parent)
    : QDialog(parent), messages_(messages), chooser_(chooser) {
  setObjectName(QStringLiteral("gatherWindow"));
  setWindowTitle(QTr("Gather copies"));
  setAcceptDrops(true);
  inputs_ = Make<QListWidget>(this, "gatherInputList");
  inputs_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  auto* add = Make<QPushButton>(this, "gatherAddButton", QTr("Add..."));
  remove_ = Make<QPushButton>(this, "gatherRemoveButton", QTr("Remove"));
  output_ = Make<QLineEdit>(this, "gatherOutputEdit");
  auto* browse = Make<QPushButton>(this, "gatherOutputBrowse", QStringLiteral("..."));
  dryRun_ = Make<QCheckBox>(this, "gatherDryRunCheck", QTr("Dry run: write nothing"));
  run_ = Make<QPushButton>(this, "gatherRunButton", QTr("Gather"));
  run_->setDefault(true);
  auto* close = Make<QPushButton>(this, "gatherCloseButton", QTr("Close"));
  close->setAutoDefault(false);

  auto* listButtons = new QVBoxLayout;
  listButtons->addWidget(add);
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
  layout->addWidget(new QLabel(QTr("Gather into the folder:"), this));
  layout->addLayout(outputRow);
  layout->addLayout(buttons);

  connect(add, &QPushButton::clicked, this, [this] { ChooseInput(); });
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

#include "ui/shared/path_chooser.hpp"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>

#include "files/split_path.hpp"
#include "ui/shared/dialog_strings.hpp"

namespace palvarin {
namespace {

std::optional<QString> RunChooser(QFileDialog& dialog) {
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().constFirst();
}

}  // namespace

void ConfigureFilePicker(QFileDialog& dialog, const QString& current) {
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setDefaultSuffix(QStringLiteral("xml"));
  dialog.setNameFilter(HistoryFileFilter());
  const PathParts parts = SplitPath(current.toStdString());
  if (!parts.folder.empty()) dialog.setDirectory(QString::fromStdString(parts.folder));
  dialog.selectFile(QString::fromStdString(parts.name));
}

void ConfigureFolderBrowser(QFileDialog& dialog, const QString& current) {
  dialog.setWindowTitle(FolderBrowserTitle());
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::Directory);
  dialog.setOption(QFileDialog::ShowDirsOnly);
  if (current.isEmpty()) return;
  // Open the parent with the folder itself selected, as a tree browser shows it.
  const QFileInfo folder(QDir::cleanPath(current));
  dialog.setDirectory(folder.absolutePath());
  dialog.selectFile(folder.fileName());
}

std::optional<QString> DialogPathChooser::ChooseFile(QWidget* parent, const QString& current) {
  QFileDialog dialog(parent);
  ConfigureFilePicker(dialog, current);
  return RunChooser(dialog);
}

std::optional<QString> DialogPathChooser::ChooseFolder(QWidget* parent, const QString& current) {
  QFileDialog dialog(parent);
  ConfigureFolderBrowser(dialog, current);
  return RunChooser(dialog);
}

std::optional<QString> DialogPathChooser::ChooseAccount(QWidget* parent,
                                                        const QStringList& accounts) {
  bool chosen = false;
  const QString account = QInputDialog::getItem(
      parent, QTr("Palvarin - Which account?"),
      QTr("The copies found belong to different accounts. Gather one account at a time; add "
          "the copies of:"),
      accounts, 0, false, &chosen);
  if (!chosen) return std::nullopt;
  return account;
}

}  // namespace palvarin

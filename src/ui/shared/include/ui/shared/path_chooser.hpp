#pragma once

#include <QString>
#include <QStringList>
#include <optional>

class QFileDialog;
class QWidget;

namespace palvarin {

// Lets the user pick a history file or a folder; tests answer instead of the user.
class PathChooser {
 public:
  virtual ~PathChooser() = default;
  // A file, starting from `current`; none when cancelled. The name need not exist yet.
  virtual std::optional<QString> ChooseFile(QWidget* parent, const QString& current) = 0;
  // A folder, with `current` preselected; none when cancelled.
  virtual std::optional<QString> ChooseFolder(QWidget* parent, const QString& current) = 0;
  // One of `accounts` (two or more), whose copies to take; none when cancelled.
  virtual std::optional<QString> ChooseAccount(QWidget* parent, const QStringList& accounts) = 0;
};

// The file picker: open mode that takes names that do not exist yet, default suffix "xml",
// the history-file filter, starting in the folder of `current` with its name filled in.
void ConfigureFilePicker(QFileDialog& dialog, const QString& current);

// The folder browser: folders only, its title, `current` preselected when it is not empty.
void ConfigureFolderBrowser(QFileDialog& dialog, const QString& current);

// Asks through modal QFileDialogs set up by the two functions above.
class DialogPathChooser : public PathChooser {
 public:
  std::optional<QString> ChooseFile(QWidget* parent, const QString& current) override;
  std::optional<QString> ChooseFolder(QWidget* parent, const QString& current) override;
  std::optional<QString> ChooseAccount(QWidget* parent, const QStringList& accounts) override;
};

}  // namespace palvarin

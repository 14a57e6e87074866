#pragma once

#include <QDialog>
#include <QStringList>

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace palvarin {

class MessagePresenter;
class PathChooser;

// The window of "Gather copies...": the folders that hold copies of the histories (added by
// the folder browser, dropped on the window, or found under a folder the user picks, removed
// by selection), the folder they are gathered into, and the job, run off the GUI thread with
// the progress window, Cancel and a dry run, its results shown as a merge's are. Only existing
// folders are taken into the list, each once.
// Object names: "gatherWindow", "gatherInputList", "gatherAddButton", "findCopiesButton",
// "gatherRemoveButton", "gatherFindNote", "gatherOutputEdit", "gatherOutputBrowse",
// "gatherDryRunCheck", "gatherRunButton", "gatherCloseButton".
class GatherWindow : public QDialog {
 public:
  // `findEchoes`: what the main dialog's check box says, for the gather's merges.
  GatherWindow(MessagePresenter& messages, PathChooser& chooser, bool findEchoes,
               QWidget* parent = nullptr);

  // Adds those of `folders` that are existing folders the list does not hold yet.
  void AddFolders(const QStringList& folders);
  // The folders of the list, in its order.
  QStringList Inputs() const;

 protected:
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void ChooseInput();
  // Walks a folder the user picks for history folders, off the GUI thread with Cancel, and
  // adds those found outside the output folder; a cancelled walk adds nothing.
  void FindCopies();
  void RemoveSelected();
  void ChooseOutput();
  void UpdateStates();
  void Gather();

  MessagePresenter& messages_;
  PathChooser& chooser_;
  QListWidget* inputs_;
  QPushButton* remove_;
  QLabel* findNote_;
  QString findRoot_;  // the folder last walked, where the next walk starts choosing
  QLineEdit* output_;
  QCheckBox* dryRun_;
  QPushButton* run_;
  bool findEchoes_;
};

}  // namespace palvarin

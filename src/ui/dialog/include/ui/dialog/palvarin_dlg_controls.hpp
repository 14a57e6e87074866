#pragma once

class QDialog;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QCheckBox;

namespace palvarin {

// The controls of the main dialog, each with its member's name as its object name (tests find
// them by it; the groups and extra labels are named where they are made), in tab order; the
// radio buttons are reached by their mnemonics, not by Tab.
struct PalvarinDlgControls {
  QRadioButton* folderRadio;
  QRadioButton* fileRadio;
  QGroupBox* pathsGroup;
  QLabel* path1Label;
  QLineEdit* path1Edit;
  QPushButton* path1Browse;
  QLabel* path2Label;
  QLineEdit* path2Edit;
  QPushButton* path2Browse;
  QRadioButton* otherOutputRadio;
  QRadioButton* overwriteRadio;
  QLabel* pathSaveLabel;
  QLineEdit* pathSaveEdit;
  QPushButton* pathSaveBrowse;
  QCheckBox* backupCheck;
  QLabel* backupMaxLabel;
  QLineEdit* backupMaxEdit;
  QLabel* backupMaxNote;
  QCheckBox* skipUnchangedCheck;
  QCheckBox* ignoreOldMergeCheck;
  QCheckBox* findEchoesCheck;  // stored as "FindEchoes"; off is --keep-echoes
  QPushButton* okButton;
  QPushButton* cancelButton;
  QPushButton* helpButton;
  QPushButton* gatherButton;  // opens the gather window
  QPushButton* readButton;
};

// Creates the controls with their fixed texts inside `dialog`, lays them out and sets the
// tab order. The texts that follow the input kind are left for the dialog to set.
PalvarinDlgControls BuildPalvarinDlgControls(QDialog& dialog);

}  // namespace palvarin

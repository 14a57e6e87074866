#pragma once

class QDialog;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QCheckBox;

namespace palvarin {

// The controls of the main dialog. The object names, in tab order (the radio buttons are
// reached by their mnemonics, not by Tab):
//   input kind:   "inputGroup", "folderRadio", "fileRadio"
//   inputs:       "pathsGroup", "path1Label", "path1Edit", "path1Browse",
//                 "path2Label", "path2Edit", "path2Browse"
//   output:       "outputGroup", "otherOutputRadio", "overwriteRadio", "pathSaveLabel",
//                 "pathSaveEdit", "pathSaveBrowse", "backupCheck", "backupMaxLabel",
//                 "backupMaxEdit", "backupMaxNote"
//   rules:        "rulesGroup", "skipUnchangedCheck", "ignoreOldMergeCheck",
//                 "ignoreOldMergeLabel" (second line of the check box's text)
//   about:        see MakeAboutGroup
//   buttons:      "okButton" (default), "cancelButton"
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
  QPushButton* okButton;
  QPushButton* cancelButton;
};

// Creates the controls with their fixed texts inside `dialog`, lays them out and sets the
// tab order. The texts that follow the input kind are left for the dialog to set.
PalvarinDlgControls BuildPalvarinDlgControls(QDialog& dialog);

}  // namespace palvarin

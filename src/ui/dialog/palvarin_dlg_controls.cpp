#include "ui/dialog/palvarin_dlg_controls.hpp"

#include <QCheckBox>
#include <QDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "about_group.hpp"
#include "ui/shared/dialog_strings.hpp"

namespace palvarin {
namespace {

// Indentation of the controls that belong to an output radio button or a check box.
constexpr int kIndent = 18;

template <typename Widget>
Widget* Make(QWidget* parent, const char* name, const QString& text = {}) {
  auto* widget = new Widget(text, parent);
  widget->setObjectName(QString::fromLatin1(name));
  return widget;
}

QGroupBox* MakeGroup(QWidget* parent, const char* name, const QString& title) {
  return Make<QGroupBox>(parent, name, title);
}

// A label whose mnemonic leads to `buddy`.
QLabel* MakeBuddyLabel(QWidget* parent, const char* name, const QString& text, QWidget* buddy) {
  QLabel* label = Make<QLabel>(parent, name, text);
  label->setBuddy(buddy);
  return label;
}

QLineEdit* MakeEdit(QWidget* parent, const char* name) {
  auto* edit = new QLineEdit(parent);
  edit->setObjectName(QString::fromLatin1(name));
  return edit;
}

QPushButton* MakeBrowse(QWidget* parent, const char* name) {
  QPushButton* button = Make<QPushButton>(parent, name, QStringLiteral("..."));
  button->setAutoDefault(false);
  button->setFixedWidth(button->fontMetrics().horizontalAdvance(QStringLiteral("...")) + 16);
  return button;
}

// Radio buttons are reached by their mnemonics and the arrow keys, not by Tab.
QRadioButton* MakeRadio(QWidget* parent, const char* name, const QString& text) {
  QRadioButton* radio = Make<QRadioButton>(parent, name, text);
  radio->setFocusPolicy(Qt::ClickFocus);
  return radio;
}

QGroupBox* BuildInputGroup(QWidget* parent, PalvarinDlgControls& c) {
  QGroupBox* group = MakeGroup(parent, "inputGroup", QTr("Inputs"));
  c.folderRadio = MakeRadio(group, "folderRadio", QTr("Fol&ders"));
  c.fileRadio = MakeRadio(group, "fileRadio", QTr("&Files"));
  auto* layout = new QVBoxLayout(group);
  layout->addWidget(c.folderRadio);
  layout->addWidget(c.fileRadio);
  return group;
}

// One input row: label, edit, browse button.
void AddPathRow(QGridLayout* grid, int row, QLabel* label, QLineEdit* edit, QPushButton* browse) {
  grid->addWidget(label, row, 0);
  grid->addWidget(edit, row, 1);
  grid->addWidget(browse, row, 2);
}

QGroupBox* BuildPathsGroup(QWidget* parent, PalvarinDlgControls& c) {
  c.pathsGroup = MakeGroup(parent, "pathsGroup", {});
  c.path1Edit = MakeEdit(c.pathsGroup, "path1Edit");
  c.path1Browse = MakeBrowse(c.pathsGroup, "path1Browse");
  c.path1Label = MakeBuddyLabel(c.pathsGroup, "path1Label", {}, c.path1Edit);
  c.path2Edit = MakeEdit(c.pathsGroup, "path2Edit");
  c.path2Browse = MakeBrowse(c.pathsGroup, "path2Browse");
  c.path2Label = MakeBuddyLabel(c.pathsGroup, "path2Label", {}, c.path2Edit);
  auto* grid = new QGridLayout(c.pathsGroup);
  AddPathRow(grid, 0, c.path1Label, c.path1Edit, c.path1Browse);
  AddPathRow(grid, 1, c.path2Label, c.path2Edit, c.path2Browse);
  return c.pathsGroup;
}

QGridLayout* IndentedGrid(int indent) {
  auto* grid = new QGridLayout;
  grid->setContentsMargins(indent, 0, 0, 0);
  return grid;
}

QGroupBox* BuildOutputGroup(QWidget* parent, PalvarinDlgControls& c) {
  QGroupBox* group = MakeGroup(parent, "outputGroup", QTr("Output"));
  c.otherOutputRadio = MakeRadio(group, "otherOutputRadio", {});
  c.overwriteRadio = MakeRadio(group, "overwriteRadio", QTr("Over&write the inputs"));
  c.pathSaveEdit = MakeEdit(group, "pathSaveEdit");
  c.pathSaveBrowse = MakeBrowse(group, "pathSaveBrowse");
  c.pathSaveLabel = MakeBuddyLabel(group, "pathSaveLabel", QTr("&Save to"), c.pathSaveEdit);
  c.backupCheck = Make<QCheckBox>(group, "backupCheck", QTr("&Back up the inputs first"));
  c.backupMaxEdit = MakeEdit(group, "backupMaxEdit");
  c.backupMaxEdit->setFixedWidth(c.backupMaxEdit->fontMetrics().horizontalAdvance('0') * 8);
  c.backupMaxLabel =
      MakeBuddyLabel(group, "backupMaxLabel", QTr("&Most backups kept"), c.backupMaxEdit);
  c.backupMaxNote =
      Make<QLabel>(group, "backupMaxNote",
                   QTr("* Beyond this number the oldest are deleted. 0: none are deleted."));

  QGridLayout* save = IndentedGrid(kIndent);
  AddPathRow(save, 0, c.pathSaveLabel, c.pathSaveEdit, c.pathSaveBrowse);
  QGridLayout* maximum = IndentedGrid(2 * kIndent);
  maximum->addWidget(c.backupMaxLabel, 0, 0);
  maximum->addWidget(c.backupMaxEdit, 0, 1, Qt::AlignLeft);
  maximum->addWidget(c.backupMaxNote, 1, 0, 1, 2);
  maximum->setColumnStretch(1, 1);
  QGridLayout* backup = IndentedGrid(kIndent);
  backup->addWidget(c.backupCheck, 0, 0);

  auto* layout = new QVBoxLayout(group);
  layout->addWidget(c.otherOutputRadio);
  layout->addLayout(save);
  layout->addWidget(c.overwriteRadio);
  layout->addLayout(backup);
  layout->addLayout(maximum);
  return group;
}

QGroupBox* BuildRulesGroup(QWidget* parent, PalvarinDlgControls& c) {
  QGroupBox* group = MakeGroup(parent, "rulesGroup", QTr("Other settings"));
  c.skipUnchangedCheck =
      Make<QCheckBox>(group, "skipUnchangedCheck",
                      QTr("S&kip a pair whose files have the same size and last-write time"));
  c.ignoreOldMergeCheck = Make<QCheckBox>(
      group, "ignoreOldMergeCheck",
      QTr("When one file holds messages older than the last merge that the other lacks,"));
  // The check box's text goes on in a label of its own, which carries the mnemonic.
  QLabel* secondLine =
      MakeBuddyLabel(group, "ignoreOldMergeLabel",
                     QTr("take them as archived there and le&ave them out of the merged "
                         "file"),
                     c.ignoreOldMergeCheck);
  c.findEchoesCheck = Make<QCheckBox>(
      group, "findEchoesCheck",
      QTr("Write once what two PCs signed in at once both logged, &each on its own clock"));
  auto* layout = new QVBoxLayout(group);
  layout->addWidget(c.skipUnchangedCheck);
  layout->addWidget(c.ignoreOldMergeCheck);
  QGridLayout* indented = IndentedGrid(kIndent);
  indented->addWidget(secondLine, 0, 0);
  layout->addLayout(indented);
  layout->addWidget(c.findEchoesCheck);
  return group;
}

QVBoxLayout* BuildButtons(QWidget* parent, PalvarinDlgControls& c) {
  c.okButton = Make<QPushButton>(parent, "okButton", QStringLiteral("OK"));
  c.okButton->setDefault(true);
  c.cancelButton = Make<QPushButton>(parent, "cancelButton", QTr("Cancel"));
  c.cancelButton->setAutoDefault(false);
  c.helpButton = Make<QPushButton>(parent, "helpButton", HelpButtonText());
  c.helpButton->setAutoDefault(false);
  c.helpButton->setAccessibleName(HelpButtonName());
  c.helpButton->setToolTip(HelpButtonTip());
  c.gatherButton = Make<QPushButton>(parent, "gatherButton", QTr("Gather copies..."));
  c.gatherButton->setAutoDefault(false);
  c.readButton = Make<QPushButton>(parent, "readButton", QTr("&Read histories..."));
  c.readButton->setAutoDefault(false);
  c.readButton->setAccessibleName(QTr("Read histories"));
  c.readButton->setToolTip(QTr("Open the reader window on the first input"));
  auto* layout = new QVBoxLayout;
  layout->addWidget(c.okButton);
  layout->addWidget(c.cancelButton);
  layout->addWidget(c.helpButton);
  layout->addWidget(c.gatherButton);
  layout->addWidget(c.readButton);
  layout->addStretch();
  return layout;
}

void SetTabOrder(const PalvarinDlgControls& c) {
  QWidget* const order[] = {
      c.path1Edit,          c.path1Browse,         c.path2Edit,       c.path2Browse,
      c.pathSaveEdit,       c.pathSaveBrowse,      c.backupCheck,     c.backupMaxEdit,
      c.skipUnchangedCheck, c.ignoreOldMergeCheck, c.findEchoesCheck, c.okButton,
      c.cancelButton,       c.helpButton,          c.gatherButton,    c.readButton};
  for (std::size_t i = 1; i < std::size(order); ++i) {
    QWidget::setTabOrder(order[i - 1], order[i]);
  }
}

}  // namespace

PalvarinDlgControls BuildPalvarinDlgControls(QDialog& dialog) {
  PalvarinDlgControls c{};
  auto* top = new QHBoxLayout;
  top->addWidget(BuildInputGroup(&dialog, c));
  top->addStretch();
  top->addLayout(BuildButtons(&dialog, c));

  auto* layout = new QVBoxLayout(&dialog);
  layout->addLayout(top);
  layout->addWidget(BuildPathsGroup(&dialog, c));
  layout->addWidget(BuildOutputGroup(&dialog, c));
  layout->addWidget(BuildRulesGroup(&dialog, c));
  layout->addWidget(MakeAboutGroup(&dialog));
  SetTabOrder(c);
  return c;
}

}  // namespace palvarin

#pragma once

#include <QString>
#include <string_view>

#include "app/message_text.hpp"
#include "state/merge_settings.hpp"
#include "texts/catalogue.hpp"

namespace palvarin {

// UTF-8 text of the core as a QString.
inline QString FromUtf8(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The text for `english` in the language in use (a literal: see Tr).
inline QString QTr(std::string_view english) { return FromUtf8(Tr(english)); }

// The text of one of the program's messages.
inline QString MessageQText(MessageId id) { return FromUtf8(MessageText(id)); }

// The four texts of the main dialog that follow the input kind.
struct InTargetTexts {
  QString pathsGroup;
  QString path1Label;
  QString path2Label;
  QString otherOutputRadio;
};

// The texts for folders or for files.
InTargetTexts TextsFor(InTarget kind);

// Filter of the file picker, in Qt's form.
QString HistoryFileFilter();

// Title of the folder browser.
QString FolderBrowserTitle();

// Shown when the backup maximum is no whole number from 0 to 100.
QString BackupMaxRangeMessage();

// Shown while a job waits for another Palvarin job to let go of its files.
QString WaitingForOtherJobText();

// Texts of the progress window and of the results window after a job.
QString ProgressWindowTitle();
QString ProgressCancelLabel();
QString ResultsWindowTitle(bool gather);
// The results window's export button, and the title of the folder dialog it opens.
QString ExportButtonText();

// Said when no browser could open the exported `index`, and the button that copies its path.
QString IndexNotOpenedText(const QString& index);
QString CopyPathButtonText();
QString ExportFolderTitle();
QString ResultsColumnOutcome();
QString ResultsColumnInput(bool gather);
QString ResultsColumnSecondInput();
QString ResultsColumnOutput();
QString ResultsColumnDetail();
// What the pane under the results list is, for screen readers.
QString ResultsDetailsName();

// The main dialog's help button, its name for screen readers and its tooltip.
QString HelpButtonText();
QString HelpButtonName();
QString HelpButtonTip();

// Added to the end message when `pairs` pairs and `copies` copies failed (not both 0).
QString FailedItemsNote(int pairs, int copies);
// Added to the end message of a stopped job: how many pairs and copies it did not start.
QString StoppedJobNote(int pairs, int copies);

// How many entries the archive rule left out of the merged histories.
QString ArchivedEntriesNote(int count);

}  // namespace palvarin

#include "dialog_strings.hpp"

namespace palvarin {

InTargetTexts TextsFor(InTarget kind) {
  if (kind == InTarget::File) {
    return {QTr("MSN Messenger files to merge"), QTr("File &1"), QTr("File &2"),
            QTr("&Output to another file")};
  }
  return {QTr("MSN Messenger folders to merge"), QTr("Folder &1"), QTr("Folder &2"),
          QTr("&Output to another folder")};
}

QString HistoryFileFilter() { return QTr("MSN Messenger history files (*.xml);;All files (*)"); }

QString FolderBrowserTitle() { return QTr("Choose a folder"); }

QString BackupMaxRangeMessage() {
  return QTr("Enter a whole number from 0 to 100 as the most backups kept.");
}

QString WaitingForOtherJobText() { return QTr("Waiting for another Palvarin job to finish…"); }

QString ProgressWindowTitle() { return QTr("Palvarin - Merging"); }

QString ProgressCancelLabel() { return QTr("Cancel"); }

QString ResultsWindowTitle() { return QTr("Palvarin - Merge results"); }

QString ResultsColumnOutcome() { return QTr("Result"); }

QString ResultsColumnFiles() { return QTr("Files"); }

QString ResultsColumnDetail() { return QTr("Details"); }

QString ArchivedEntriesNote(int count) {
  const std::string number = std::to_string(count);
  return FromUtf8(Format(TrN("The archive rule left out {0} entry that one side deleted after "
                             "the last merge.",
                             "The archive rule left out {0} entries that one side deleted after "
                             "the last merge.",
                             static_cast<unsigned long>(count < 0 ? 0 : count)),
                         {number}));
}

}  // namespace palvarin

#include "ui/shared/dialog_strings.hpp"

#include <algorithm>

#include "texts/progress_text.hpp"

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

QString ResultsWindowTitle(bool gather) {
  return gather ? QTr("Palvarin - Gather results") : QTr("Palvarin - Merge results");
}
QString ExportButtonText() { return QTr("Export to HTML and open"); }

QString IndexNotOpenedText(const QString& index) {
  return QTr("No browser could be started to open the index. It is here:").append(u'\n') + index;
}

QString CopyPathButtonText() { return QTr("Copy path"); }
QString ExportFolderTitle() { return QTr("Choose the folder for the exported pages"); }

QString ResultsColumnOutcome() { return QTr("Result"); }

QString ResultsColumnInput(bool gather) { return gather ? QTr("Copy") : QTr("Input"); }

QString ResultsColumnSecondInput() { return QTr("Second input"); }

QString ResultsColumnOutput() { return QTr("Output"); }

QString ResultsColumnDetail() { return QTr("Details"); }

QString ResultsDetailsName() { return QTr("Details of the selected row"); }

QString HelpButtonText() { return QTr("&Help"); }

QString HelpButtonName() { return QTr("Help"); }

QString HelpButtonTip() { return QTr("Show the command-line help (F1)"); }

namespace {

// "2 pairs", "1 copy" or "2 pairs and 1 copy": the counts that are not 0.
std::string PairsAndCopies(int pairs, int copies) {
  const auto pairCount = static_cast<unsigned long>(std::max(pairs, 0));
  const auto copyCount = static_cast<unsigned long>(std::max(copies, 0));
  const std::string pairText =
      Format(TrN("{0} pair", "{0} pairs", pairCount), {FormatCount(pairCount)});
  const std::string copyText =
      Format(TrN("{0} copy", "{0} copies", copyCount), {FormatCount(copyCount)});
  if (copyCount == 0) return pairText;
  if (pairCount == 0) return copyText;
  return Format(Tr("{0} and {1}"), {pairText, copyText});
}

}  // namespace

QString FailedItemsNote(int pairs, int copies) {
  return FromUtf8(
      Format(Tr("{0} failed. The results window shows why."), {PairsAndCopies(pairs, copies)}));
}

QString StoppedJobNote(int pairs, int copies) {
  const int notStarted = std::max(pairs, 0) + std::max(copies, 0);
  if (notStarted == 0) {
    return QTr("The job was stopped after every pair and copy had started, so all of them ran.");
  }
  return FromUtf8(Format(TrN("The job was stopped before it was done: {0} was not started and "
                             "was left untouched.",
                             "The job was stopped before it was done: {0} were not started and "
                             "were left untouched.",
                             static_cast<unsigned long>(notStarted)),
                         {PairsAndCopies(pairs, copies)}));
}

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

#pragma once

#include <QString>
#include <string_view>

#include "texts/string_table.hpp"
#include "state/merge_settings.hpp"

namespace palvarin {

// UTF-8 text of the core as a QString.
inline QString FromUtf8(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The text of one of the program's messages.
inline QString MessageQText(MessageId id) { return FromUtf8(MessageText(id)); }

// The four texts of the main dialog that follow the input kind (strings 129 to 136).
struct InTargetTexts {
  QString pathsGroup;
  QString path1Label;
  QString path2Label;
  QString otherOutputRadio;
};

// The texts for folders or for files.
InTargetTexts TextsFor(InTarget kind);

// Filter of the file picker (string 150), in Qt's form.
QString HistoryFileFilter();

// Title of the folder browser.
QString FolderBrowserTitle();

// Shown when the backup maximum is no whole number from 0 to 100.
QString BackupMaxRangeMessage();

// Shown while a job waits for another Palvarin job to let go of its files.
QString WaitingForOtherJobText();

// How many entries the archive rule left out of the merged histories.
QString ArchivedEntriesNote(int count);

}  // namespace palvarin

#pragma once

#include <QString>
#include <QUrl>
#include <functional>
#include <string>
#include <vector>

class QWidget;

namespace palvarin {

// How a window asks for the export's folder and opens its index: a folder dialog and the
// desktop's browser unless a test puts something else in.
struct ExportAndOpen {
  std::function<QString(QWidget* parent)> chooseFolder;  // empty: the user cancelled
  std::function<bool(const QUrl& page)> open;
};
ExportAndOpen DesktopExportAndOpen();

// Exports `inputs` (history files and folders) to HTML in a folder the user picks, off the GUI
// thread with a progress window over `parent`, and opens the index when it was written.
// Returns how it went, in lines for a label; empty when the user chose no folder.
QString ExportHistoriesAndOpen(QWidget* parent, const std::vector<std::string>& inputs,
                               const ExportAndOpen& exportAndOpen);

}  // namespace palvarin

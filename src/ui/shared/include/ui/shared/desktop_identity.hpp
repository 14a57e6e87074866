#pragma once

#include <QIcon>
#include <QString>

namespace palvarin {

// The program's icon, drawn in SVG and built into the program.
QIcon ApplicationIcon();

// Gives the running QApplication the icon every window shows and the desktop entry that
// desktops match its windows with.
void SetUpApplicationIdentity();

// The README the dialog links to, for a program in `applicationDir`: the installed one
// (<prefix>/share/doc/palvarin/README.md beside <prefix>/bin), else, for a program run from a
// build folder, the README.md beside a CMakeLists.txt in a folder above it; empty when neither.
QString FindReadme(const QString& applicationDir);

}  // namespace palvarin

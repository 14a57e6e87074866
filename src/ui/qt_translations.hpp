#pragma once

class QCoreApplication;

namespace palvarin {

// Qt's own texts (the file dialog, standard buttons) in the language of the program's texts,
// from Qt's installed translations. Does nothing for English or when Qt has none.
// Returns whether a translation was installed.
bool InstallQtTranslations(QCoreApplication& application);

}  // namespace palvarin

#include "qt_translations.hpp"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include "texts/catalogue.hpp"

namespace palvarin {

bool InstallQtTranslations(QCoreApplication& application) {
  const std::string& language = TextLanguage();
  if (language == "en") return false;
  // Owned by the application, which outlives every window.
  auto* translator = new QTranslator(&application);
  const QString name = QStringLiteral("qtbase_") + QString::fromStdString(language);
  if (!translator->load(name, QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    delete translator;
    return false;
  }
  return QCoreApplication::installTranslator(translator);
}

}  // namespace palvarin

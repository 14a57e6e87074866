#include "qt_translations.hpp"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include "texts/catalogue.hpp"

namespace palvarin {
namespace {

// Qt 6 asks for the file type words of its file dialogs ("Folder" in the Type column, "Drive")
// under QAbstractFileIconProvider, which Qt's catalogues may not have yet; the same words are
// there under QFileDialog, where Qt 5 asked for them.
class FileTypeWords final : public QTranslator {
 public:
  FileTypeWords(const QTranslator& qt, QObject* parent) : QTranslator(parent), qt_(qt) {}

  QString translate(const char* context, const char* source, const char* disambiguation,
                    int n) const override {
    if (qstrcmp(context, "QAbstractFileIconProvider") != 0) return {};
    return qt_.translate("QFileDialog", source, disambiguation, n);
  }
  bool isEmpty() const override { return false; }

 private:
  const QTranslator& qt_;
};

}  // namespace

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
  // Installed first, so that Qt's own catalogue, should it have the words, is asked first.
  QCoreApplication::installTranslator(new FileTypeWords(*translator, &application));
  return QCoreApplication::installTranslator(translator);
}

}  // namespace palvarin

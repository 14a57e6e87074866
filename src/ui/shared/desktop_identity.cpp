#include "ui/shared/desktop_identity.hpp"

#include <QApplication>
#include <QDir>
#include <QFileInfo>

namespace palvarin {

QIcon ApplicationIcon() { return QIcon(QStringLiteral(":/palvarin/icon.svg")); }

void SetUpApplicationIdentity() {
  QApplication::setWindowIcon(ApplicationIcon());
  QGuiApplication::setDesktopFileName(QStringLiteral(PALVARIN_APP_ID));
}

QString FindReadme(const QString& applicationDir) {
  QDir folder(applicationDir);
  const QFileInfo installed(folder.filePath(QStringLiteral("../share/doc/palvarin/README.md")));
  if (installed.isFile()) return installed.canonicalFilePath();
  // Nothing about the build machine is built in: the source tree is found from where the
  // program runs, which is below it for every preset.
  do {
    const QFileInfo readme(folder.filePath(QStringLiteral("README.md")));
    if (readme.isFile() && QFileInfo(folder.filePath(QStringLiteral("CMakeLists.txt"))).isFile()) {
      return readme.canonicalFilePath();
    }
  } while (folder.cdUp());
  return {};
}

}  // namespace palvarin

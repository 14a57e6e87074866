#include "about_group.hpp"

#include <QCoreApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QUrl>

#include "ui/shared/desktop_identity.hpp"
#include "ui/shared/dialog_strings.hpp"

namespace palvarin {
namespace {

// Shown where the project has no such thing.
QString NoneText() { return QTr("none"); }

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(QString::fromLatin1(name));
  return label;
}

// A link to the installed README, or to the source tree's when run from a build folder.
QString WebLinkText() {
  const QString readme = FindReadme(QCoreApplication::applicationDirPath());
  if (readme.isEmpty()) return NoneText();
  const QString target = QUrl::fromLocalFile(readme).toString();
  return QStringLiteral("<a href=\"%1\">README.md</a>").arg(target.toHtmlEscaped());
}

}  // namespace

QGroupBox* MakeAboutGroup(QWidget* parent) {
  auto* group = new QGroupBox(QTr("About"), parent);
  group->setObjectName(QStringLiteral("aboutGroup"));
  auto* grid = new QGridLayout(group);

  grid->addWidget(MakeLabel(group, "aboutTitleLabel", QStringLiteral("Palvarin Version1.1")), 0, 0,
                  1, 2);
  grid->addWidget(MakeLabel(group, "aboutOwnerLabel", QTr("Copyright (C) the Palvarin developers")),
                  1, 0, 1, 2);

  grid->addWidget(MakeLabel(group, "mailCaption", QStringLiteral("mail")), 2, 0);
  QLabel* mail = MakeLabel(group, "mailLink", NoneText());
  mail->setTextFormat(Qt::PlainText);
  grid->addWidget(mail, 2, 1);

  grid->addWidget(MakeLabel(group, "webCaption", QStringLiteral("www")), 3, 0);
  QLabel* web = MakeLabel(group, "webLink", WebLinkText());
  web->setTextFormat(Qt::RichText);
  // Qt opens the link with QDesktopServices::openUrl; a failing launch is not reported.
  web->setOpenExternalLinks(true);
  web->setTextInteractionFlags(Qt::LinksAccessibleByMouse);
  grid->addWidget(web, 3, 1);
  grid->setColumnStretch(1, 1);
  return group;
}

}  // namespace palvarin

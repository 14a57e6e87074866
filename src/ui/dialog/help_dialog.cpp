#include "ui/dialog/help_dialog.hpp"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QVBoxLayout>
#include <algorithm>

#include "texts/help_text.hpp"
#include "ui/shared/dialog_strings.hpp"

namespace palvarin {

HelpDialog::HelpDialog(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("helpDialog"));
  setWindowTitle(QTr("Help"));

  // The blocks stack without gaps so that they read as one text, and scroll together with the
  // long switches where the screen is too low for all of it.
  auto* text = new QWidget;
  auto* blocks = new QVBoxLayout(text);
  blocks->setContentsMargins(0, 0, 0, 0);
  blocks->setSpacing(0);
  int number = 0;
  for (std::string_view block : HelpBlocks()) {
    auto* label = new QLabel(text);
    label->setObjectName(QStringLiteral("helpBlock%1").arg(++number));
    label->setTextFormat(Qt::PlainText);
    label->setText(FromUtf8(ShownHelpBlock(block)));
    blocks->addWidget(label);
  }
  // The long switches line up in columns, as on the terminal.
  auto* longSwitches = new QLabel(text);
  longSwitches->setObjectName(QStringLiteral("helpLongSwitches"));
  longSwitches->setTextFormat(Qt::PlainText);
  longSwitches->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  longSwitches->setText(FromUtf8(LongSwitchHelp()));
  blocks->addSpacing(longSwitches->fontMetrics().height());
  blocks->addWidget(longSwitches);
  blocks->addStretch();

  auto* scroll = new QScrollArea(this);
  scroll->setFrameShape(QFrame::NoFrame);
  scroll->setWidget(text);
  scroll->setWidgetResizable(true);

  auto* ok = new QPushButton(QStringLiteral("OK"), this);
  ok->setObjectName(QStringLiteral("okButton"));
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);

  auto* layout = new QHBoxLayout(this);
  layout->addWidget(scroll, 1);
  layout->addWidget(ok, 0, Qt::AlignTop);

  // The whole text where the screen has room for it.
  const QScreen* screen = QGuiApplication::primaryScreen();
  const QRect area = screen != nullptr ? screen->availableGeometry() : QRect(0, 0, 800, 600);
  const QSize wanted = text->sizeHint() + QSize(ok->sizeHint().width() + 40, 30);
  resize(std::min(wanted.width(), area.width() - 40),
         std::min(wanted.height(), area.height() - 60));
}

}  // namespace palvarin

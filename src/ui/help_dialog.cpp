#include "help_dialog.hpp"

#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "dialog_strings.hpp"
#include "texts/help_text.hpp"

namespace palvarin {

HelpDialog::HelpDialog(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("helpDialog"));
  setWindowTitle(QTr("Help"));

  // The blocks stack without gaps so that they read as one text.
  auto* blocks = new QVBoxLayout;
  blocks->setSpacing(0);
  int number = 0;
  for (std::string_view block : HelpBlocks()) {
    auto* label = new QLabel(this);
    label->setObjectName(QStringLiteral("helpBlock%1").arg(++number));
    label->setTextFormat(Qt::PlainText);
    label->setText(FromUtf8(ShownHelpBlock(block)));
    blocks->addWidget(label);
  }
  // The long switches line up in columns, as on the terminal.
  auto* longSwitches = new QLabel(this);
  longSwitches->setObjectName(QStringLiteral("helpLongSwitches"));
  longSwitches->setTextFormat(Qt::PlainText);
  longSwitches->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  longSwitches->setText(FromUtf8(LongSwitchHelp()));
  blocks->addSpacing(longSwitches->fontMetrics().height());
  blocks->addWidget(longSwitches);
  blocks->addStretch();

  auto* ok = new QPushButton(QStringLiteral("OK"), this);
  ok->setObjectName(QStringLiteral("okButton"));
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);

  auto* layout = new QHBoxLayout(this);
  layout->addLayout(blocks, 1);
  layout->addWidget(ok, 0, Qt::AlignTop);
}

}  // namespace palvarin

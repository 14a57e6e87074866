#include "rescue_question.hpp"

#include <QMessageBox>

#include "app/message_text.hpp"
#include "dialog_strings.hpp"
#include "texts/reason_text.hpp"

namespace palvarin {

std::vector<Reason> BrokenOffInputs(const JobReport& report) {
  std::vector<Reason> damaged;
  for (const PairReport& pair : report.pairs) {
    if (pair.outcome == PairOutcome::Failed && pair.problem == PairProblem::NotAHistory &&
        IsBrokenOff(pair.cause)) {
      damaged.push_back(pair.cause);
    }
  }
  return damaged;
}

bool AskToRescue(QWidget* parent, const std::vector<Reason>& damaged) {
  QMessageBox box(QMessageBox::Question, FromUtf8(kApplicationName),
                  FromUtf8(RescueQuestion(damaged)), QMessageBox::Yes | QMessageBox::No, parent);
  box.setObjectName(QStringLiteral("rescueQuestionBox"));
  // Paths may hold "<" or "&": never read them as markup.
  box.setTextFormat(Qt::PlainText);
  box.setDefaultButton(QMessageBox::No);
  box.setEscapeButton(QMessageBox::No);
  return box.exec() == QMessageBox::Yes;
}

}  // namespace palvarin

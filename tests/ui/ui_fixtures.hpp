#pragma once

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "job/job_report.hpp"
#include "state/merge_settings.hpp"
#include "state/profile_store.hpp"
#include "support/test_support.hpp"
#include "ui/dialog/palvarin_dlg.hpp"
#include "ui/results/message_presenter.hpp"
#include "ui/shared/path_chooser.hpp"

// Readable QStrings in test failures.
inline void PrintTo(const QString& text, std::ostream* out) {
  *out << '"' << text.toStdString() << '"';
}

namespace palvarin::test {

// Records every message and every job's results instead of showing a modal window.
class RecordingPresenter : public MessagePresenter {
 public:
  using MessagePresenter::Show;
  void Show(QWidget* parent, const QString& text, MessageIcon icon) override;
  void ShowResults(QWidget* parent, const JobReport& report) override;
  // Records the question and answers it with `answer` (No unless a test says Yes).
  bool Ask(QWidget* parent, const QString& text) override;
  QStringList shown;
  QStringList asked;
  bool answer = false;
  std::vector<MessageIcon> icons;
  std::vector<QWidget*> parents;
  std::vector<JobReport> results;
  // How many messages had been shown when each results window came.
  std::vector<int> resultsAfter;
};

// Answers file and folder requests with what the test set; cancels when nothing was set.
class ScriptedPathChooser : public PathChooser {
 public:
  enum class Kind { File, Folder, Account };
  struct Request {
    Kind kind;
    QString current;
  };

  // The answer to the next request; none means the user cancels.
  void AnswerNext(std::optional<QString> answer) { next_ = std::move(answer); }
  // The answer to the next choice of an account; none means the user cancels.
  void AnswerAccount(std::optional<QString> answer) { account_ = std::move(answer); }
  std::optional<QString> ChooseFile(QWidget* parent, const QString& current) override;
  std::optional<QString> ChooseFolder(QWidget* parent, const QString& current) override;
  // `current` of its request: the accounts offered, one a line.
  std::optional<QString> ChooseAccount(QWidget* parent, const QStringList& accounts) override;

  std::vector<Request> requests;

 private:
  std::optional<QString> Take(Kind kind, const QString& current);
  std::optional<QString> next_;
  std::optional<QString> account_;
};

// A left click inside the button's indicator or text, where every kind of button reacts.
void Click(QAbstractButton* button);

// Replaces the text of a line edit by typing, as a user would.
void TypeInto(QWidget* edit, const QString& text);

// Runs `act` once on the modal dialog or message box as soon as one is shown, while the
// object lives. If none appears within a few seconds, fails the test and closes whatever
// dialog is open, so that a test cannot hang.
class WhenModalShown {
 public:
  // With `name`, only the modal window of that object name (a progress window may come first).
  explicit WhenModalShown(std::function<void(QWidget*)> act, QString name = {});
  WhenModalShown(const WhenModalShown&) = delete;
  WhenModalShown& operator=(const WhenModalShown&) = delete;
  bool Acted() const { return acted_; }

 private:
  void Poll();

  std::function<void(QWidget*)> act_;
  QString name_;
  QTimer timer_;
  int triesLeft_;
  bool acted_ = false;
};

// Calls `shown` with the progress window as soon as it is shown, before the job's first news.
class ProgressWatcher : public QObject {
 public:
  explicit ProgressWatcher(std::function<void(QWidget*)> shown);
  ~ProgressWatcher() override;
  bool eventFilter(QObject* object, QEvent* event) override;

 private:
  std::function<void(QWidget*)> shown_;
};

// A small history file with one message of `text` at `time` ("HH:MM:SS" on 2010/09/17).
std::string SampleHistory(const std::string& text, const std::string& time);

// A main dialog on a temporary profile (PALVARIN_PROFILE in a TempFolder), with recording
// seams, and TZ set.
class DialogTest : public ::testing::Test {
 protected:
  DialogTest();

  // Opens the dialog on `settings` and shows it.
  CPalvarinDlg& Open(const MergeSettings& settings = {});
  // Opens the dialog as start-up does: on the settings loaded from the profile.
  CPalvarinDlg& OpenFromProfile();

  template <typename Widget>
  Widget* Find(const char* name) const {
    auto* widget = dialog_->findChild<Widget*>(QString::fromLatin1(name));
    if (widget == nullptr) ADD_FAILURE() << "no control named " << name;
    return widget;
  }
  QAbstractButton* Button(const char* name) const { return Find<QAbstractButton>(name); }
  void Click(const char* name) const { test::Click(Button(name)); }
  void Type(const char* name, const QString& text) const { TypeInto(Find<QWidget>(name), text); }
  QString Text(const char* name) const;

  // The enabled state of every named control.
  std::map<QString, bool> EnabledStates() const;
  // The settings stored in the profile now, read through a store of its own.
  MergeSettings StoredSettings() const;

  TempFolder temp_;
  ScopedTimeZone zone_{"Asia/Tokyo"};
  ScopedEnvironment profileFile_;
  std::unique_ptr<ProfileStore> profile_;
  RecordingPresenter messages_;
  ScriptedPathChooser chooser_;
  std::unique_ptr<CPalvarinDlg> dialog_;
};

}  // namespace palvarin::test

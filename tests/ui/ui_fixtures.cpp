#include "ui_fixtures.hpp"

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <cstdlib>

#include "state/settings_store.hpp"

namespace palvarin::test {

void RecordingPresenter::Show(QWidget* parent, const QString& text, MessageIcon icon) {
  shown << text;
  icons.push_back(icon);
  parents.push_back(parent);
}

void RecordingPresenter::ShowResults(QWidget* parent, const JobReport& report) {
  results.push_back(report);
  resultsAfter.push_back(static_cast<int>(shown.size()));
  parents.push_back(parent);
}

std::optional<QString> ScriptedPathChooser::ChooseFile(QWidget*, const QString& current) {
  return Take(Kind::File, current);
}

std::optional<QString> ScriptedPathChooser::ChooseFolder(QWidget*, const QString& current) {
  return Take(Kind::Folder, current);
}

std::optional<QString> ScriptedPathChooser::ChooseAccount(QWidget*, const QStringList& accounts) {
  requests.push_back({Kind::Account, accounts.join(u'\n')});
  return std::exchange(account_, std::nullopt);
}

std::optional<QString> ScriptedPathChooser::Take(Kind kind, const QString& current) {
  requests.push_back({kind, current});
  return std::exchange(next_, std::nullopt);
}

void Click(QAbstractButton* button) {
  ASSERT_NE(button, nullptr);
  QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
}

void TypeInto(QWidget* edit, const QString& text) {
  auto* line = qobject_cast<QLineEdit*>(edit);
  ASSERT_NE(line, nullptr);
  line->setFocus();
  line->selectAll();
  QTest::keyClick(line, Qt::Key_Delete);
  QTest::keyClicks(line, text);
}

namespace {

constexpr int kModalPolls = 500;
constexpr int kModalPollMilliseconds = 10;

}  // namespace

WhenModalShown::WhenModalShown(std::function<void(QWidget*)> act, QString name)
    : act_(std::move(act)), name_(std::move(name)), triesLeft_(kModalPolls) {
  timer_.setInterval(kModalPollMilliseconds);
  QObject::connect(&timer_, &QTimer::timeout, [this] { Poll(); });
  timer_.start();
}

void WhenModalShown::Poll() {
  if (QWidget* modal = QApplication::activeModalWidget();
      modal && (name_.isEmpty() || modal->objectName() == name_)) {
    timer_.stop();
    acted_ = true;
    act_(modal);
    return;
  }
  if (--triesLeft_ > 0) return;
  timer_.stop();
  ADD_FAILURE() << "no modal window was shown";
  for (QWidget* window : QApplication::topLevelWidgets()) {
    if (auto* dialog = qobject_cast<QDialog*>(window); dialog && dialog->isVisible()) {
      dialog->reject();
    }
  }
}

ProgressWatcher::ProgressWatcher(std::function<void(QWidget*)> shown) : shown_(std::move(shown)) {
  QApplication::instance()->installEventFilter(this);
}

ProgressWatcher::~ProgressWatcher() { QApplication::instance()->removeEventFilter(this); }

bool ProgressWatcher::eventFilter(QObject* object, QEvent* event) {
  if (event->type() == QEvent::Show && object->objectName() == "jobProgressDialog") {
    shown_(static_cast<QWidget*>(object));
  }
  return false;
}

std::string SampleHistory(const std::string& text, const std::string& time) {
  return "<?xml version=\"1.0\"?>\r\n"
         "<?xml-stylesheet type='text/xsl' href='MessageLog.xsl'?>\r\n"
         "<Log FirstSessionID=\"1\" LastSessionID=\"1\">"
         "<Message Date=\"2010/09/17\" Time=\"" +
         time + "\" DateTime=\"2010-09-17T" + time +
         ".000Z\" SessionID=\"1\"><From><User FriendlyName=\"Alice\"/></From>"
         "<To><User FriendlyName=\"Me\"/></To><Text Style=\"color:#000000; \">" +
         text + "</Text></Message></Log>\r\n";
}

DialogTest::DialogTest()
    : profileFile_("PALVARIN_PROFILE", (temp_ / "profile.sqlite3").c_str()),
      profile_(std::make_unique<ProfileStore>()) {}

CPalvarinDlg& DialogTest::Open(const MergeSettings& settings) {
  dialog_ = std::make_unique<CPalvarinDlg>(settings, *profile_, messages_, chooser_);
  dialog_->show();
  return *dialog_;
}

CPalvarinDlg& DialogTest::OpenFromProfile() {
  MergeSettings settings;
  LoadSettings(*profile_, settings);
  return Open(settings);
}

QString DialogTest::Text(const char* name) const {
  QWidget* widget = Find<QWidget>(name);
  if (auto* edit = qobject_cast<QLineEdit*>(widget)) return edit->text();
  if (auto* label = qobject_cast<QLabel*>(widget)) return label->text();
  if (auto* group = qobject_cast<QGroupBox*>(widget)) return group->title();
  if (auto* button = qobject_cast<QAbstractButton*>(widget)) return button->text();
  ADD_FAILURE() << name << " has no text";
  return {};
}

std::map<QString, bool> DialogTest::EnabledStates() const {
  std::map<QString, bool> states;
  for (QWidget* widget : dialog_->findChildren<QWidget*>()) {
    if (!widget->objectName().isEmpty()) states[widget->objectName()] = widget->isEnabled();
  }
  return states;
}

MergeSettings DialogTest::StoredSettings() const {
  ProfileStore store;
  MergeSettings settings;
  LoadSettings(store, settings);
  return settings;
}

}  // namespace palvarin::test

#include "ui/reader/reader_window.hpp"

#include <QClipboard>
#include <QDate>
#include <QDateEdit>
#include <QFileSystemWatcher>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <algorithm>
#include <cstdint>
#include <optional>
#include <utility>

#include "contact_filter.hpp"
#include "contacts_model.hpp"
#include "conversations_model.hpp"
#include "entries_model.hpp"
#include "export/entries_text.hpp"
#include "message_view.hpp"
#include "reader/history_book.hpp"
#include "search_results_model.hpp"
#include "texts/cause_text.hpp"
#include "ui/shared/dialog_strings.hpp"
#include "ui/shared/path_chooser.hpp"
#include "visible_text.hpp"

namespace palvarin {

ReaderWindow::ReaderWindow(ReaderSetup setup, QWidget* parent)
    : QDialog(parent),
      setup_(std::move(setup)),
      filtered_(new ContactFilter(this)),
      conversations_(new ConversationsModel(this)),
      entries_(new EntriesModel(this)),
      results_(new SearchResultsModel(this)),
      watcher_(new QFileSystemWatcher(this)) {
  setObjectName(QStringLiteral("readerWindow"));
  setWindowTitle(QTr("Read histories"));
  setSizeGripEnabled(true);
  BuildControls();
  BuildShortcuts();
  ShowShelf({});
  resize(900, 600);
  Restore();
  connect(watcher_, &QFileSystemWatcher::fileChanged, this, &ReaderWindow::Changed);
}

ReaderWindow::~ReaderWindow() {
  for (QThread* thread :
       {searching_.data(), summarising_.data(), loading_.data(), naming_.data()}) {
    if (thread != nullptr) thread->wait();
  }
}

Result<> ReaderWindow::Open(const std::string& path) {
  Result<std::vector<ShelfHistory>> shelf = ListShelf(path);
  if (!shelf) {
    Say(VisibleText(Word(shelf.reason())));
    return Failure{shelf.reason()};
  }
  root_ = path;
  ShowShelf(std::move(*shelf));
  return {};
}

void ReaderWindow::OpenChosen(bool folder) {
  if (setup_.chooser == nullptr) return;
  const QString current = FromUtf8(root_);
  const std::optional<QString> path = folder ? setup_.chooser->ChooseFolder(this, current)
                                             : setup_.chooser->ChooseFile(this, current);
  if (path && !path->isEmpty()) (void)Open(path->toStdString());
}

void ReaderWindow::CopySelected() {
  const QModelIndex conversation = conversationList_->currentIndex();
  if (!book_ || !conversation.isValid()) return Say(QTr("Choose a conversation first."));
  const int first = book_->Conversations()[static_cast<std::size_t>(conversation.row())].first;
  std::vector<int> chosen;
  for (const QModelIndex& row : entryList_->selectionModel()->selectedRows()) {
    const int entry = row.data(EntriesModel::kEntryRole).toInt();
    if (entry >= 0) chosen.push_back(first + entry);
  }
  if (chosen.empty()) return Say(QTr("Select the messages to copy first."));
  std::sort(chosen.begin(), chosen.end());
  QGuiApplication::clipboard()->setText(FromUtf8(EntriesAsText(book_->Entries(), chosen)));
}

void ReaderWindow::Export(bool all) {
  std::vector<std::string> inputs;
  if (all && !root_.empty()) inputs.push_back(root_);
  if (!all && bookRow_ >= 0) inputs.push_back(contacts_->History(bookRow_).path);
  if (inputs.empty()) return;
  const QString status = ExportHistoriesAndOpen(this, inputs, setup_.exportAndOpen);
  if (!status.isEmpty()) Say(status);
}

void RunReaderWindow(QWidget* parent, const std::string& path, ReaderSetup setup) {
  ReaderWindow window(std::move(setup), parent);
  if (!path.empty()) (void)window.Open(path);
  window.exec();
}

void ReaderWindow::Say(const QString& text) {
  status_->setText(text);
  status_->setVisible(!text.isEmpty());
}

// Copy, export and search only where there is something to copy, export or search; an empty
// window says how to fill it.
void ReaderWindow::UpdateActions() {
  const bool open = !root_.empty();
  search_->setEnabled(open);
  exportAll_->setEnabled(open);
  exportContact_->setEnabled(bookRow_ >= 0);
  copy_->setEnabled(book_ != nullptr);
  if (!open) {
    Say(setup_.chooser != nullptr
            ? QTr("Nothing is open: open a history file (Ctrl+O) or a folder (Ctrl+Shift+O).")
            : QTr("Nothing is open."));
  } else if (contacts_->HistoryCount() == 0) {
    Say(FromUtf8(Format(Tr("No histories in {0}."), {Isolated(root_).toStdString()})));
  }
}

// Shows the date field on the date of the conversation shown, else of the last one.
void ReaderWindow::AskForDate() {
  if (!book_ || book_->Conversations().empty()) return Say(QTr("Choose a contact first."));
  const int shown = conversationList_->currentIndex().row();
  const Conversation& conversation = book_->Conversations()[static_cast<std::size_t>(
      shown >= 0 ? shown : static_cast<int>(book_->Conversations().size()) - 1)];
  if (const std::optional<std::int32_t> day = book_->Day(conversation.first)) {
    date_->setDate(QDate(1970, 1, 1).addDays(*day));
  }
  date_->show();
  date_->setFocus(Qt::ShortcutFocusReason);
  date_->setSelectedSection(QDateTimeEdit::YearSection);
}

void ReaderWindow::GoToDate() {
  if (!book_) return;
  const int nearest = book_->NearestConversation(
      static_cast<std::int32_t>(QDate(1970, 1, 1).daysTo(date_->date())));
  if (nearest < 0) return Say(QTr("No conversation of this history has a date."));
  conversationList_->setCurrentIndex(conversations_->index(nearest));
  entryList_->setFocus(Qt::ShortcutFocusReason);
  date_->hide();
}

// Esc in the filter or the search box empties it, then leaves it for the contacts: it never
// closes the window from there. Esc in the date field closes it.
bool ReaderWindow::LeaveEdit() {
  if (date_->hasFocus()) {
    date_->hide();
    conversationList_->setFocus(Qt::ShortcutFocusReason);
    return true;
  }
  QLineEdit* edit = filter_->hasFocus() ? filter_ : search_->hasFocus() ? search_ : nullptr;
  if (edit == nullptr) return false;
  if (!edit->text().isEmpty() && edit == filter_) {
    edit->clear();
  } else {
    contactList_->setFocus(Qt::ShortcutFocusReason);
  }
  return true;
}

void ReaderWindow::keyPressEvent(QKeyEvent* event) {
  if (event->matches(QKeySequence::Cancel) && (LeaveEdit() || BackToResults())) {
    return event->accept();
  }
  QDialog::keyPressEvent(event);
}

}  // namespace palvarin

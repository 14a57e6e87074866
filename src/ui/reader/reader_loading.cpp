// The reader window's shelf and its histories: the contacts listed and summarised, the chosen
// history loaded off the GUI thread and watched for changes, its conversations shown.
#include <QFileSystemWatcher>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QStackedWidget>
#include <algorithm>
#include <memory>
#include <optional>
#include <utility>

#include "background_run.hpp"
#include "contact_filter.hpp"
#include "contacts_model.hpp"
#include "conversations_model.hpp"
#include "entries_model.hpp"
#include "reader/history_book.hpp"
#include "search_results_model.hpp"
#include "texts/cause_text.hpp"
#include "ui/reader/reader_window.hpp"
#include "ui/shared/dialog_strings.hpp"
#include "visible_text.hpp"

namespace palvarin {

void ReaderWindow::ShowShelf(std::vector<ShelfHistory> shelf) {
  Say({});
  if (!watcher_->files().isEmpty()) watcher_->removePaths(watcher_->files());
  book_.reset();
  bookRow_ = -1;
  ++loadsAsked_;
  awaiting_ = false;
  pendingHit_ = -1;
  results_->Show({}, {});
  hitEntries_.clear();
  hit_ = -1;
  lastHit_ = -1;
  pages_->setCurrentIndex(0);
  auto* contacts = new ContactsModel(std::move(shelf), this);
  filtered_->setSourceModel(contacts);
  delete contacts_;
  contacts_ = contacts;
  conversations_->Show(nullptr);
  entries_->Show(nullptr, {});
  if (filtered_->rowCount() > 0) contactList_->setCurrentIndex(filtered_->index(0, 0));
  UpdateActions();
  SummariseNext();
}

// Reads the next history not yet summarised, one at a time, off the GUI thread.
void ReaderWindow::SummariseNext() {
  if (summarising_ != nullptr) return;
  for (int row = 0; row < contacts_->rowCount(); ++row) {
    // The chosen history being loaded is summarised by its load: never read twice at once.
    if (contacts_->History(row).summarised || (row == bookRow_ && awaiting_)) continue;
    summarising_ = RunInBackground(
        this,
        [history = contacts_->History(row)]() mutable {
          Summarise(history);
          return history;
        },
        [this, model = QPointer<ContactsModel>(contacts_)](ShelfHistory history) {
          summarising_ = nullptr;
          if (model != contacts_) return SummariseNext();  // another shelf came meanwhile
          const int at = contacts_->RowOf(history.path);
          if (at >= 0 && !contacts_->History(at).summarised) {
            contacts_->Update(at, std::move(history));
          }
          UpdateActions();
          SummariseNext();
        });
    return;
  }
}

void ReaderWindow::ChooseContact(const QModelIndex& current) {
  bookRow_ = current.isValid() ? filtered_->mapToSource(current).row() : -1;
  pendingHit_ = -1;
  pages_->setCurrentIndex(0);
  LoadChosen();
  UpdateActions();
}

// What a load off the GUI thread brings back: the book (null when it cannot be read) and what
// it holds, for the load asked for as `asked`.
struct ReaderWindow::LoadedBook {
  int asked = 0;
  ShelfHistory history;
  std::shared_ptr<const HistoryBook> book;
};

// Asks for the chosen history as it is now: only the chosen one is held in memory.
void ReaderWindow::LoadChosen() {
  keptConversation_ = -1;
  entries_->Show(nullptr, {});
  book_.reset();
  changed_->hide();
  reload_->hide();
  if (!watcher_->files().isEmpty()) watcher_->removePaths(watcher_->files());
  ++loadsAsked_;
  awaiting_ = bookRow_ >= 0;
  conversations_->Show(nullptr, awaiting_);
  Say(awaiting_ ? FromUtf8(Format(Tr("Loading the history of {0}..."),
                                  {Isolated(contacts_->History(bookRow_).name).toStdString()}))
                : QString());
  LoadNext();
}

// Loads one history at a time: a contact chosen meanwhile waits for the load under way, so
// that two large histories are never held at once.
void ReaderWindow::LoadNext() {
  if (loading_ != nullptr || !awaiting_) return;
  loading_ = RunInBackground(
      this,
      [loaded =
           LoadedBook{.asked = loadsAsked_, .history = contacts_->History(bookRow_), .book = {}},
       open = setup_.openBook]() mutable {
        Result<HistoryBook> book = open(loaded.history.path);
        if (book) {
          loaded.book = std::make_shared<const HistoryBook>(std::move(*book));
          Summarise(loaded.history, *loaded.book);
        } else {
          loaded.history.summarised = true;
          loaded.history.read = Failure{book.reason()};
        }
        return std::move(loaded);
      },
      [this](LoadedBook loaded) {
        loading_ = nullptr;
        ShowLoaded(std::move(loaded));
      });
}

void ReaderWindow::ShowLoaded(LoadedBook loaded) {
  // Another contact or shelf was chosen while it loaded; the summaries skipped this one.
  if (loaded.asked != loadsAsked_) {
    LoadNext();
    return SummariseNext();
  }
  awaiting_ = false;
  if (loaded.history.NoHistory()) {
    // Left out of the list as it leaves the row: the row beside it is chosen in its place.
    contacts_->Update(bookRow_, std::move(loaded.history));
    UpdateActions();
    return SummariseNext();
  }
  book_ = std::move(loaded.book);
  if (!loaded.history.read) {
    Say(VisibleText(Word(loaded.history.read.reason())));
  } else {
    // A history that breaks off shows its whole entries, and says so while it is shown.
    const Reason& damage = book_->Damage();
    Say(damage.kind == ReasonKind::None ? QString() : Isolated(Word(damage)));
  }
  // Who takes part is read once the history is shown; meanwhile the names read before stay.
  const ShelfHistory& before = contacts_->History(bookRow_);
  loaded.history.people = before.people;
  loaded.history.owner = before.owner;
  loaded.history.peopleRead = !book_;
  contacts_->Update(bookRow_, std::move(loaded.history));
  watcher_->addPath(FromUtf8(contacts_->History(bookRow_).path));
  // Where the hits are in this history is read anew.
  std::fill(hitEntries_.begin(), hitEntries_.end(), -2);
  conversations_->Show(book_);
  UpdateActions();
  const int kept = std::exchange(keptConversation_, -1);
  if (kept >= 0 && kept < conversations_->rowCount()) {
    conversationList_->setCurrentIndex(conversations_->index(kept));
  }
  if (pendingHit_ >= 0) JumpTo(std::exchange(pendingHit_, -1));
  NameChosen();
}

// Reads who takes part in the chosen history off the GUI thread, after it is shown: its
// contact's names and its owner, which tells the sides of its messages.
void ReaderWindow::NameChosen() {
  if (naming_ != nullptr || !book_ || bookRow_ < 0 || contacts_->History(bookRow_).peopleRead) {
    return;
  }
  naming_ = RunInBackground(
      this,
      [book = book_, history = contacts_->History(bookRow_)]() mutable {
        ReadPeople(history, *book);
        return history;
      },
      [this, model = QPointer<ContactsModel>(contacts_)](ShelfHistory read) {
        naming_ = nullptr;
        const int row = model == contacts_ ? contacts_->RowOf(read.path) : -1;
        if (row >= 0) {
          ShelfHistory history = contacts_->History(row);
          const std::optional<std::string> owner = contacts_->Owner(row);
          history.peopleRead = true;
          history.people = std::move(read.people);
          history.owner = std::move(read.owner);
          contacts_->Update(row, std::move(history));
          // The sides of the conversation shown come with its owner.
          if (row == bookRow_ && contacts_->Owner(row) != owner) {
            ChooseConversation(conversationList_->currentIndex());
          }
        }
        NameChosen();
      });
}

void ReaderWindow::Changed(const QString& path) {
  if (bookRow_ < 0 || path != FromUtf8(contacts_->History(bookRow_).path)) return;
  // A history replaced by renaming a new file over it is watched no more: watch the new one.
  if (!watcher_->files().contains(path)) watcher_->addPath(path);
  changed_->show();
  reload_->show();
}

void ReaderWindow::ChooseConversation(const QModelIndex& current) {
  if (!current.isValid() || !book_) return entries_->Show(nullptr, {});
  entries_->Show(book_, book_->Conversations()[static_cast<std::size_t>(current.row())],
                 contacts_->Owner(bookRow_));
}

}  // namespace palvarin

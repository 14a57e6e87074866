#include "ui/reader/reader_window.hpp"

#include <QClipboard>
#include <QDate>
#include <QDateEdit>
#include <QFileSystemWatcher>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QShortcut>
#include <QSplitter>
#include <QStackedWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <utility>

#include "background_run.hpp"
#include "contact_filter.hpp"
#include "contacts_model.hpp"
#include "conversations_model.hpp"
#include "entries_model.hpp"
#include "export/entries_text.hpp"
#include "highlight_delegate.hpp"
#include "message_links.hpp"
#include "message_view.hpp"
#include "reader/history_book.hpp"
#include "search_results_model.hpp"
#include "state/profile_store.hpp"
#include "texts/cause_text.hpp"
#include "ui/shared/dialog_strings.hpp"
#include "ui/shared/path_chooser.hpp"
#include "ui/shared/plain_tool_tip.hpp"
#include "visible_text.hpp"

namespace palvarin {
namespace {

constexpr std::string_view kSection = "Reader";

QListView* MakeList(const char* name, const QString& accessibleName, QWidget* parent) {
  auto* list = new QListView(parent);
  list->setObjectName(QString::fromLatin1(name));
  list->setAccessibleName(accessibleName);
  list->setEditTriggers(QAbstractItemView::NoEditTriggers);
  list->setSelectionMode(QAbstractItemView::SingleSelection);
  return list;
}

// A button that `keys` press from anywhere in the window, named in its tooltip.
QPushButton* MakeButton(const char* name, const QString& text, const QString& keys,
                        QWidget* window) {
  auto* button = new QPushButton(text, window);
  button->setObjectName(QString::fromLatin1(name));
  button->setAccessibleName(text);
  button->setAutoDefault(false);
  if (!keys.isEmpty()) {
    auto* shortcut = new QShortcut(window);
    shortcut->setKeys(QKeySequence::listFromString(keys));
    QObject::connect(shortcut, &QShortcut::activated, button, &QPushButton::click);
    button->setToolTip(text + QStringLiteral(" (") + keys + u')');
  }
  return button;
}

QLineEdit* MakeEdit(const char* name, const QString& accessibleName, const QString& placeholder,
                    QWidget* parent) {
  auto* edit = new QLineEdit(parent);
  edit->setObjectName(QString::fromLatin1(name));
  edit->setAccessibleName(accessibleName);
  edit->setPlaceholderText(placeholder);
  edit->setClearButtonEnabled(true);
  return edit;
}

QLabel* MakeLabel(const char* name, QWidget* parent) {
  auto* label = new QLabel(parent);
  label->setObjectName(QString::fromLatin1(name));
  label->setTextFormat(Qt::PlainText);
  label->setWordWrap(true);
  label->setTextInteractionFlags(Qt::TextSelectableByMouse);
  return label;
}

// A splitter's sizes as the profile keeps them: "200,300".
std::string SizesText(const QSplitter& splitter) {
  QStringList sizes;
  for (const int size : splitter.sizes()) sizes << QString::number(size);
  return sizes.join(u',').toStdString();
}

void RestoreSizes(QSplitter& splitter, const std::string& text) {
  QList<int> sizes;
  for (const QString& part : FromUtf8(text).split(u',', Qt::SkipEmptyParts)) {
    bool number = false;
    const int size = part.toInt(&number);
    if (!number || size < 0) return;
    sizes << size;
  }
  if (sizes.size() == splitter.count()) splitter.setSizes(sizes);
}

}  // namespace

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

void ReaderWindow::BuildControls() {
  filter_ = MakeEdit("readerFilter", QTr("Filter contacts"), QTr("Filter contacts (Ctrl+F)"), this);
  connect(filter_, &QLineEdit::textChanged, filtered_, &ContactFilter::SetText);
  date_ = new QDateEdit(this);
  date_->setObjectName(QStringLiteral("readerDate"));
  date_->setAccessibleName(QTr("Go to date"));
  date_->setToolTip(QTr("Go to date (Ctrl+J, Enter)"));
  // Its field, which the keyboard reaches, goes by its name too.
  if (auto* field = date_->findChild<QLineEdit*>()) field->setAccessibleName(QTr("Go to date"));
  date_->setCalendarPopup(true);
  date_->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
  date_->hide();
  // Enter, not the focus leaving: that only closes it.
  connect(date_, &QDateEdit::editingFinished, this, [this] {
    if (date_->hasFocus()) GoToDate();
  });
  search_ = MakeEdit("readerSearch", QTr("Search every history"),
                     QTr("Search every history (Ctrl+Shift+F, Enter)"), this);
  connect(search_, &QLineEdit::returnPressed, this, &ReaderWindow::StartSearch);

  contactList_ = MakeList("readerContacts", QTr("Contacts"), this);
  contactList_->setModel(filtered_);
  conversationList_ = MakeList("readerConversations", QTr("Conversations of the contact"), this);
  conversationList_->setModel(conversations_);
  entryList_ = new MessageView(this);
  entryList_->setObjectName(QStringLiteral("readerConversation"));
  entryList_->setAccessibleName(QTr("Conversation"));
  entryList_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  entryList_->setModel(entries_);
  entryList_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  resultList_ = MakeList("readerResults", QTr("Search results"), this);
  resultList_->setModel(results_);
  resultList_->setItemDelegate(new HighlightDelegate(resultList_));
  resultList_->setUniformItemSizes(true);
  new PlainToolTips(contactList_);
  new PlainToolTips(resultList_);
  connect(contactList_->selectionModel(), &QItemSelectionModel::currentChanged, this,
          &ReaderWindow::ChooseContact);
  connect(conversationList_->selectionModel(), &QItemSelectionModel::currentChanged, this,
          &ReaderWindow::ChooseConversation);
  connect(resultList_, &QListView::activated, this,
          [this](const QModelIndex& index) { JumpTo(index.row()); });
  connect(resultList_, &QListView::clicked, this,
          [this](const QModelIndex& index) { JumpTo(index.row()); });

  searchStatus_ = MakeLabel("readerSearchStatus", this);
  status_ = MakeLabel("readerStatus", this);
  status_->hide();
  linkTarget_ = MakeLabel("readerLinkTarget", this);
  linkTarget_->setTextInteractionFlags(Qt::NoTextInteraction);
  linkTarget_->hide();
  entryList_->SetLinkActions(
      [this](const QUrl& link) {
        // The view finds only these; checked again where the desktop is asked.
        if (IsOpenableLink(link)) (void)setup_.openLink(link);
      },
      [this](const QString& target) {
        // Whole, however long: a break may come every so many characters, as a link has no
        // spaces to wrap at. Only shown, never copied from, so the breaks go nowhere.
        QString shown = VisibleText(target.toStdString());
        for (qsizetype at = 60; at < shown.size(); at += 61) shown.insert(at, QChar(0x200B));
        linkTarget_->setText(shown);
        linkTarget_->setVisible(!target.isEmpty());
      });
  changed_ = MakeLabel("readerChanged", this);
  changed_->setText(QTr("This history has changed on disk since it was opened."));
  reload_ = MakeButton("readerReload", QTr("Reload"), QStringLiteral("F5"), this);
  connect(reload_, &QPushButton::clicked, this, [this] {
    const int kept = conversationList_->currentIndex().row();
    LoadChosen();
    keptConversation_ = kept;
  });
  previous_ = MakeButton("readerPreviousHit", QTr("Previous hit"),
                         QStringLiteral("Shift+F3; Ctrl+Shift+G"), this);
  next_ = MakeButton("readerNextHit", QTr("Next hit"), QStringLiteral("F3; Ctrl+G"), this);
  connect(previous_, &QPushButton::clicked, this, [this] { Step(-1); });
  connect(next_, &QPushButton::clicked, this, [this] { Step(1); });
  copy_ = MakeButton("readerCopy", QTr("Copy"), {}, this);
  copy_->setToolTip(QTr("Copy the selected messages as text (Ctrl+C)"));
  connect(copy_, &QPushButton::clicked, this, &ReaderWindow::CopySelected);
  exportContact_ =
      MakeButton("readerExportContact", QTr("Export contact..."), QStringLiteral("Ctrl+E"), this);
  exportAll_ =
      MakeButton("readerExportAll", QTr("Export all..."), QStringLiteral("Ctrl+Shift+E"), this);
  connect(exportContact_, &QPushButton::clicked, this, [this] { Export(false); });
  connect(exportAll_, &QPushButton::clicked, this, [this] { Export(true); });
  auto* openFile =
      MakeButton("readerOpenFile", QTr("Open file..."), QStringLiteral("Ctrl+O"), this);
  auto* openFolder =
      MakeButton("readerOpenFolder", QTr("Open folder..."), QStringLiteral("Ctrl+Shift+O"), this);
  connect(openFile, &QPushButton::clicked, this, [this] { OpenChosen(false); });
  connect(openFolder, &QPushButton::clicked, this, [this] { OpenChosen(true); });
  openFile->setVisible(setup_.chooser != nullptr);
  openFolder->setVisible(setup_.chooser != nullptr);

  auto* left = new QWidget(this);
  auto* leftLayout = new QVBoxLayout(left);
  leftLayout->setContentsMargins(0, 0, 0, 0);
  leftLayout->addWidget(filter_);
  leftLayout->addWidget(contactList_);
  panes_ = new QSplitter(this);
  panes_->setObjectName(QStringLiteral("readerPanes"));
  panes_->addWidget(conversationList_);
  panes_->addWidget(entryList_);
  panes_->setStretchFactor(1, 1);
  auto* resultsPage = new QWidget(this);
  auto* resultsLayout = new QVBoxLayout(resultsPage);
  resultsLayout->setContentsMargins(0, 0, 0, 0);
  resultsLayout->addWidget(searchStatus_);
  resultsLayout->addWidget(resultList_);
  pages_ = new QStackedWidget(this);
  pages_->addWidget(panes_);
  pages_->addWidget(resultsPage);
  sides_ = new QSplitter(this);
  sides_->setObjectName(QStringLiteral("readerSides"));
  sides_->addWidget(left);
  sides_->addWidget(pages_);
  sides_->setStretchFactor(1, 1);

  auto* top = new QHBoxLayout;
  top->addWidget(openFile);
  top->addWidget(openFolder);
  top->addWidget(search_, 1);
  top->addWidget(date_);
  top->addWidget(previous_);
  top->addWidget(next_);
  auto* changedRow = new QHBoxLayout;
  changedRow->addWidget(changed_, 1);
  changedRow->addWidget(reload_);
  auto* bottom = new QHBoxLayout;
  bottom->addWidget(status_, 1);
  bottom->addWidget(copy_);
  bottom->addWidget(exportContact_);
  bottom->addWidget(exportAll_);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addWidget(sides_, 1);
  layout->addLayout(changedRow);
  layout->addWidget(linkTarget_);
  layout->addLayout(bottom);
  changed_->hide();
  reload_->hide();
  previous_->setEnabled(false);
  next_->setEnabled(false);

  setTabOrder(search_, filter_);
  setTabOrder(filter_, contactList_);
  setTabOrder(contactList_, conversationList_);
  setTabOrder(conversationList_, entryList_);
}

void ReaderWindow::BuildShortcuts() {
  auto* find = new QShortcut(QKeySequence::Find, this);
  connect(find, &QShortcut::activated, this, [this] {
    filter_->setFocus(Qt::ShortcutFocusReason);
    filter_->selectAll();
  });
  auto* findAll = new QShortcut(QKeySequence(QStringLiteral("Ctrl+Shift+F")), this);
  connect(findAll, &QShortcut::activated, this, [this] {
    search_->setFocus(Qt::ShortcutFocusReason);
    search_->selectAll();
  });
  auto* goToDate = new QShortcut(QKeySequence(QStringLiteral("Ctrl+J")), this);
  connect(goToDate, &QShortcut::activated, this, &ReaderWindow::AskForDate);
  auto* copy = new QShortcut(QKeySequence::Copy, entryList_);
  copy->setContext(Qt::WidgetShortcut);
  connect(copy, &QShortcut::activated, this, &ReaderWindow::CopySelected);
}

void ReaderWindow::Restore() {
  if (setup_.profile == nullptr) return;
  ProfileStore& profile = *setup_.profile;
  const int width = profile.GetProfileInt(kSection, "Width", 0);
  const int height = profile.GetProfileInt(kSection, "Height", 0);
  if (width > 100 && height > 100) resize(width, height);
  RestoreSizes(*sides_, profile.GetProfileString(kSection, "Sides", ""));
  RestoreSizes(*panes_, profile.GetProfileString(kSection, "Panes", ""));
}

void ReaderWindow::Save() {
  if (setup_.profile == nullptr) return;
  ProfileStore& profile = *setup_.profile;
  // A profile that refuses writes keeps the last size: nothing for the user to act on.
  (void)profile.WriteProfileInt(kSection, "Width", width());
  (void)profile.WriteProfileInt(kSection, "Height", height());
  (void)profile.WriteProfileString(kSection, "Sides", SizesText(*sides_));
  (void)profile.WriteProfileString(kSection, "Panes", SizesText(*panes_));
}

void ReaderWindow::done(int result) {
  Save();
  QDialog::done(result);
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

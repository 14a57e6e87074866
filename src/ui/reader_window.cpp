#include "reader_window.hpp"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QListView>
#include <QShortcut>
#include <QSortFilterProxyModel>
#include <QSplitter>
#include <QVBoxLayout>

#include "contacts_model.hpp"
#include "conversations_model.hpp"
#include "dialog_strings.hpp"
#include "entries_model.hpp"
#include "reader/history_book.hpp"

namespace palvarin {
namespace {

QListView* MakeList(const char* name, const QString& accessibleName, QWidget* parent) {
  auto* list = new QListView(parent);
  list->setObjectName(QString::fromLatin1(name));
  list->setAccessibleName(accessibleName);
  list->setEditTriggers(QAbstractItemView::NoEditTriggers);
  list->setSelectionMode(QAbstractItemView::SingleSelection);
  return list;
}

}  // namespace

ReaderWindow::ReaderWindow(std::vector<ShelfHistory> shelf, QWidget* parent)
    : QDialog(parent),
      contacts_(new ContactsModel(std::move(shelf), this)),
      filtered_(new QSortFilterProxyModel(this)),
      conversations_(new ConversationsModel(this)),
      entries_(new EntriesModel(this)) {
  setObjectName(QStringLiteral("readerWindow"));
  setWindowTitle(QTr("Read histories"));
  setSizeGripEnabled(true);

  filter_ = new QLineEdit(this);
  filter_->setObjectName(QStringLiteral("readerFilter"));
  filter_->setAccessibleName(QTr("Filter contacts"));
  filter_->setPlaceholderText(QTr("Filter contacts (Ctrl+F)"));
  filter_->setClearButtonEnabled(true);
  filtered_->setSourceModel(contacts_);
  filtered_->setFilterRole(ContactsModel::kNameRole);
  filtered_->setFilterCaseSensitivity(Qt::CaseInsensitive);
  connect(filter_, &QLineEdit::textChanged, filtered_,
          &QSortFilterProxyModel::setFilterFixedString);
  auto* find = new QShortcut(QKeySequence::Find, this);
  connect(find, &QShortcut::activated, this, [this] {
    filter_->setFocus(Qt::ShortcutFocusReason);
    filter_->selectAll();
  });

  contactList_ = MakeList("readerContacts", QTr("Contacts"), this);
  contactList_->setModel(filtered_);
  conversationList_ = MakeList("readerConversations", QTr("Conversations of the contact"), this);
  conversationList_->setModel(conversations_);
  entryList_ = MakeList("readerConversation", QTr("Conversation"), this);
  entryList_->setModel(entries_);
  // Rows of several lines, each as high as its text.
  entryList_->setWordWrap(true);
  entryList_->setUniformItemSizes(false);
  entryList_->setResizeMode(QListView::Adjust);
  connect(contactList_->selectionModel(), &QItemSelectionModel::currentChanged, this,
          &ReaderWindow::ChooseContact);
  connect(conversationList_->selectionModel(), &QItemSelectionModel::currentChanged, this,
          &ReaderWindow::ChooseConversation);

  auto* left = new QWidget(this);
  auto* leftLayout = new QVBoxLayout(left);
  leftLayout->setContentsMargins(0, 0, 0, 0);
  leftLayout->addWidget(filter_);
  leftLayout->addWidget(contactList_);
  auto* splitter = new QSplitter(this);
  splitter->addWidget(left);
  splitter->addWidget(conversationList_);
  splitter->addWidget(entryList_);
  splitter->setStretchFactor(2, 1);
  auto* layout = new QHBoxLayout(this);
  layout->addWidget(splitter);
  setTabOrder(filter_, contactList_);
  setTabOrder(contactList_, conversationList_);
  setTabOrder(conversationList_, entryList_);
  resize(900, 600);
}

ReaderWindow::~ReaderWindow() = default;

void ReaderWindow::ChooseContact(const QModelIndex& current) {
  entries_->Show(nullptr, {});
  book_.reset();
  if (current.isValid()) {
    const ShelfHistory& history = contacts_->History(filtered_->mapToSource(current).row());
    // Read again now, as it is: only the chosen history is held in memory.
    if (history.read) {
      if (Result<HistoryBook> book = OpenHistoryBook(history.path)) {
        book_ = std::make_shared<const HistoryBook>(std::move(*book));
      }
    }
  }
  conversations_->Show(book_);
}

void ReaderWindow::ChooseConversation(const QModelIndex& current) {
  if (!current.isValid() || !book_) return entries_->Show(nullptr, {});
  entries_->Show(book_, book_->Conversations()[static_cast<std::size_t>(current.row())]);
}

}  // namespace palvarin

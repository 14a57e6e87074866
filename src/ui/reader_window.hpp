#pragma once

#include <QDialog>
#include <memory>
#include <vector>

#include "reader/history_shelf.hpp"

class QLineEdit;
class QListView;
class QSortFilterProxyModel;

namespace palvarin {

class ContactsModel;
class ConversationsModel;
class EntriesModel;
class HistoryBook;

// Reads histories and writes nothing: a filter ("readerFilter", Ctrl+F) over the contacts of
// the shelf ("readerContacts"), the conversations of the chosen contact
// ("readerConversations") and the entries of the chosen conversation ("readerConversation"),
// each read from its history only when shown.
class ReaderWindow : public QDialog {
 public:
  explicit ReaderWindow(std::vector<ShelfHistory> shelf, QWidget* parent = nullptr);
  ~ReaderWindow() override;

 private:
  void ChooseContact(const QModelIndex& current);
  void ChooseConversation(const QModelIndex& current);

  ContactsModel* contacts_;
  QSortFilterProxyModel* filtered_;
  ConversationsModel* conversations_;
  EntriesModel* entries_;
  QLineEdit* filter_;
  QListView* contactList_;
  QListView* conversationList_;
  QListView* entryList_;
  std::shared_ptr<const HistoryBook> book_;
};

}  // namespace palvarin

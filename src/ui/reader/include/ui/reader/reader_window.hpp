#pragma once

#include <QDesktopServices>
#include <QDialog>
#include <QPointer>
#include <QThread>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "reader/history_book.hpp"
#include "reader/history_shelf.hpp"
#include "search/run_search.hpp"
#include "ui/shared/export_and_open.hpp"

class QDateEdit;
class QFileSystemWatcher;
class QLabel;
class QLineEdit;
class QListView;
class QPushButton;
class QSplitter;
class QStackedWidget;

namespace palvarin {

class ContactFilter;
class ContactsModel;
class ConversationsModel;
class EntriesModel;
class MessageView;
class PathChooser;
class ProfileStore;
class SearchResultsModel;

// What the reader window works with besides the histories.
struct ReaderSetup {
  ProfileStore* profile = nullptr;  // keeps the window's size and splitters; none: not kept
  PathChooser* chooser = nullptr;   // answers Open file and Open folder; none: no Open
  ExportAndOpen exportAndOpen = DesktopExportAndOpen();
  std::filesystem::path searchIndex = SearchIndexFile();
  // Opens a link of a message the user clicked (only "http", "https" and "mailto" ever come).
  std::function<bool(const QUrl&)> openLink = [](const QUrl& link) {
    return QDesktopServices::openUrl(link);
  };
  // Opens the chosen history, on a thread of its own; tests hold it back to see the window wait.
  std::function<Result<HistoryBook>(const std::filesystem::path&)> openBook = OpenHistoryBook;
};

// Reads histories and writes nothing beside them. The contacts of the shelf ("readerContacts",
// narrowed by "readerFilter", Ctrl+F), the conversations of the chosen contact
// ("readerConversations") and the entries of the chosen conversation ("readerConversation"),
// each read from its history only when shown; the chosen history alone is held, loaded off the
// GUI thread (the conversations list and "readerStatus" say so meanwhile), the others are
// summarised one at a time off the GUI thread.
// A search of every history ("readerSearch", Ctrl+Shift+F, Enter) runs off the GUI thread and
// lists its hits ("readerResults", "readerSearchStatus"); Enter or a click on one shows it in
// its conversation with the words highlighted, F3 and Shift+F3 ("readerNextHit",
// "readerPreviousHit") go on to the next and previous hit, Esc back to the list.
// Ctrl+C copies the selected entries as the text export writes them; "readerExportContact"
// (Ctrl+E) and "readerExportAll" (Ctrl+Shift+E) export to HTML and open it. A chosen history
// that changes on disk shows "readerChanged" with "readerReload" (F5). "readerOpenFile"
// (Ctrl+O) and "readerOpenFolder" (Ctrl+Shift+O) open another shelf; "readerStatus" says what
// went wrong or how an export went. A click on a link of a message opens it; the mouse over one
// shows its whole target in "readerLinkTarget". Ctrl+J shows "readerDate": Enter there opens
// the conversation nearest the date, Esc leaves it.
class ReaderWindow : public QDialog {
 public:
  explicit ReaderWindow(ReaderSetup setup = {}, QWidget* parent = nullptr);
  ~ReaderWindow() override;

  // Shows the histories at `path` (a history file or a folder of them); fails, showing
  // nothing new, when nothing is there or the folder cannot be listed.
  Result<> Open(const std::string& path);
  // Whether a search is running.
  bool Searching() const { return searching_ != nullptr; }
  // Whether the chosen history is still being loaded.
  bool Loading() const { return awaiting_; }

  void done(int result) override;

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void BuildControls();
  void BuildEdits();
  void BuildLists();
  void BuildLabels();
  // Open file and Open folder, which only the layout needs.
  std::pair<QPushButton*, QPushButton*> BuildButtons();
  void LayOut(QPushButton* openFile, QPushButton* openFolder);
  void BuildShortcuts();
  void Restore();
  void Save();
  void ShowShelf(std::vector<ShelfHistory> shelf);
  void SummariseNext();
  void ChooseContact(const QModelIndex& current);
  void ChooseConversation(const QModelIndex& current);
  void LoadChosen();
  void LoadNext();
  struct LoadedBook;
  void ShowLoaded(LoadedBook loaded);
  void NameChosen();
  void Changed(const QString& path);
  void OpenChosen(bool folder);
  void CopySelected();
  void Export(bool all);
  void StartSearch();
  void ShowHits(SearchReport report);
  void JumpTo(int hit);
  void Step(int by);
  bool BackToResults();
  int EntryOfHit(int hit);
  void Say(const QString& text);
  bool LeaveEdit();
  void UpdateActions();
  void AskForDate();
  void GoToDate();

  ReaderSetup setup_;
  std::string root_;  // the path the shelf was opened on
  ContactsModel* contacts_ = nullptr;
  ContactFilter* filtered_;
  ConversationsModel* conversations_;
  EntriesModel* entries_;
  SearchResultsModel* results_;
  QLineEdit* filter_;
  QLineEdit* search_;
  QDateEdit* date_;
  QListView* contactList_;
  QListView* conversationList_;
  MessageView* entryList_;
  QListView* resultList_;
  QLabel* searchStatus_;
  QLabel* status_;
  QLabel* linkTarget_;
  QLabel* changed_;
  QPushButton* reload_;
  QPushButton* next_;
  QPushButton* previous_;
  QPushButton* copy_;
  QPushButton* exportContact_;
  QPushButton* exportAll_;
  QSplitter* sides_;
  QSplitter* panes_;
  QStackedWidget* pages_;
  QFileSystemWatcher* watcher_;
  std::shared_ptr<const HistoryBook> book_;
  int bookRow_ = -1;               // the contact whose book is held
  int loadsAsked_ = 0;             // a load asked for before the last one is stale
  bool awaiting_ = false;          // the last load asked for has not come yet
  int pendingHit_ = -1;            // the hit to show once the chosen history has loaded
  std::vector<int> hitEntries_;    // per hit: its entry in its history, -2 until looked for
  int hit_ = -1;                   // the hit shown, -1 while the hits are listed
  int lastHit_ = -1;               // the hit shown last, kept on going back to the list
  int keptConversation_ = -1;      // the conversation to choose again once reloaded
  QPointer<QThread> searching_;    // the search running, if any
  QPointer<QThread> summarising_;  // the summary being read, if any
  QPointer<QThread> loading_;      // the history being loaded, if any
  QPointer<QThread> naming_;       // who takes part in the chosen history, being read
};

// Shows the reader window modally over `parent` on `path`; on none when `path` is empty, or
// when nothing is there (the window then says why).
void RunReaderWindow(QWidget* parent, const std::string& path, ReaderSetup setup);

}  // namespace palvarin

// The reader window's search: run off the GUI thread, its hits listed, each shown in its
// conversation.
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QStackedWidget>
#include <algorithm>

#include "background_run.hpp"
#include "contact_filter.hpp"
#include "contacts_model.hpp"
#include "conversations_model.hpp"
#include "entries_model.hpp"
#include "message_view.hpp"
#include "reader/history_book.hpp"
#include "search/search_query.hpp"
#include "search_results_model.hpp"
#include "texts/cause_text.hpp"
#include "ui/reader/reader_window.hpp"
#include "ui/shared/dialog_strings.hpp"

namespace palvarin {

void ReaderWindow::StartSearch() {
  const std::vector<std::string> words = QueryWords(search_->text().toStdString());
  if (words.empty() || root_.empty() || searching_ != nullptr) return;
  searchStatus_->setText(QTr("Searching..."));
  pages_->setCurrentIndex(1);
  searching_ = RunInBackground(
      this,
      [path = root_, words, index = setup_.searchIndex] { return RunSearch(path, words, index); },
      [this](SearchReport report) {
        searching_ = nullptr;
        ShowHits(std::move(report));
      });
}

void ReaderWindow::ShowHits(SearchReport report) {
  QStringList words;
  for (const std::string& word : QueryWords(search_->text().toStdString())) {
    words << FromUtf8(word);
  }
  const std::size_t count = report.hits.size();
  QStringList lines{FromUtf8(
      Format(TrN("{0} message found", "{0} messages found", static_cast<unsigned long>(count)),
             {std::to_string(count)}))};
  if (!report.searched) lines << FromUtf8(Word(report.searched.reason()));
  for (const Result<>& unread : report.unread) lines << FromUtf8(Word(unread.reason()));
  for (const Reason& damage : report.rescued) lines << FromUtf8(Word(damage));
  searchStatus_->setText(lines.join(u'\n'));
  results_->Show(std::move(report.hits), words);
  hitEntries_.assign(count, -2);
  hit_ = -1;
  lastHit_ = -1;
  previous_->setEnabled(count > 0);
  next_->setEnabled(count > 0);
  pages_->setCurrentIndex(1);
  if (count > 0) resultList_->setCurrentIndex(results_->index(0));
  resultList_->setFocus();
}

// The entry the hit is in its history, read from the chosen book: the hits of one history
// come in its order, so each is looked for after the one before it. -1 when the history no
// longer holds it.
int ReaderWindow::EntryOfHit(int hit) {
  const std::vector<SearchHit>& hits = results_->Hits();
  const auto at = static_cast<std::size_t>(hit);
  if (hitEntries_[at] != -2) return hitEntries_[at];
  std::size_t first = at;
  while (first > 0 && hits[first - 1].file == hits[at].file) --first;
  int from = 0;
  for (std::size_t k = first; k <= at; ++k) {
    if (hitEntries_[k] == -2) {
      hitEntries_[k] = book_->FindMessage(from, hits[k].sender, hits[k].text);
    }
    if (hitEntries_[k] >= 0) from = hitEntries_[k] + 1;
  }
  return hitEntries_[at];
}

void ReaderWindow::JumpTo(int hit) {
  if (hit < 0 || hit >= results_->rowCount()) return;
  hit_ = hit;
  lastHit_ = hit;
  resultList_->setCurrentIndex(results_->index(hit));
  const int row = contacts_->RowOf(results_->Hits()[static_cast<std::size_t>(hit)].file);
  if (row < 0) return;
  if (row != bookRow_ || !book_) {
    filter_->clear();
    contactList_->setCurrentIndex(filtered_->mapFromSource(contacts_->index(row)));
  }
  if (!book_) {
    if (awaiting_) pendingHit_ = hit;  // shown once its history has loaded
    return;
  }
  const int entry = EntryOfHit(hit);
  pages_->setCurrentIndex(0);
  if (entry < 0) {
    Say(QTr("This message is no longer in the history; search again."));
    return;
  }
  const int conversation = book_->ConversationOf(entry);
  conversationList_->setCurrentIndex(conversations_->index(conversation));
  entries_->Highlight(results_->Words());
  entryList_->ShowHighlight(entries_->index(entries_->RowOfEntry(
      entry - book_->Conversations()[static_cast<std::size_t>(conversation)].first)));
  entryList_->setFocus();
}

void ReaderWindow::Step(int by) {
  const int count = results_->rowCount();
  if (count == 0) return;
  // From the list, the hit current there is shown first, or the one after it when it was
  // shown last.
  if (hit_ < 0) {
    const int current = std::max(resultList_->currentIndex().row(), 0);
    return JumpTo(current == lastHit_ ? (current + by + count) % count : current);
  }
  JumpTo((hit_ + by + count) % count);
}

// Esc: from a hit shown back to the hits, from the hits back to the conversations; false when
// neither is open, and Esc closes the window.
bool ReaderWindow::BackToResults() {
  if (pages_->currentIndex() == 1) {
    pages_->setCurrentIndex(0);
    contactList_->setFocus();
    return true;
  }
  if (hit_ < 0) return false;
  hit_ = -1;
  pages_->setCurrentIndex(1);
  resultList_->setFocus();
  return true;
}

}  // namespace palvarin

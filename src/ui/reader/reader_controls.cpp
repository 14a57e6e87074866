// The reader window's controls: its fields, lists, labels and buttons, how they are laid out,
// and the keys that reach them.
#include <QDateEdit>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QShortcut>
#include <QSplitter>
#include <QStackedWidget>
#include <QVBoxLayout>
#include <utility>

#include "contact_filter.hpp"
#include "conversations_model.hpp"
#include "entries_model.hpp"
#include "highlight_delegate.hpp"
#include "message_links.hpp"
#include "message_view.hpp"
#include "search_results_model.hpp"
#include "ui/reader/reader_window.hpp"
#include "ui/shared/dialog_strings.hpp"
#include "ui/shared/plain_tool_tip.hpp"
#include "visible_text.hpp"

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

// A widget holding `top` above `bottom`, edge to edge.
QWidget* Column(QWidget* parent, QWidget* top, QWidget* bottom) {
  auto* column = new QWidget(parent);
  auto* layout = new QVBoxLayout(column);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(top);
  layout->addWidget(bottom);
  return column;
}

}  // namespace

// In this order: the keyboard reaches the controls in the order they are made, where no tab
// order says otherwise.
void ReaderWindow::BuildControls() {
  BuildEdits();
  BuildLists();
  BuildLabels();
  const auto [openFile, openFolder] = BuildButtons();
  LayOut(openFile, openFolder);
}

void ReaderWindow::BuildEdits() {
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
}

void ReaderWindow::BuildLists() {
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
}

void ReaderWindow::BuildLabels() {
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
}

std::pair<QPushButton*, QPushButton*> ReaderWindow::BuildButtons() {
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
  return {openFile, openFolder};
}

void ReaderWindow::LayOut(QPushButton* openFile, QPushButton* openFolder) {
  QWidget* left = Column(this, filter_, contactList_);
  panes_ = new QSplitter(this);
  panes_->setObjectName(QStringLiteral("readerPanes"));
  panes_->addWidget(conversationList_);
  panes_->addWidget(entryList_);
  panes_->setStretchFactor(1, 1);
  QWidget* resultsPage = Column(this, searchStatus_, resultList_);
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

}  // namespace palvarin

// The reader window's opening of a history, and its search, for bench/reader-bench.sh:
//   palvarin_reader_open <history file> [query]
// Opens the reader window (offscreen unless a platform is chosen) on the file as `--read`
// does, waits for the file's load off the GUI thread, and exits as soon as its conversation list
// holds the history's conversations and has been painted; prints how many conversations it shows
// and the seconds from the start of main until then (the first screen; what the window reads
// after it, who takes part, still runs before the process ends).
// Given a query, it then searches as Enter in the search box does and prints the hits and the
// seconds from Enter until they are listed. Exits with 1 when the file cannot be opened or shows
// nothing.
#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QListView>
#include <cstdio>

#include "ui/reader/reader_window.hpp"

int main(int argc, char** argv) {
  if (argc != 2 && argc != 3) {
    std::fprintf(stderr, "usage: %s <history file> [query]\n", argv[0]);
    return 2;
  }
  QElapsedTimer sinceStart;
  sinceStart.start();
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  palvarin::ReaderWindow window;
  window.show();
  if (!window.Open(argv[1])) return 1;
  while (window.Loading()) QApplication::processEvents(QEventLoop::WaitForMoreEvents);
  const auto* list = window.findChild<QListView*>(QStringLiteral("readerConversations"));
  const int shown = list->model()->rowCount();
  // The list drawn as the screen would show it.
  (void)list->viewport()->grab();
  std::printf("%d conversations, first screen in %.3f s\n", shown,
              static_cast<double>(sinceStart.nsecsElapsed()) / 1e9);
  if (argc == 3) {
    auto* search = window.findChild<QLineEdit*>(QStringLiteral("readerSearch"));
    const auto* results = window.findChild<QListView*>(QStringLiteral("readerResults"));
    search->setText(QString::fromLocal8Bit(argv[2]));
    QElapsedTimer clock;
    clock.start();
    emit search->returnPressed();
    while (window.Searching()) QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    (void)results->viewport()->grab();
    std::printf("%d hits in %.3f s\n", results->model()->rowCount(),
                static_cast<double>(clock.nsecsElapsed()) / 1e9);
  }
  return shown > 0 ? 0 : 1;
}

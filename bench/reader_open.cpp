// The reader window's opening of a history, for bench/reader-bench.sh:
//   palvarin_reader_open <history file>
// Opens the reader window (offscreen unless a platform is chosen) on the file as `--read`
// does, and exits as soon as its conversation list holds the history's conversations and has
// been painted. Prints how many conversations it shows. Exits with 1 when the file cannot be
// opened.
#include <QApplication>
#include <QListView>
#include <cstdio>

#include "reader_window.hpp"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <history file>\n", argv[0]);
    return 2;
  }
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  palvarin::ReaderWindow window;
  window.show();
  if (!window.Open(argv[1])) return 1;
  const auto* list = window.findChild<QListView*>(QStringLiteral("readerConversations"));
  const int shown = list->model()->rowCount();
  // The list drawn as the screen would show it.
  (void)list->viewport()->grab();
  std::printf("%d conversations\n", shown);
  return shown > 0 ? 0 : 1;
}

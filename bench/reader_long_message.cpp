// One very long message in the reader window, for bench/reader-bench.sh:
//   palvarin_reader_long_message <characters> <history file>
// Writes a history whose second entry is one message of <characters> characters (Japanese and
// English words, a long link) unless the file is there, opens the reader window on it
// (offscreen unless a platform is chosen), and prints the longest and the median time the GUI
// thread takes to answer each wheel step and each Page Down through the whole message (the
// step, the events it causes and a paint of the view), and the time from Enter on a search hit
// near its end until the hit is painted in sight.
#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QListView>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QWheelEvent>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "ui/reader/reader_window.hpp"

namespace {

double Milliseconds(qint64 nanoseconds) { return static_cast<double>(nanoseconds) / 1e6; }

void WriteHistory(const std::filesystem::path& file, std::size_t characters) {
  std::string text;
  std::size_t count = 0;  // characters: bytes that start one
  for (int at = 0; count < characters; ++at) {
    const std::size_t before = text.size();
    text += at % 3 == 0 ? "電車が遅れています " : "the train is late again ";
    if (at % 400 == 399) text += "https://example.com/" + std::string(2000, 'q') + " ";
    for (std::size_t byte = before; byte < text.size(); ++byte) {
      count += (static_cast<unsigned char>(text[byte]) & 0xC0) != 0x80;
    }
  }
  text += "needleword";
  const auto message = [](const char* time, const std::string& body) {
    return "<Message Date=\"2005/01/02\" Time=\"" + std::string(time) +
           "\" SessionID=\"1\"><From><User FriendlyName=\"Alice\"/></From><Text>" + body +
           "</Text></Message>";
  };
  std::ofstream(file, std::ios::binary)
      << "<?xml version=\"1.0\"?>\r\n<Log FirstSessionID=\"1\" LastSessionID=\"1\">"
      << message("9:17:00", "before") << message("9:17:03", text) << message("9:18:00", "after")
      << "</Log>\r\n";
}

struct Steps {
  std::vector<qint64> times;
  void Print(const char* what) {
    std::sort(times.begin(), times.end());
    std::printf("%s: %zu steps, median %.2f ms, worst %.2f ms\n", what, times.size(),
                Milliseconds(times[times.size() / 2]), Milliseconds(times.back()));
  }
};

// Steps with `step` until the scroll bar stops moving; each timed with its events and a paint.
template <typename Step>
Steps Through(QListView* view, Step step) {
  Steps steps;
  QScrollBar* bar = view->verticalScrollBar();
  bar->setValue(0);
  QApplication::processEvents();
  QElapsedTimer clock;
  for (int last = -1; bar->value() != last && steps.times.size() < 100000;) {
    last = bar->value();
    clock.start();
    step();
    QApplication::processEvents();
    view->viewport()->repaint();
    steps.times.push_back(clock.nsecsElapsed());
  }
  return steps;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3 || std::atoi(argv[1]) <= 0) {
    std::fprintf(stderr, "usage: %s <characters> <history file>\n", argv[0]);
    return 2;
  }
  const std::filesystem::path file = argv[2];
  if (!std::filesystem::exists(file)) WriteHistory(file, std::atoi(argv[1]));
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  const QTemporaryDir cache;
  palvarin::ReaderWindow window(
      {.searchIndex = cache.filePath(QStringLiteral("index.sqlite3")).toStdString()});
  window.resize(1000, 700);
  window.show();
  if (!window.Open(file.string())) return 1;
  while (window.Loading()) QApplication::processEvents();
  auto* conversations = window.findChild<QListView*>(QStringLiteral("readerConversations"));
  auto* view = window.findChild<QListView*>(QStringLiteral("readerConversation"));
  QElapsedTimer clock;
  clock.start();
  conversations->setCurrentIndex(conversations->model()->index(0, 0));
  QApplication::processEvents();
  view->viewport()->repaint();
  std::printf(
      "message of %lld characters: first page painted in %.1f ms\n",
      static_cast<long long>(view->model()->index(2, 0).data(Qt::DisplayRole).toString().size()),
      Milliseconds(clock.nsecsElapsed()));

  const QPointF inside(100, 100);
  Through(view, [&] {
    QWheelEvent wheel(inside, view->viewport()->mapToGlobal(inside), {}, {0, -120}, Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(view->viewport(), &wheel);
  }).Print("wheel");
  Through(view, [&] { QTest::keyClick(view, Qt::Key_PageDown); }).Print("Page Down");

  auto* search = window.findChild<QLineEdit*>(QStringLiteral("readerSearch"));
  search->setText(QStringLiteral("needleword"));
  QTest::keyClick(search, Qt::Key_Return);
  while (window.Searching()) QApplication::processEvents();
  auto* results = window.findChild<QListView*>(QStringLiteral("readerResults"));
  view->verticalScrollBar()->setValue(0);
  clock.restart();
  QTest::keyClick(results, Qt::Key_Return);
  QApplication::processEvents();
  view->viewport()->repaint();
  std::printf("search hit at its end shown in %.1f ms (view at %d of %d)\n",
              Milliseconds(clock.nsecsElapsed()), view->verticalScrollBar()->value(),
              view->verticalScrollBar()->maximum());
  return 0;
}

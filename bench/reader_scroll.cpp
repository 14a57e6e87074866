// The reader window on a very large history, for bench/reader-bench.sh:
//   palvarin_reader_scroll <entries> <history file>
// Writes a history of one session of <entries> entries to the file unless it is there, opens
// the reader window on it (offscreen unless a platform is chosen) and prints:
// - the load: seconds until the history is shown, and the longest the GUI thread went without
//   turning its event loop meanwhile (the load runs on a thread of its own); resident memory;
// - the largest conversation chosen: seconds until its first page is painted;
// - the scroll from its top to its bottom a page at a time, each step the page-down, the events
//   it causes and a paint of the view: steps, median and worst milliseconds per step, total,
//   resident memory at the bottom.
#include <QApplication>
#include <QElapsedTimer>
#include <QListView>
#include <QScrollBar>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "history_generator.hpp"
#include "ui/reader/reader_window.hpp"

namespace {

double Milliseconds(qint64 nanoseconds) { return static_cast<double>(nanoseconds) / 1e6; }

// The process's resident memory now, in MB, as /proc gives it (0 where it does not).
long ResidentMegabytes() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6) / 1024;
  }
  return 0;
}

// Turns the event loop until `done`; returns the longest turn, in nanoseconds. A timer keeps
// the loop turning as a screen's refresh would.
template <typename Done>
qint64 LongestTurnUntil(Done done) {
  QTimer tick;
  tick.start(5);
  QElapsedTimer turn;
  qint64 longest = 0;
  while (!done()) {
    turn.start();
    QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    longest = std::max(longest, turn.nsecsElapsed());
  }
  return longest;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3 || std::atoi(argv[1]) <= 0) {
    std::fprintf(stderr, "usage: %s <entries> <history file>\n", argv[0]);
    return 2;
  }
  const std::filesystem::path file = argv[2];
  if (!std::filesystem::exists(file)) {
    std::ofstream(file, std::ios::binary)
        << palvarin::bench::GenerateSessionPair(std::atoi(argv[1]), 0, 0, 20240501).first;
  }
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  palvarin::ReaderWindow window;
  window.resize(1000, 700);
  window.show();
  QElapsedTimer clock;
  clock.start();
  if (!window.Open(file.string())) return 1;
  const qint64 longestTurn = LongestTurnUntil([&] { return !window.Loading(); });
  auto* conversations = window.findChild<QListView*>(QStringLiteral("readerConversations"));
  auto* entries = window.findChild<QListView*>(QStringLiteral("readerConversation"));
  (void)conversations->viewport()->grab();
  std::printf("loaded in %.2f s, longest event-loop turn meanwhile %.1f ms, resident %ld MB\n",
              static_cast<double>(clock.nsecsElapsed()) / 1e9, Milliseconds(longestTurn),
              ResidentMegabytes());

  int largest = -1;
  int largestCount = 0;
  for (int row = 0; row < conversations->model()->rowCount(); ++row) {
    // "date time\nN entries": the count is the first number of the second line.
    const QString text = conversations->model()->index(row, 0).data().toString();
    const int count = text.section(u'\n', 1).section(u' ', 0, 0).toInt();
    if (largest < 0 || count > largestCount) largest = row, largestCount = count;
  }
  if (largest < 0 || largestCount == 0) return 1;
  clock.restart();
  conversations->setCurrentIndex(conversations->model()->index(largest, 0));
  QApplication::processEvents();
  entries->viewport()->repaint();
  std::printf("conversation %d of %d entries: first page painted in %.3f s\n", largest,
              entries->model()->rowCount(), static_cast<double>(clock.nsecsElapsed()) / 1e9);

  // Page down until the last entry is shown: a view that lays its rows out in batches grows
  // its range while it is scrolled.
  QScrollBar* bar = entries->verticalScrollBar();
  const QModelIndex lastEntry = entries->model()->index(entries->model()->rowCount() - 1, 0);
  const auto atBottom = [&] {
    return entries->visualRect(lastEntry).intersects(entries->viewport()->rect());
  };
  std::vector<qint64> steps;
  QElapsedTimer step;
  clock.restart();
  while (!atBottom() && steps.size() < 2000000) {
    step.start();
    bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
    QApplication::processEvents();
    entries->viewport()->repaint();
    steps.push_back(step.nsecsElapsed());
  }
  const double total = static_cast<double>(clock.nsecsElapsed()) / 1e9;
  std::vector<qint64> sorted = steps;
  std::sort(sorted.begin(), sorted.end());
  std::printf(
      "scrolled to the bottom in %zu page-down steps, %.2f s: median %.2f ms, "
      "99th percentile %.2f ms, worst %.2f ms per step\n",
      steps.size(), total, Milliseconds(sorted[sorted.size() / 2]),
      Milliseconds(sorted[sorted.size() * 99 / 100]), Milliseconds(sorted.back()));
  return atBottom() ? 0 : 1;
}

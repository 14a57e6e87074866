// Times the merge of every generated case against the pugixml parse floor and xmllint (and, for
// folders, the durable write floor), side by side, repetitions interleaved, the best run of each
// kept.
//   palvarin_run_benchmarks <data folder> [repetitions] [case name]...

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench_cases.hpp"
#include "bench_report.hpp"
#include "child_process.hpp"

namespace fs = std::filesystem;
using namespace palvarin::bench;

namespace {

// The zone the generated histories were written in.
const std::string kZone = "TZ=Asia/Tokyo";

std::vector<std::string> HistoryFiles(const fs::path& folder) {
  std::vector<std::string> files;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
    if (entry.path().extension() == ".xml") files.push_back(entry.path().string());
  }
  std::sort(files.begin(), files.end());
  return files;
}

std::uintmax_t InputBytes(const fs::path& folder) {
  std::uintmax_t bytes = 0;
  for (const char* side : {"pc1", "pc2"}) {
    for (const std::string& file : HistoryFiles(folder / side)) bytes += fs::file_size(file);
  }
  return bytes;
}

// What the tool is given: the two files of a file case, the two folders of a folder case.
std::vector<std::string> Inputs(const BenchCase& bench, const fs::path& folder) {
  if (bench.contacts > 0) return {folder / "pc1", folder / "pc2"};
  return {folder / "pc1" / kContactFile, folder / "pc2" / kContactFile};
}

std::vector<std::string> Command(Tool tool, const BenchCase& bench, const fs::path& folder,
                                 const fs::path& work) {
  const std::vector<std::string> inputs = Inputs(bench, folder);
  switch (tool) {
    case Tool::kMerge: {
      const std::string output = bench.contacts > 0 ? work / "out" : work / "out.xml";
      return {PALVARIN_BINARY,
              "/n",
              bench.contacts > 0 ? "/d" : "/f",
              "/t",
              "/a",
              "/p1",
              inputs[0],
              "/p2",
              inputs[1],
              "/ps",
              output};
    }
    case Tool::kFloor:
      return {PARSE_FLOOR_BINARY, inputs[0], inputs[1]};
    case Tool::kWriteFloor:
      return {WRITE_FLOOR_BINARY, inputs[0], inputs[1], work / "out"};
    case Tool::kXmllint:
      break;
  }
  std::vector<std::string> command{"xmllint", "--noout"};
  for (const char* side : {"pc1", "pc2"}) {
    const auto files = bench.contacts > 0 ? HistoryFiles(folder / side)
                                          : std::vector<std::string>{folder / side / kContactFile};
    command.insert(command.end(), files.begin(), files.end());
  }
  return command;
}

// Every run starts from a fresh profile and an output folder no run has used. The outputs stay
// until the end (a few GB): right after thousands of files or a large one were deleted, this
// file system (ext4 with online discard) creates and flushes files several times slower, which
// would charge the benchmark's own clean-up to the next merge.
fs::path FreshWork(const fs::path& work) {
  static int runs = 0;
  const fs::path fresh = work / ("run-" + std::to_string(++runs));
  fs::create_directories(fresh / "out");
  return fresh;
}

void RunOnce(const BenchCase& bench, const fs::path& data, const fs::path& work, Results& results) {
  const fs::path folder = data / bench.name;
  const std::uintmax_t input = InputBytes(folder);
  for (Tool tool : {Tool::kMerge, Tool::kFloor, Tool::kXmllint, Tool::kWriteFloor}) {
    if (tool == Tool::kWriteFloor && bench.contacts == 0) continue;
    const fs::path run = FreshWork(work);
    const std::vector<std::string> environment{kZone,
                                               "PALVARIN_PROFILE=" + (run / "profile").string()};
    const ChildRun child = RunChild(Command(tool, bench, folder, run), environment);
    Figures& figures = results[bench.name][tool];
    figures.inputBytes = input;
    if (!child.succeeded) {
      ++figures.failures;
      continue;
    }
    if (child.seconds < figures.bestSeconds) {
      figures.bestSeconds = child.seconds;
      figures.cpuSeconds = child.cpuSeconds;
    }
    figures.peakKilobytes = std::max(figures.peakKilobytes, child.peakKilobytes);
  }
}

std::string LoadAverage() {
  std::ifstream in("/proc/loadavg");
  std::string line;
  std::getline(in, line);
  return line;
}

bool Selected(const BenchCase& bench, int argc, char** argv) {
  if (argc <= 3) return true;
  return std::find(argv + 3, argv + argc, bench.name) != argv + argc;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s <data folder> [repetitions] [case name]...\n", argv[0]);
    return 2;
  }
  const fs::path data = argv[1];
  const int repetitions = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
  const fs::path work = fs::temp_directory_path() / ("palvarin-bench-" + std::to_string(getpid()));
  std::printf("load average before: %s\n\n", LoadAverage().c_str());
  Results results;
  for (int repetition = 0; repetition < repetitions; ++repetition) {
    for (const BenchCase& bench : BenchCases()) {
      if (Selected(bench, argc, argv)) RunOnce(bench, data, work, results);
    }
  }
  fs::remove_all(work);
  PrintReport(results);
  std::printf("\nload average after: %s; best of %d interleaved repetitions\n",
              LoadAverage().c_str(), repetitions);
  return 0;
}

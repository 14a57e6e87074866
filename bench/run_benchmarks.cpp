// Times the merge of every generated case against the pugixml parse and load floors, the durable
// write floor of its merged output, and xmllint, side by side, repetitions interleaved, the best
// run of each kept. Given another build of the program, times its merge of the same inputs too,
// this build and that one taking turns at going first.
//   palvarin_run_benchmarks [--baseline <palvarin program>] <data folder> [repetitions]
//                           [case name]...

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

// How the driver was asked to run.
struct Settings {
  fs::path data;
  fs::path work;
  std::string baseline;  // another build's program, or empty
  int repetitions = 5;
  std::vector<std::string> cases;  // empty: all
};

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

// The merge of a case into `output`: a folder for a folder case, else a file.
std::vector<std::string> MergeCommand(const std::string& program, const BenchCase& bench,
                                      const fs::path& folder, const fs::path& output) {
  const std::vector<std::string> inputs = Inputs(bench, folder);
  return {program,   "/n",  bench.contacts > 0 ? "/d" : "/f",
          "/t",      "/a",  "/p1",
          inputs[0], "/p2", inputs[1],
          "/ps",     output};
}

// The folder of the case's merged output, made once by this build's merge: what the durable
// write floor writes.
fs::path MergedOutput(const BenchCase& bench, const fs::path& folder) {
  const fs::path merged = folder / "merged";
  if (fs::exists(merged)) return merged;
  const fs::path making = folder / "merged.making";
  fs::remove_all(making);
  fs::create_directories(making);
  const fs::path output = bench.contacts > 0 ? making : making / kContactFile;
  const fs::path profile =
      FreshWork(fs::temp_directory_path() / "palvarin-bench-merged") / "profile";
  const ChildRun run = RunChild(MergeCommand(PALVARIN_BINARY, bench, folder, output),
                                {kZone, "PALVARIN_PROFILE=" + profile.string()});
  fs::remove_all(profile.parent_path().parent_path());
  if (!run.succeeded) {
    std::fprintf(stderr, "%s: the merge for the write floor failed\n", folder.c_str());
    return making;  // the write floor then fails, and says so in the table
  }
  fs::rename(making, merged);
  return merged;
}

std::vector<std::string> Command(Tool tool, const BenchCase& bench, const fs::path& folder,
                                 const fs::path& work, const Settings& settings) {
  const std::vector<std::string> inputs = Inputs(bench, folder);
  switch (tool) {
    case Tool::kMerge:
    case Tool::kBaseline: {
      const std::string output = bench.contacts > 0 ? work / "out" : work / "out.xml";
      return MergeCommand(tool == Tool::kMerge ? PALVARIN_BINARY : settings.baseline, bench, folder,
                          output);
    }
    case Tool::kFloor:
      return {PARSE_FLOOR_BINARY, inputs[0], inputs[1]};
    case Tool::kLoadFloor:
      return {PARSE_FLOOR_BINARY, "--together", inputs[0], inputs[1]};
    case Tool::kWriteFloor: {
      const fs::path merged = MergedOutput(bench, folder);
      return {WRITE_FLOOR_BINARY, merged, merged, work / "out"};
    }
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

// The tools in the order of one repetition: the two merges take turns at going first, so that
// neither always finds the inputs just read by the other.
std::vector<Tool> ToolsInTurn(const Settings& settings, int repetition) {
  std::vector<Tool> tools{Tool::kMerge, Tool::kFloor, Tool::kLoadFloor, Tool::kXmllint,
                          Tool::kWriteFloor};
  if (settings.baseline.empty()) return tools;
  tools.insert(tools.begin() + (repetition % 2 == 0 ? 1 : 0), Tool::kBaseline);
  return tools;
}

void RunOnce(const BenchCase& bench, const Settings& settings, int repetition, Results& results) {
  const fs::path folder = settings.data / bench.name;
  const std::uintmax_t input = InputBytes(folder);
  for (Tool tool : ToolsInTurn(settings, repetition)) {
    if (tool == Tool::kLoadFloor && bench.contacts > 0) continue;
    const fs::path run = FreshWork(settings.work);
    const std::vector<std::string> environment{kZone,
                                               "PALVARIN_PROFILE=" + (run / "profile").string()};
    const ChildRun child = RunChild(Command(tool, bench, folder, run, settings), environment);
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

bool Selected(const BenchCase& bench, const Settings& settings) {
  return settings.cases.empty() || std::find(settings.cases.begin(), settings.cases.end(),
                                             bench.name) != settings.cases.end();
}

// False on a command line that does not fit the usage.
bool ReadSettings(int argc, char** argv, Settings& settings) {
  std::vector<std::string> rest(argv + 1, argv + argc);
  if (rest.size() >= 2 && rest[0] == "--baseline") {
    settings.baseline = rest[1];
    rest.erase(rest.begin(), rest.begin() + 2);
  }
  if (rest.empty()) return false;
  settings.data = rest[0];
  if (rest.size() > 1) settings.repetitions = std::max(1, std::atoi(rest[1].c_str()));
  if (rest.size() > 2) settings.cases.assign(rest.begin() + 2, rest.end());
  settings.work = fs::temp_directory_path() / ("palvarin-bench-" + std::to_string(getpid()));
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  Settings settings;
  if (!ReadSettings(argc, argv, settings)) {
    std::fprintf(stderr,
                 "usage: %s [--baseline <palvarin program>] <data folder> [repetitions] "
                 "[case name]...\n",
                 argv[0]);
    return 2;
  }
  std::printf("load average before: %s\n\n", LoadAverage().c_str());
  Results results;
  for (int repetition = 0; repetition < settings.repetitions; ++repetition) {
    for (const BenchCase& bench : BenchCases()) {
      if (Selected(bench, settings)) RunOnce(bench, settings, repetition, results);
    }
  }
  fs::remove_all(settings.work);
  PrintReport(results);
  std::printf("\nload average after: %s; best of %d interleaved repetitions\n",
              LoadAverage().c_str(), settings.repetitions);
  return 0;
}

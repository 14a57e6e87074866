// Times `palvarin --gather` of several PCs' copies of many contacts against its floor: loading
// every input once with pugixml (palvarin_parse_floor) plus writing one output per name
// durably (palvarin_write_floor), with the peak memory of the gather and the processor time
// (user and system) of both: on a shared machine it varies less than the wall time. Best of N
// runs each, gather and floor taking turns. Prints a Markdown table row.
//   palvarin_gather_benchmark <work folder> [contacts, default 1000] [copies, default 6]
//                             [runs, default 3]
// The copies of a contact are the two PCs' files of the generator's pair taken in turn, every
// third one an older backup that ends earlier: a whole file, its other PC's file, and backups
// that lack the last sessions.

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>
#include <string>
#include <vector>

#include "child_process.hpp"
#include "history_generator.hpp"

namespace fs = std::filesystem;
using namespace palvarin::bench;

namespace {

constexpr std::size_t kContactBytes = 30 * 1000;

// The file cut before the entry that begins after `share` of its bytes: an older backup.
std::string EndedEarlier(const std::string& file, double share) {
  const std::size_t at = file.find("<Message", static_cast<std::size_t>(file.size() * share));
  if (at == std::string::npos) return file;
  return file.substr(0, at) + "</Log>\r\n";
}

void Write(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

std::vector<std::string> MakeCopies(const fs::path& data, int contacts, int copies) {
  std::vector<std::string> folders;
  for (int k = 0; k < copies; ++k) {
    folders.push_back((data / ("pc" + std::to_string(k + 1))).string());
    fs::create_directories(folders.back());
  }
  for (int c = 0; c < contacts; ++c) {
    const HistoryPair pair = GenerateHistoryPair(kContactBytes, static_cast<std::uint32_t>(c));
    const std::string name = "contact" + std::to_string(c) + ".xml";
    for (int k = 0; k < copies; ++k) {
      const std::string& whole = k % 2 == 0 ? pair.first : pair.second;
      Write(fs::path(folders[static_cast<std::size_t>(k)]) / name,
            k % 3 == 2 ? EndedEarlier(whole, 0.7) : whole);
    }
  }
  return folders;
}

struct Best {
  double seconds = std::numeric_limits<double>::infinity();
  double cpuSeconds = std::numeric_limits<double>::infinity();
  long peakKilobytes = 0;
  void Add(const ChildRun& run) {
    if (!run.succeeded) {
      std::fprintf(stderr, "a run failed\n");
      std::exit(1);
    }
    seconds = std::min(seconds, run.seconds);
    cpuSeconds = std::min(cpuSeconds, run.cpuSeconds);
    peakKilobytes = std::max(peakKilobytes, run.peakKilobytes);
  }
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s <work folder> [contacts] [copies] [runs]\n", argv[0]);
    return 2;
  }
  const fs::path work = argv[1];
  const int contacts = argc > 2 ? std::atoi(argv[2]) : 1000;
  const int copies = argc > 3 ? std::atoi(argv[3]) : 6;
  const int runs = argc > 4 ? std::atoi(argv[4]) : 3;
  const fs::path data =
      work / ("gather-" + std::to_string(copies) + "x" + std::to_string(contacts));
  fs::remove_all(data);
  const std::vector<std::string> folders = MakeCopies(data, contacts, copies);
  const std::vector<std::string> environment = {"TZ=Asia/Tokyo",
                                                "PALVARIN_PROFILE=" + (work / "profile").string()};
  Best gather;
  Best load;
  Best write;
  Best floor;
  for (int run = 0; run < runs; ++run) {
    const fs::path out = work / "gathered";
    fs::remove_all(out);
    std::vector<std::string> command = {PALVARIN_BINARY, "--gather", "--quiet"};
    for (const std::string& folder : folders) command.push_back("--input=" + folder);
    command.push_back("--output=" + out.string());
    gather.Add(RunChild(command, environment));

    std::vector<std::string> parse = {PARSE_FLOOR_BINARY};
    parse.insert(parse.end(), folders.begin(), folders.end());
    const ChildRun loaded = RunChild(parse, {});
    const fs::path floorOut = work / "floor";
    fs::remove_all(floorOut);
    fs::create_directories(floorOut);
    const ChildRun written =
        RunChild({WRITE_FLOOR_BINARY, folders[0], folders[1], floorOut.string()}, {});
    load.Add(loaded);
    write.Add(written);
    ChildRun both = loaded;
    both.seconds += written.seconds;
    both.cpuSeconds += written.cpuSeconds;
    floor.Add(both);
  }
  std::printf(
      "| copies | contacts | gather (s) | load floor (s) | write floor (s) | ratio | "
      "gather peak (MB) | gather CPU (s) | floor CPU (s) "
      "|\n|---|---|---|---|---|---|---|---|---|\n");
  std::printf("| %d | %d | %.2f | %.2f | %.2f | %.2f | %.0f | %.2f | %.2f |\n", copies, contacts,
              gather.seconds, load.seconds, write.seconds, gather.seconds / floor.seconds,
              static_cast<double>(gather.peakKilobytes) / 1024.0, gather.cpuSeconds,
              floor.cpuSeconds);
  fs::remove_all(data);
  return 0;
}

// Times the search: building its index for 10 and 1,000 contacts of about 30 KB against the
// pugixml parse floor of the same files, and a query answered from the kept index over 1,000
// contacts against the same query over 10, and each also as the first query right after a
// build.
// Writes its inputs once under the data folder.
//   palvarin_search_benchmark <data folder> [repetitions]

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

#include "child_process.hpp"
#include "history_generator.hpp"

namespace fs = std::filesystem;
using namespace palvarin::bench;

namespace {

constexpr std::size_t kContactBytes = 30 * 1000;
constexpr int kFolderSizes[] = {10, 1000};

// In the first contact of each folder only: a query for it finds the same one message in
// both, so that what grows with the folder is the search's own cost, not its output.
constexpr const char* kPlanted =
    "<Message Date=\"2008/09/30\" Time=\"14:15:37\" DateTime=\"2008-09-30T05:15:37.000Z\" "
    "SessionID=\"1\"><From><User FriendlyName=\"hanako\"/></From><To><User "
    "FriendlyName=\"me\"/></To><Text Style=\"color:#000000; \">the lighthouse keeper "
    "灯台守</Text></Message>";

// A word of the planted text (the trigram index narrows it down by its trigrams), and a
// Japanese word of two characters in it, too short for a trigram (narrowed down by the
// trigrams it starts).
const char* const kQueries[] = {"LIGHTHOUSE", "灯台"};

void WriteFile(const fs::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out.flush()) throw std::runtime_error("cannot write " + path.string());
}

fs::path Folder(const fs::path& data, int contacts) {
  return data / ("search-" + std::to_string(contacts));
}

void Generate(const fs::path& data, int contacts) {
  const fs::path folder = Folder(data, contacts);
  if (fs::exists(folder / ".complete")) return;
  fs::remove_all(folder);
  fs::create_directories(folder);
  for (int index = 0; index < contacts; ++index) {
    std::string history =
        GenerateHistoryPair(kContactBytes, static_cast<std::uint32_t>(index)).first;
    if (index == 0) history.insert(history.rfind("</Log>"), kPlanted);
    char name[64];
    std::snprintf(name, sizeof name, "contact%04d.xml", index);
    WriteFile(folder / name, history);
  }
  WriteFile(folder / ".complete", "");
}

std::uintmax_t FolderBytes(const fs::path& folder) {
  std::uintmax_t bytes = 0;
  for (const auto& item : fs::directory_iterator(folder)) {
    if (item.path().extension() == ".xml") bytes += item.file_size();
  }
  return bytes;
}

struct Best {
  double seconds = std::numeric_limits<double>::infinity();
  double cpuSeconds = 0;  // of the best run
  long peakKilobytes = 0;
  int failures = 0;
  void Add(const ChildRun& run) {
    if (!run.succeeded) ++failures;
    if (run.seconds < seconds) {
      seconds = run.seconds;
      cpuSeconds = run.cpuSeconds;
    }
    peakKilobytes = std::max(peakKilobytes, run.peakKilobytes);
  }
};

std::vector<std::string> Search(const fs::path& folder, const char* query) {
  return {PALVARIN_BINARY, std::string("--search=") + query, "--first", folder.string()};
}

std::vector<std::string> Environment(const fs::path& cache) {
  return {"TZ=Asia/Tokyo", "XDG_CACHE_HOME=" + cache.string(),
          "PALVARIN_PROFILE=" + (cache / "profile").string()};
}

const char* Verdict(double ratio, double limit) { return ratio <= limit ? "met" : "NOT met"; }

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s <data folder> [repetitions]\n", argv[0]);
    return 2;
  }
  const fs::path data = argv[1];
  const int repetitions = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
  for (const int contacts : kFolderSizes) Generate(data, contacts);
  const fs::path work = fs::temp_directory_path() / ("palvarin-search-" + std::to_string(getpid()));

  Best build[2], floor[2], query[2][2], afterBuild[2][2];
  for (int repetition = 0; repetition < repetitions; ++repetition) {
    for (int size = 0; size < 2; ++size) {
      const fs::path folder = Folder(data, kFolderSizes[size]);
      // A new cache each time: the first search builds the whole index.
      const fs::path cache =
          work / ("cache-" + std::to_string(repetition) + "-" + std::to_string(size));
      floor[size].Add(RunChild({PARSE_FLOOR_BINARY, folder.string()}, {}));
      build[size].Add(RunChild(Search(folder, kQueries[0]), Environment(cache)));
      for (int q = 0; q < 2; ++q) {
        afterBuild[size][q].Add(RunChild(Search(folder, kQueries[q]), Environment(cache)));
      }
    }
  }
  // The queries from a kept index, once the builds' files are written out: right after a
  // build the machine is still writing that index and everything runs slower, the more so the
  // larger the index. The first build of each size is the kept one.
  ::sync();
  for (int repetition = 0; repetition < repetitions; ++repetition) {
    for (int size = 0; size < 2; ++size) {
      const fs::path kept = work / ("cache-0-" + std::to_string(size));
      for (int q = 0; q < 2; ++q) {
        query[size][q].Add(
            RunChild(Search(Folder(data, kFolderSizes[size]), kQueries[q]), Environment(kept)));
      }
    }
  }
  fs::remove_all(work);

  std::printf(
      "| contacts | input MB | parse floor s | build index s (CPU) | build / floor | "
      "query \"%s\" s (CPU) | query \"%s\" s (CPU) | peak RSS MB (build) |\n",
      kQueries[0], kQueries[1]);
  std::printf("|---:|---:|---:|---:|---:|---:|---:|---:|\n");
  for (int size = 0; size < 2; ++size) {
    std::printf("| %d | %.1f | %.3f | %.3f (%.3f) | %.2f | %.4f (%.4f) | %.4f (%.4f) | %.1f |\n",
                kFolderSizes[size],
                static_cast<double>(FolderBytes(Folder(data, kFolderSizes[size]))) / 1e6,
                floor[size].seconds, build[size].seconds, build[size].cpuSeconds,
                build[size].seconds / floor[size].seconds, query[size][0].seconds,
                query[size][0].cpuSeconds, query[size][1].seconds, query[size][1].cpuSeconds,
                static_cast<double>(build[size].peakKilobytes) / 1024);
  }
  const double buildRatio = build[1].seconds / floor[1].seconds;
  std::printf("\nbuilding the index for 1,000 contacts: %.2fx the parse floor (target 2x: %s)\n",
              buildRatio, Verdict(buildRatio, 2.0));
  for (int q = 0; q < 2; ++q) {
    const double ratio = query[1][q].seconds / query[0][q].seconds;
    std::printf("query \"%s\" over 1,000 contacts: %.2fx the same over 10 (target 1.5x: %s)\n",
                kQueries[q], ratio, Verdict(ratio, 1.5));
  }
  for (int q = 0; q < 2; ++q) {
    std::printf(
        "right after a build, query \"%s\": %.4f s over 10, %.4f s over 1,000 contacts: "
        "%.2fx\n",
        kQueries[q], afterBuild[0][q].seconds, afterBuild[1][q].seconds,
        afterBuild[1][q].seconds / afterBuild[0][q].seconds);
  }
  int failures = 0;
  for (int size = 0; size < 2; ++size) {
    failures += build[size].failures + floor[size].failures;
    for (int q = 0; q < 2; ++q) failures += query[size][q].failures + afterBuild[size][q].failures;
  }
  std::printf("best of %d repetitions; %d runs failed\n", repetitions, failures);
  return failures == 0 ? 0 : 1;
}

// The file work a folder merge cannot do without: one new output file per name, made the way
// Palvarin makes every file (a temporary file beside it, written, flushed, renamed into place,
// its folder flushed), as many at once as a folder job runs pairs. The bytes written are those
// of the input file of that name (from the first folder where it has one).
//   palvarin_write_floor <folder 1> <folder 2> <output folder>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "files/atomic_file.hpp"
#include "parallel_work.hpp"

namespace fs = std::filesystem;

namespace {

std::set<std::string> HistoryNames(const fs::path& folder) {
  std::set<std::string> names;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
    if (entry.path().extension() == ".xml") names.insert(entry.path().filename().string());
  }
  return names;
}

bool WriteLikeAMerge(const fs::path& from, const fs::path& to) {
  std::ifstream in(from, std::ios::binary);
  const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  palvarin::AtomicFile file;
  return file.Open(to) && file.Write(bytes) && file.Commit();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: %s <folder 1> <folder 2> <output folder>\n", argv[0]);
    return 2;
  }
  const fs::path folder1 = argv[1];
  const fs::path folder2 = argv[2];
  const fs::path output = argv[3];
  const std::set<std::string> names1 = HistoryNames(folder1);
  std::set<std::string> names = HistoryNames(folder2);
  names.insert(names1.begin(), names1.end());
  std::vector<std::string> list(names.begin(), names.end());
  std::vector<std::uint64_t> weights(list.size(), 1);
  std::vector<char> written(list.size(), 0);
  palvarin::RunInParallel(weights, palvarin::FolderWorkers(), palvarin::kParallelBytesBudget,
                          [&](std::size_t i) {
                            const fs::path& from = names1.count(list[i]) ? folder1 : folder2;
                            written[i] = WriteLikeAMerge(from / list[i], output / list[i]);
                          });
  for (std::size_t i = 0; i < list.size(); ++i) {
    if (!written[i]) {
      std::fprintf(stderr, "cannot write %s\n", (output / list[i]).c_str());
      return 1;
    }
  }
  return 0;
}

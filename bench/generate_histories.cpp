// Writes the benchmark inputs: for every case, a folder holding "pc1" and "pc2".
//   palvarin_generate_histories <data folder>
// A case whose folder is complete (it holds ".complete") is left as it is.

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

#include "bench_cases.hpp"
#include "history_generator.hpp"

namespace fs = std::filesystem;
using palvarin::bench::BenchCase;

namespace {

void WriteFile(const fs::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out.flush()) throw std::runtime_error("cannot write " + path.string());
}

// Contact `index` of a folder case; most contacts are on both PCs, a few on one only.
void WriteContact(const fs::path& folder, const BenchCase& bench, int index) {
  static const char* const kNames[] = {"hanako", "alice", "yuki", "bob", "kenta", "mika"};
  char name[64];
  std::snprintf(name, sizeof name, "%s%04d%06d.xml", kNames[index % 6], index,
                (index * 7919) % 1000000);
  const auto pair =
      palvarin::bench::GenerateHistoryPair(bench.bytesPerFile, static_cast<std::uint32_t>(index));
  if (index % 40 != 1) WriteFile(folder / "pc1" / name, pair.first);
  if (index % 40 != 2) WriteFile(folder / "pc2" / name, pair.second);
}

void WriteCase(const fs::path& data, const BenchCase& bench) {
  const fs::path folder = data / bench.name;
  if (fs::exists(folder / ".complete")) return;
  fs::remove_all(folder);
  fs::create_directories(folder / "pc1");
  fs::create_directories(folder / "pc2");
  if (bench.contacts == 0) {
    const auto pair =
        bench.sessionEntries > 0
            ? palvarin::bench::GenerateSessionPair(bench.sessionEntries, bench.firstLacksEvery,
                                                   bench.secondLacksEvery, 20240501)
            : palvarin::bench::GenerateHistoryPair(bench.bytesPerFile, 20240501);
    WriteFile(folder / "pc1" / palvarin::bench::kContactFile, pair.first);
    WriteFile(folder / "pc2" / palvarin::bench::kContactFile, pair.second);
  }
  for (int index = 0; index < bench.contacts; ++index) WriteContact(folder, bench, index);
  WriteFile(folder / ".complete", "");
  std::printf("generated %s\n", folder.c_str());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <data folder>\n", argv[0]);
    return 2;
  }
  try {
    for (const BenchCase& bench : palvarin::bench::BenchCases()) WriteCase(argv[1], bench);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "palvarin_generate_histories: %s\n", error.what());
    return 1;
  }
  return 0;
}

// The floor an export is measured against: load the history with pugixml and write the
// export's bytes the way Palvarin writes every file (temporary file, written, flushed, renamed
// into place). The export's bytes are read before the clock starts. Prints the seconds.
//   palvarin_export_floor <history> <an export of it> <output file>
// With "generate <MB> <folder>" it writes instead a pair of PCs' copies of one contact of about
// that size per file as pc1.xml and pc2.xml, for the export benchmark to merge.

#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <pugixml.hpp>
#include <string>

#include "files/atomic_file.hpp"
#include "history_generator.hpp"

namespace {

std::string ReadAll(const char* path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool WriteAll(const std::string& path, const std::string& bytes) {
  palvarin::AtomicFile file;
  return file.Open(path) && file.Write(bytes) && file.Commit();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::string(argv[1]) == "generate") {
    const auto pair = palvarin::bench::GenerateHistoryPair(std::stoul(argv[2]) * 1'000'000, 2026);
    const std::string folder = argv[3];
    return WriteAll(folder + "/pc1.xml", pair.first) && WriteAll(folder + "/pc2.xml", pair.second)
               ? 0
               : 1;
  }
  if (argc != 4) {
    std::fprintf(stderr, "usage: %s <history> <export> <output> | generate <MB> <folder>\n",
                 argv[0]);
    return 2;
  }
  const std::string bytes = ReadAll(argv[2]);
  const auto start = std::chrono::steady_clock::now();
  pugi::xml_document document;
  if (!document.load_file(argv[1])) return 1;
  if (!WriteAll(argv[3], bytes)) return 1;
  const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
  std::printf("%.3f\n", took.count());
  return 0;
}

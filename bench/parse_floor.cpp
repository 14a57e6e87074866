// The floor a merge is measured against: parses its inputs with pugixml and does nothing else.
//   palvarin_parse_floor <file or folder>...
//   palvarin_parse_floor --together <file> <file>
// Files are parsed and kept until the end, as a merge keeps its two inputs; the ".xml" files
// of a folder are parsed one at a time. With --together the two files are parsed at once, one
// thread each, as a file merge reads them. Exits with 1 when a file does not parse.

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <future>
#include <list>
#include <pugixml.hpp>

namespace fs = std::filesystem;

namespace {

bool Parse(const fs::path& path, pugi::xml_document& document) {
  const pugi::xml_parse_result result = document.load_file(path.c_str());
  if (!result) std::fprintf(stderr, "%s: %s\n", path.c_str(), result.description());
  return static_cast<bool>(result);
}

bool ParseFolder(const fs::path& folder) {
  bool ok = true;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
    if (entry.path().extension() != ".xml") continue;
    pugi::xml_document document;
    ok &= Parse(entry.path(), document);
  }
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::strcmp(argv[1], "--together") == 0) {
    pugi::xml_document first;
    pugi::xml_document second;
    auto parsing = std::async(std::launch::async, [&] { return Parse(argv[3], second); });
    const bool one = Parse(argv[2], first);
    return one && parsing.get() ? 0 : 1;
  }
  std::list<pugi::xml_document> kept;
  bool ok = true;
  for (int i = 1; i < argc; ++i) {
    if (fs::is_directory(argv[i])) {
      ok &= ParseFolder(argv[i]);
    } else {
      ok &= Parse(argv[i], kept.emplace_back());
    }
  }
  return ok ? 0 : 1;
}

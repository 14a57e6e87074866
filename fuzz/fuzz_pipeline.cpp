#include "fuzz_pipeline.hpp"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "merge_file_pair.hpp"
#include "state/profile_store.hpp"

namespace palvarin::fuzz {
namespace {

std::filesystem::path MakeScratchFolder() {
  std::error_code ec;
  const std::filesystem::path shm = "/dev/shm";
  const auto base =
      std::filesystem::is_directory(shm, ec) ? shm : std::filesystem::temp_directory_path();
  std::string pattern = (base / "palvarin-fuzz-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) Require(false, "a scratch folder can be made");
  return pattern;
}

// Removes the scratch folder when the fuzzer exits normally.
struct Scratch {
  std::filesystem::path path = MakeScratchFolder();
  ~Scratch() {
    std::error_code ec;
    std::filesystem::remove_all(path, ec);
  }
};

}  // namespace

const std::filesystem::path& ScratchFolder() {
  static const Scratch scratch;
  return scratch.path;
}

std::filesystem::path WriteScratch(const char* name, std::string_view bytes) {
  const auto path = ScratchFolder() / name;
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  Require(static_cast<bool>(out), "the scratch file can be written");
  return path;
}

bool MergeFiles(const std::filesystem::path& first, const std::filesystem::path& second,
                const std::filesystem::path& output) {
  static ProfileStore profile(ScratchFolder() / "profile.sqlite3");
  std::error_code ec;
  std::filesystem::remove(output, ec);
  PairOptions options;
  options.recordMergeTime = false;
  const PairReport report = MergeFilePair(first, second, output, options, profile);
  return report.outcome == PairOutcome::Merged;
}

std::vector<pugi::xml_node> Entries(const LogDocument& document) {
  std::vector<pugi::xml_node> entries;
  for (pugi::xml_node node : document.Root().children()) {
    if (node.type() == pugi::node_element) entries.push_back(node);
  }
  return entries;
}

void Require(bool holds, const char* property) {
  if (holds) return;
  std::fprintf(stderr, "property does not hold: %s\n", property);
  std::abort();
}

}  // namespace palvarin::fuzz

// Every target: entry times read local time, and one zone keeps every run alike.
extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/) {
  ::setenv("TZ", "UTC", 1);
  return 0;
}

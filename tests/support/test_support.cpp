#include "support/test_support.hpp"

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

namespace palvarin::test {

TempFolder::TempFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "palvarin-test-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

TempFolder::~TempFolder() {
  std::error_code ec;
  // Read-only folders made by tests must not keep their contents alive.
  for (auto it = std::filesystem::recursive_directory_iterator(path_, ec);
       it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
    std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
  }
  std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                               std::filesystem::perm_options::add, ec);
  std::filesystem::remove_all(path_, ec);
}

ScopedTimeZone::ScopedTimeZone(const char* zone) {
  const char* old = std::getenv("TZ");
  hadOld_ = old != nullptr;
  if (hadOld_) old_ = old;
  ::setenv("TZ", zone, 1);
  ::tzset();
}

ScopedTimeZone::~ScopedTimeZone() {
  if (hadOld_) {
    ::setenv("TZ", old_.c_str(), 1);
  } else {
    ::unsetenv("TZ");
  }
  ::tzset();
}

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

void WriteFile(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

std::filesystem::path CorpusFolder() {
  std::filesystem::path folder = PALVARIN_CORPUS;
  return std::filesystem::is_directory(folder) ? folder : std::filesystem::path{};
}

std::vector<std::filesystem::path> CorpusFiles() {
  std::vector<std::filesystem::path> files;
  if (auto folder = CorpusFolder(); !folder.empty()) {
    for (const auto& item : std::filesystem::directory_iterator(folder)) {
      if (item.path().extension() == ".xml") files.push_back(item.path());
    }
  }
  std::sort(files.begin(), files.end());
  return files;
}

}  // namespace palvarin::test

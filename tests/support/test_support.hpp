#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <ostream>
#include <pugixml.hpp>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "base/result.hpp"
#include "files/file_ops.hpp"
#include "history/entry_identity.hpp"
#include "merge/entry_sink.hpp"
#include "texts/cause_text.hpp"

namespace palvarin::test {

// Polls `condition` until it holds or `guard` has passed; whether it held. The guard only
// keeps a failing test from waiting for ever.
bool Eventually(const std::function<bool()>& condition,
                std::chrono::seconds guard = std::chrono::seconds(60));

// A `keepWaiting` for HistoryLocks::Acquire: true until `guard` has passed, so that a lock
// nobody lets go fails the test in seconds instead of hanging the suite.
std::function<bool()> GiveUpAfter(std::chrono::seconds guard = std::chrono::seconds(15));

// Runs `body` in a child process, killed once `guard` has passed: what could hang in a join or
// a deadlock, which no guard inside the process could end, fails the test in seconds instead.
// Fails the test when `body` failed there or did not end.
void RunGuarded(std::chrono::seconds guard, const std::function<void()>& body);

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const std::filesystem::path& Path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

// Sets (or, with no value, removes) an environment variable for the life of the object.
class ScopedEnvironment {
 public:
  ScopedEnvironment(const char* name, const char* value);
  ~ScopedEnvironment();
  ScopedEnvironment(const ScopedEnvironment&) = delete;
  ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

 private:
  std::string name_;
  std::optional<std::string> old_;
};

// Sets TZ for the life of the object and restores the old zone afterwards.
class ScopedTimeZone {
 public:
  explicit ScopedTimeZone(const char* zone);
  ~ScopedTimeZone();
  ScopedTimeZone(const ScopedTimeZone&) = delete;
  ScopedTimeZone& operator=(const ScopedTimeZone&) = delete;

 private:
  std::optional<ScopedEnvironment> zone_;
};

// Makes `folder` the working folder for the life of the object, and the old one again after.
class ScopedWorkingFolder {
 public:
  explicit ScopedWorkingFolder(const std::filesystem::path& folder);
  ~ScopedWorkingFolder();
  ScopedWorkingFolder(const ScopedWorkingFolder&) = delete;
  ScopedWorkingFolder& operator=(const ScopedWorkingFolder&) = delete;

 private:
  std::filesystem::path old_;
};

// The test name of a table row: its `name` field.
inline constexpr auto RowName = [](const auto& row) { return std::string(row.param.name); };

std::string ReadFile(const std::filesystem::path& path);

// How often `needle` occurs in `text`, overlaps not counted.
int Occurrences(std::string_view text, std::string_view needle);
void WriteFile(const std::filesystem::path& path, const std::string& bytes);

// Makes a Unix socket named `path` (shorter than a socket's name may be), left without its
// process.
void MakeSocket(const std::filesystem::path& path);

// Makes a folder refuse new files, also for root (immutable flag); false when that cannot
// be done here. MakeWritable undoes it.
bool MakeReadOnly(const std::filesystem::path& folder);
void MakeWritable(const std::filesystem::path& folder);

// Makes `path` a sparse file larger than memory and swap together; false when the file
// system holds no sparse file that large.
bool MakeFileLargerThanMemory(const std::filesystem::path& path);

// The folder of real history files; empty when it is not there.
std::filesystem::path CorpusFolder();
// The corpus files, sorted by name; empty when the corpus is not there.
std::vector<std::filesystem::path> CorpusFiles();

// The identities of the element children of the document's root, in order.
std::vector<EntryIdentity> Identities(const pugi::xml_document& document);
// The same of a history file; empty when it does not load.
std::vector<EntryIdentity> Identities(const std::filesystem::path& history);
// The identities of the records' entries, in order, digested from their trees.
std::vector<EntryIdentity> Identities(const std::vector<MergedEntry>& records);

// A text that shows a node's whole tree (names, attributes in order, character data with its
// kind; an element's own value as its leading text), for comparing entries character for
// character. Iterative: any depth.
std::string CanonicalTree(pugi::xml_node node);

}  // namespace palvarin::test

namespace palvarin {

// What `result` says in the language in use; empty for a success.
template <typename T>
std::string Said(const Result<T>& result) {
  return Word(result.reason());
}

// What a failed check prints of the program's values where gtest would print their bytes: an
// enumerator (a kind, an outcome) as its number, an identity or a moment as its two halves.
template <typename Enum>
requires std::is_enum_v<Enum>
void PrintTo(const Enum& value, std::ostream* out) {
  *out << +static_cast<std::underlying_type_t<Enum>>(value);
}
inline void PrintTo(const EntryIdentity& identity, std::ostream* out) {
  *out << std::hex << identity.high << ':' << identity.low << std::dec;
}
inline void PrintTo(const FileIdentity& identity, std::ostream* out) {
  *out << identity.device << ':' << identity.inode;
}
inline void PrintTo(const FileTime& time, std::ostream* out) {
  *out << time.seconds << '.' << time.nanoseconds;
}
namespace test {
using palvarin::PrintTo;
}  // namespace test

}  // namespace palvarin

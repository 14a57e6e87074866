#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

struct sqlite3;

namespace palvarin::test {

// A plain SQLite connection to a profile file, for building one as another version of the
// program would have, and for looking at what the store wrote. Failures fail the test.
class RawProfile {
 public:
  explicit RawProfile(const std::filesystem::path& file);
  ~RawProfile();
  RawProfile(const RawProfile&) = delete;
  RawProfile& operator=(const RawProfile&) = delete;

  // Runs one or more statements.
  void Execute(const std::string& sql);
  // The first column of the first row of `sql` as an integer; -1 without a row.
  std::int64_t Integer(const std::string& sql);
  // The first column of the first row of `sql` as text; empty without a row.
  std::string Text(const std::string& sql);

 private:
  sqlite3* db_ = nullptr;
};

}  // namespace palvarin::test

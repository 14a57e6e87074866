#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "state/profile_store.hpp"
#include "state/settings_store.hpp"
#include "support/history_builder.hpp"
#include "support/palvarin_process.hpp"
#include "support/test_support.hpp"

namespace palvarin::test {

// Runs the built program in a temporary folder holding two one-message histories, on a
// profile of its own.
class ProgramTest : public ::testing::Test {
 protected:
  // The second history's message; the sizes differ, so the pair never looks unchanged.
  explicit ProgramTest(std::string secondText = "two") : secondText_(std::move(secondText)) {}

  void SetUp() override {
    WriteFile(a_, HistoryText({{"2006/01/23", "12:00:00", "one", 1}}));
    WriteFile(b_, HistoryText({{"2006/01/23", "13:00:00", secondText_, 1}}));
  }
  ProcessResult Run(const std::vector<std::string>& arguments,
                    const std::vector<std::string>& environment = {}) {
    return PalvarinProcess(arguments, folder_.Path(), profile_, environment).Wait(guard_);
  }
  // A job saves its settings, "Path1" among them; nothing else writes them.
  bool NothingSaved() {
    if (NoProfileMade()) return true;
    ProfileStore store(profile_, ProfileAccess::ReadOnly);
    MergeSettings stored;
    LoadSettings(store, stored);
    return stored.Path1.empty();
  }
  // Runs that only answer (help, version, a refused command line) do not even create it.
  bool NoProfileMade() const { return !std::filesystem::exists(profile_); }

  std::string secondText_;
  // How long a run may take before it is ended and fails.
  std::chrono::seconds guard_ = std::chrono::minutes(30);
  TempFolder folder_;
  std::filesystem::path profile_ = folder_ / "profile.sqlite3";
  std::filesystem::path a_ = folder_ / "a.xml";
  std::filesystem::path b_ = folder_ / "b.xml";
};

}  // namespace palvarin::test

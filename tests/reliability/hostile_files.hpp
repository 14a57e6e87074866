#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "support/palvarin_process.hpp"
#include "support/test_support.hpp"

namespace palvarin::test {

// The second PC's history in every hostile case: one ordinary message.
std::string SecondPcHistory();

// `history` with `doctype` put just before its root element.
std::string WithDoctype(const std::string& history, const std::string& doctype);

// Elements <b> nested `depth` deep around `bottom`.
std::string Nested(int depth, const std::string& bottom);

// An overwrite file job over a.xml (the hostile file) and b.xml in a fresh folder, without
// backups.
struct PairJob {
  TempFolder folder;
  std::filesystem::path first = folder / "a.xml";
  std::filesystem::path second = folder / "b.xml";

  ProcessResult Run() const;
};

}  // namespace palvarin::test

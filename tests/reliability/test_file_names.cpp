#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "state/merge_time_record.hpp"
#include "state/profile_store.hpp"
#include "support/history_builder.hpp"
#include "support/palvarin_process.hpp"
#include "support/test_support.hpp"

namespace palvarin {
namespace {

namespace fs = std::filesystem;
using test::MessageTexts;
using test::OneMessageHistory;
using test::ReadFile;
using test::WriteFile;
using Texts = std::vector<std::string>;

// Names are bytes: a line break, a byte that is no UTF-8, and escape sequences that a
// terminal would obey.
const std::string kNewline = "new\nline.xml";
const std::string kLatin1 = "caf\xe9.xml";
const std::string kOneSide = "\xff\xfe one side.xml";
const std::string kForged = "x.xml\npalvarin: all is well\x1b]0;owned\x07.xml";

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

class OddFileNames : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(pc1_);
    fs::create_directories(pc2_);
  }
  test::ProcessResult Run(const std::vector<std::string>& arguments) {
    return test::RunPalvarin(arguments, folder_.Path(), profile_);
  }
  test::TempFolder folder_;
  fs::path pc1_ = folder_ / "pc1";
  fs::path pc2_ = folder_ / "pc2";
  fs::path profile_ = folder_ / "profile.sqlite3";
};

// Such names are paired, merged, copied and recorded byte for byte.
TEST_F(OddFileNames, AreMergedCopiedAndRecordedByteForByte) {
  for (const std::string& name : {kNewline, kLatin1}) {
    WriteFile(pc1_ / name, OneMessageHistory("pc1 " + name, "12:00:00"));
    WriteFile(pc2_ / name, OneMessageHistory("pc2, later " + name, "13:00:00"));
  }
  WriteFile(pc2_ / kOneSide, OneMessageHistory("only on pc2"));
  const auto run = Run({"/n", "/d", "/o", "/b", "/p1", pc1_, "/p2", pc2_});
  ASSERT_EQ(run.status, 0) << run.err;
  for (const std::string& name : {kNewline, kLatin1}) {
    EXPECT_EQ(MessageTexts(pc1_ / name), (Texts{"pc1 " + name, "pc2, later " + name}));
    EXPECT_EQ(ReadFile(pc1_ / name), ReadFile(pc2_ / name));
    ProfileStore profile(profile_);
    EXPECT_TRUE(ReadMergeTime(profile, (pc1_ / name).string(), (pc2_ / name).string()).has_value());
  }
  EXPECT_EQ(ReadFile(pc1_ / kOneSide), OneMessageHistory("only on pc2"));
}

// The report names each file on one line of its own, whatever the name holds, and passes
// no control character to the terminal.
TEST_F(OddFileNames, CannotForgeOrControlTheReport) {
  for (const std::string& name : {kNewline, kLatin1, kForged}) {
    WriteFile(pc1_ / name, "not a history");
    WriteFile(pc2_ / name, OneMessageHistory("kept"));
  }
  const auto run = Run({"/n", "/d", "/o", "/nb", "/p1", pc1_, "/p2", pc2_});
  EXPECT_EQ(run.status, 1);
  for (const std::string& line : Lines(run.err)) {
    EXPECT_THAT(line, ::testing::StartsWith("palvarin: not merged: ")) << run.err;
  }
  EXPECT_EQ(Lines(run.err).size(), 3u) << run.err;
  for (const std::string& line : Lines(run.out)) {
    EXPECT_THAT(line, ::testing::AnyOf(::testing::StartsWith("FAILED "),
                                       ::testing::StartsWith("0 pairs merged")))
        << run.out;
  }
  for (const std::string* stream : {&run.out, &run.err}) {
    EXPECT_EQ(stream->find_first_of("\x1b\x07"), std::string::npos) << *stream;
    EXPECT_EQ(stream->find('\xe9'), std::string::npos) << "bytes that are no UTF-8 are shown";
  }
  EXPECT_THAT(run.err, ::testing::HasSubstr("new\\nline.xml"));
  EXPECT_THAT(run.err, ::testing::HasSubstr("caf\\xe9.xml"));
}

}  // namespace
}  // namespace palvarin

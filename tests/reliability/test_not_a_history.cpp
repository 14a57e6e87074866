#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <ostream>
#include <string>
#include <tuple>
#include <vector>

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
using ::testing::HasSubstr;
using ::testing::Not;
using Texts = std::vector<std::string>;

// Only a guard against a job that hangs; a job refusing a name ends at once.
constexpr auto kGuard = std::chrono::seconds(60);

std::string Utf16Le(const std::string& ascii) {
  std::string bytes = "\xff\xfe";
  for (char c : ascii) bytes += std::string{c, '\0'};
  return bytes;
}

const std::string kStylesheet =
    "<?xml version=\"1.0\"?>\r\n<xsl:stylesheet version=\"1.0\" "
    "xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\">"
    "<xsl:template match=\"/Log\"><html><body><xsl:apply-templates/></body></html>"
    "</xsl:template></xsl:stylesheet>\r\n";

// Well-formed XML files that are no histories, as users keep them beside their histories.
struct ForeignDocument {
  const char* name;
  std::string bytes;
  const char* root;
};

const ForeignDocument kForeignDocuments[] = {
    {"WebApplication",
     "<?xml version=\"1.0\"?>\n<web-app><servlet><servlet-name>a</servlet-name></servlet>"
     "<servlet-mapping><url-pattern>/*</url-pattern></servlet-mapping></web-app>\n",
     "web-app"},
    {"Stylesheet", kStylesheet, "xsl:stylesheet"},
    {"Utf16Stylesheet", Utf16Le(kStylesheet), "xsl:stylesheet"},
};

// A job in one of the four modes over pc1 and pc2 below a root, with out/ as the output.
struct Mode {
  const char* name;
  bool folders;
  bool overwrite;
};

const Mode kModes[] = {{"FilesOverwritten", false, true},
                       {"FilesToOutput", false, false},
                       {"FoldersOverwritten", true, true},
                       {"FoldersToOutput", true, false}};

enum class Side { First, Second, Both };

const char* SideName(Side side) {
  return side == Side::First ? "First" : side == Side::Second ? "Second" : "Both";
}

// pc1/contact.xml + pc2/contact.xml (the pair under test) and good.xml on both sides; out/ for
// the output. The two sides' texts differ in length, so that no pair looks unchanged.
class Layout {
 public:
  Layout() {
    for (const fs::path& folder : {pc1_, pc2_, out_}) fs::create_directories(folder);
    WriteFile(pc1_ / "contact.xml", OneMessageHistory("contact on pc1", "10:00:00"));
    WriteFile(pc2_ / "contact.xml", OneMessageHistory("contact on pc2", "11:00:00"));
    WriteFile(pc1_ / "good.xml", OneMessageHistory("good on pc1", "12:00:00"));
    WriteFile(pc2_ / "good.xml", OneMessageHistory("good on the second pc", "13:00:00"));
  }

  fs::path Contact(Side side) const { return (side == Side::First ? pc1_ : pc2_) / "contact.xml"; }

  std::vector<std::string> Job(const Mode& mode, bool backups) const {
    const std::string name = mode.folders ? "" : "contact.xml";
    std::vector<std::string> job = {"/n",
                                    mode.folders ? "/d" : "/f",
                                    mode.overwrite ? "/o" : "/t",
                                    backups ? "/b" : "/nb",
                                    "/p1",
                                    pc1_ / name,
                                    "/p2",
                                    pc2_ / name};
    if (!mode.overwrite) job.insert(job.end(), {"/ps", out_ / name});
    return job;
  }

  test::ProcessResult Run(const Mode& mode, bool backups) const {
    return test::PalvarinProcess(Job(mode, backups), folder_.Path(), folder_ / "profile.sqlite3")
        .Wait(kGuard);
  }

  // good.xml was merged where the mode puts the merge.
  void ExpectTheOtherPairMerged(const Mode& mode) const {
    if (!mode.folders) return;
    const Texts both = {"good on pc1", "good on the second pc"};
    if (mode.overwrite) {
      EXPECT_EQ(MessageTexts(pc1_ / "good.xml"), both);
      EXPECT_EQ(ReadFile(pc2_ / "good.xml"), ReadFile(pc1_ / "good.xml"));
    } else {
      EXPECT_EQ(MessageTexts(out_ / "good.xml"), both);
    }
  }

  test::TempFolder folder_;
  fs::path pc1_ = folder_ / "pc1";
  fs::path pc2_ = folder_ / "pc2";
  fs::path out_ = folder_ / "out";
};

// Parameters show by name in failures.
void PrintTo(const ForeignDocument& document, std::ostream* out) { *out << document.name; }
void PrintTo(const Mode& mode, std::ostream* out) { *out << mode.name; }
void PrintTo(Side side, std::ostream* out) { *out << SideName(side); }

using ForeignCase = std::tuple<ForeignDocument, Mode, Side>;

class ForeignRoot : public ::testing::TestWithParam<ForeignCase> {};

// A well-formed file whose root is not <Log> fails its pair, named with its root; both files
// stay byte for byte as they were, and the job's other pairs are merged. The same file found
// on one side of a folder job only is not copied, and the report says why.
TEST_P(ForeignRoot, FailsItsPairNamingTheRootAndTouchesNothing) {
  const auto& [document, mode, side] = GetParam();
  const Layout layout;
  WriteFile(layout.Contact(side), document.bytes);
  const std::string other =
      ReadFile(layout.Contact(side == Side::First ? Side::Second : Side::First));
  WriteFile(layout.pc2_ / "only2.xml", document.bytes);

  const auto run = layout.Run(mode, false);

  EXPECT_EQ(run.status, 1) << run.out << run.err;
  EXPECT_THAT(run.err, HasSubstr(layout.Contact(side).string() +
                                 " is not a message history: its root element is <" +
                                 document.root + ">, not <Log>; nothing was written"));
  EXPECT_EQ(ReadFile(layout.Contact(side)), document.bytes);
  EXPECT_EQ(ReadFile(layout.Contact(side == Side::First ? Side::Second : Side::First)), other);
  EXPECT_FALSE(fs::exists(layout.out_ / "contact.xml"));
  layout.ExpectTheOtherPairMerged(mode);
  if (mode.folders) {
    const fs::path copy = (mode.overwrite ? layout.pc1_ : layout.out_) / "only2.xml";
    // A file of one side that is no history is left alone, as a file of another name is.
    EXPECT_FALSE(fs::exists(copy));
    EXPECT_THAT(run.err, Not(HasSubstr("only2.xml")));
  }
}

std::string ForeignCaseName(const ::testing::TestParamInfo<ForeignCase>& info) {
  const auto& [document, mode, side] = info.param;
  return std::string(document.name) + "_" + mode.name + "_" + SideName(side);
}

INSTANTIATE_TEST_SUITE_P(NotAHistory, ForeignRoot,
                         ::testing::Combine(::testing::ValuesIn(kForeignDocuments),
                                            ::testing::ValuesIn(kModes),
                                            ::testing::Values(Side::First, Side::Second)),
                         ForeignCaseName);

using PipeCase = std::tuple<Mode, Side>;

class NamedPipe : public ::testing::TestWithParam<PipeCase> {};

// A named pipe named like a history, on one side, on both, or as an input of a file job,
// fails its pair or copy at once: the job ends by itself with the other pairs done, and the
// pipe is still a pipe. Backups are on, so that the backup's copy meets the pipe first.
TEST_P(NamedPipe, EndsTheJobPromptlyWithTheOtherPairsDone) {
  const auto& [mode, side] = GetParam();
  const Layout layout;
  const auto pipe = layout.pc1_ / "pipe.xml";
  const std::vector<fs::path> pipes =
      mode.folders
          ? (side == Side::Both
                 ? std::vector<fs::path>{pipe, layout.pc2_ / "pipe.xml"}
                 : std::vector<fs::path>{(side == Side::First ? layout.pc1_ : layout.pc2_) /
                                         "pipe.xml"})
          : (side == Side::Both
                 ? std::vector<fs::path>{layout.Contact(Side::First), layout.Contact(Side::Second)}
                 : std::vector<fs::path>{layout.Contact(side)});
  const std::string contact1 = ReadFile(layout.Contact(Side::First));
  for (const fs::path& path : pipes) {
    fs::remove(path);
    ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
  }

  const auto run = layout.Run(mode, mode.overwrite);

  ASSERT_FALSE(run.timedOut) << "the job hung on a named pipe";
  // A folder job lists no pipe as a history; a file job is told one and refuses it.
  if (mode.folders) {
    EXPECT_THAT(run.err, Not(HasSubstr("pipe.xml"))) << run.out;
  } else {
    EXPECT_EQ(run.status, 1) << run.out << run.err;
    EXPECT_THAT(run.err, HasSubstr("cannot read " + pipes.front().string() +
                                   ": it is a named pipe, not a regular file"));
  }
  for (const fs::path& path : pipes) {
    EXPECT_EQ(fs::status(path).type(), fs::file_type::fifo) << path;
  }
  layout.ExpectTheOtherPairMerged(mode);
  if (!mode.folders && side == Side::Second) {
    EXPECT_EQ(ReadFile(layout.Contact(Side::First)), contact1);
  }
  // Nothing was made where a copy of the pipe would have gone.
  if (mode.folders && !(mode.overwrite && side == Side::Both)) {
    const fs::path copy = !mode.overwrite       ? layout.out_ / "pipe.xml"
                          : side == Side::First ? layout.pc2_ / "pipe.xml"
                                                : layout.pc1_ / "pipe.xml";
    EXPECT_FALSE(fs::exists(fs::symlink_status(copy))) << copy;
  }
}

std::string PipeCaseName(const ::testing::TestParamInfo<PipeCase>& info) {
  const auto& [mode, side] = info.param;
  return std::string(mode.name) + "_" + SideName(side);
}

INSTANTIATE_TEST_SUITE_P(NotAHistory, NamedPipe,
                         ::testing::Combine(::testing::ValuesIn(kModes),
                                            ::testing::Values(Side::First, Side::Second,
                                                              Side::Both)),
                         PipeCaseName);

}  // namespace
}  // namespace palvarin

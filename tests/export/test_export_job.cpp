#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "support/export_readback.hpp"
#include "support/history_builder.hpp"
#include "support/palvarin_process.hpp"
#include "support/test_support.hpp"

namespace palvarin::test {
namespace {

class ExportJob : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directory(in_);
    WriteFile(in_ / "alice.xml", OneMessageHistory("from alice"));
    WriteFile(in_ / "notes.xml", "<?xml version=\"1.0\"?><Notes/>");
    WriteFile(in_ / "readme.txt", "not a history by name");
  }
  ProcessResult Run(const std::vector<std::string>& arguments) {
    return RunPalvarin(arguments, folder_.Path(), folder_ / "profile.sqlite3", {"TZ=UTC"});
  }

  TempFolder folder_;
  std::filesystem::path in_ = folder_ / "in";
  std::filesystem::path out_ = folder_ / "out";
};

// A file that is no history is reported as a failed pair is, the rest is exported, the
// report says both, and the status is 1; no settings are kept.
TEST_F(ExportJob, ReportsWhatIsNoHistoryAndExportsTheRest) {
  const ProcessResult run = Run({"--export=html", "--first", in_.string(), "--output",
                                 out_.string(), "--report", (folder_ / "r.json").string()});
  EXPECT_EQ(run.status, 1) << run.err;
  EXPECT_NE(run.err.find("not exported: " + (in_ / "notes.xml").string()), std::string::npos)
      << run.err;
  EXPECT_NE(run.out.find("1 history exported, 1 history failed"), std::string::npos) << run.out;
  EXPECT_NE(ReadFile(out_ / "alice.html").find("from alice"), std::string::npos);
  EXPECT_NE(ReadFile(out_ / "index.html").find("./alice.html"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(out_ / "notes.html"));
  EXPECT_FALSE(std::filesystem::exists(out_ / "readme.html"));
  EXPECT_FALSE(std::filesystem::exists(folder_ / "profile.sqlite3"));
  const auto report = nlohmann::json::parse(ReadFile(folder_ / "r.json"));
  EXPECT_EQ(report["totals"], nlohmann::json::parse(R"({"exported":2,"failed":1,"notRun":0})"));
  EXPECT_EQ(report["items"][1]["outcome"], "failed");
  EXPECT_NE(report["items"][1]["reason"].get<std::string>().find("not a message history"),
            std::string::npos);
}

// Exporting again replaces the export's own files; a history in the output folder, and one a
// link at an export's name points to, stay as they were.
TEST_F(ExportJob, ReplacesItsOwnFilesAndNeverAHistory) {
  std::filesystem::remove(in_ / "notes.xml");
  WriteFile(in_ / "bob.xml", OneMessageHistory("from bob"));
  std::filesystem::create_directory(out_);
  WriteFile(out_ / "alice.xml", OneMessageHistory("kept"));
  std::filesystem::create_symlink(in_ / "bob.xml", out_ / "bob.txt");
  const std::string alice = ReadFile(out_ / "alice.xml");
  const std::string bob = ReadFile(in_ / "bob.xml");
  const std::vector<std::string> arguments = {"--export=text", "--first=" + in_.string(),
                                              "--output=" + out_.string(), "--quiet"};
  EXPECT_EQ(Run(arguments).status, 1);
  WriteFile(in_ / "alice.xml", OneMessageHistory("changed"));
  const ProcessResult again = Run(arguments);
  EXPECT_EQ(again.status, 1);
  EXPECT_TRUE(again.out.empty()) << again.out;
  EXPECT_NE(again.err.find("is a link"), std::string::npos) << again.err;
  EXPECT_NE(ReadFile(out_ / "alice.txt").find("changed"), std::string::npos);
  EXPECT_EQ(ReadFile(out_ / "alice.xml"), alice);
  EXPECT_EQ(ReadFile(in_ / "bob.xml"), bob);

  // Into the input folder itself: the histories stay, the exports join them.
  EXPECT_EQ(Run({"--export=jsonl", "--first=" + in_.string(), "--output=" + in_.string()}).status,
            0);
  EXPECT_EQ(ReadFile(in_ / "bob.xml"), bob);
  EXPECT_TRUE(std::filesystem::exists(in_ / "bob.jsonl"));
}

// A history named like the index gets a page of its own beside the index, and one whose page
// would take that page's name gets another: no page is written twice, each row links its own.
TEST_F(ExportJob, HistoryNamedIndexKeepsTheIndex) {
  WriteFile(in_ / "index.xml", OneMessageHistory("named index"));
  WriteFile(in_ / "index.xml.xml", OneMessageHistory("named index twice"));
  std::filesystem::remove(in_ / "notes.xml");
  EXPECT_EQ(Run({"--export=html", "--first=" + in_.string(), "--output=" + out_.string()}).status,
            0);
  const std::string index = ReadFile(out_ / "index.html");
  for (const char* page : {"index.xml.html", "index.xml-2.html"}) {
    EXPECT_NE(index.find(std::string("./") + page), std::string::npos) << page;
  }
  EXPECT_EQ(ReadFile(out_ / "index.xml.html").find("named index twice"), std::string::npos);
  EXPECT_NE(ReadFile(out_ / "index.xml-2.html").find("named index twice"), std::string::npos);
}

// The index is the folder's: each export into it adds its contacts' pages to those already
// there, newest conversation first, each once; a page without the export's mark is not listed,
// and a name in a mark is shown as text.
TEST_F(ExportJob, TheIndexListsEveryContactExportedIntoTheFolder) {
  std::filesystem::remove(in_ / "notes.xml");
  const std::filesystem::path second = folder_ / "second";
  std::filesystem::create_directory(second);
  WriteFile(second / "<b>bob -->.xml", HistoryText({{"2009/05/01", "10:00:00", "bob"}}));
  std::filesystem::create_directory(out_);
  WriteFile(out_ / "notes.html", "<p>mine</p>\n<!-- palvarin-index 1 x%2 1 1 1 a b -->\n");
  const auto rows = [this] {
    const std::string index = ReadFile(out_ / "index.html");
    std::vector<std::string> links;
    for (auto at = index.find("<a href=\""); at != std::string::npos;
         at = index.find("<a href=\"", at + 1)) {
      links.push_back(index.substr(at, index.find("</a>", at) - at));
    }
    return links;
  };
  for (const auto& input : {in_ / "alice.xml", second, in_ / "alice.xml"}) {
    ASSERT_EQ(
        Run({"--export=html", "--first=" + input.string(), "--output=" + out_.string()}).status, 0);
  }
  EXPECT_EQ(rows(),
            (std::vector<std::string>{"<a href=\"./%3Cb%3Ebob%20--%3E.html\">&lt;b&gt;bob --&gt;",
                                      "<a href=\"./alice.html\">alice"}));
  EXPECT_NE(ReadFile(out_ / "index.html").find("<td>2009-05-01</td>"), std::string::npos);
}

// Exit statuses and answers as for merge jobs; a history cut off mid-entry is exported as far
// as its whole entries go, the report and its page saying so (the page's notice escaped).
TEST_F(ExportJob, RefusesWhatCannotBeExported) {
  WriteFile(folder_ / "file", "x");
  const std::string whole = HistoryText(
      {{"2006/01/23", "12:00:00", "kept whole"}, {"2006/01/23", "12:01:00", "cut short"}});
  const std::string cut = whole.substr(0, whole.find("cut short") + 3);
  WriteFile(in_ / "a<&.xml", cut);
  const std::string breaks = "a<&.xml is cut off at byte " + std::to_string(cut.size()) +
                             ": 1 whole entry before it, the entry at the cut left out";
  const struct {
    const char* name;
    std::vector<std::string> arguments;
    int status;
    const char* said;
  } rows[] = {
      {"unknown form", {"--export=pdf", "--first=in", "--output=out"}, 2, "html, text or jsonl"},
      {"no output", {"--export=html", "--first=in"}, 2, "--export needs --first and --output"},
      {"missing input", {"--export=html", "--first=nowhere", "--output=out"}, 2, "nowhere"},
      {"output is a file", {"--export=html", "--first=in", "--output=file"}, 2, "file"},
      {"one file", {"--export=text", "--first=in/alice.xml", "--output=out"}, 0, ""},
      {"cut", {"--export=html", "--first=in/a<&.xml", "--output=out"}, 0, breaks.c_str()},
  };
  for (const auto& row : rows) {
    const ProcessResult run = Run(row.arguments);
    EXPECT_EQ(run.status, row.status) << row.name << ": " << run.err;
    EXPECT_NE(run.err.find(row.said), std::string::npos) << row.name << ": " << run.err;
  }
  EXPECT_TRUE(std::filesystem::exists(out_ / "alice.txt"));
  const std::string page = ReadFile(out_ / "a<&.html");
  EXPECT_NE(page.find("kept whole"), std::string::npos);
  EXPECT_EQ(page.find("cut short"), std::string::npos);
  EXPECT_NE(page.find("\"note\">a&lt;&amp;.xml is cut off at byte " + std::to_string(cut.size())),
            std::string::npos)
      << page;
}

}  // namespace
}  // namespace palvarin::test

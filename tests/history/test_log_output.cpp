#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "files/atomic_file.hpp"
#include "history/log_document.hpp"
#include "history/log_entry.hpp"
#include "history/log_writer.hpp"
#include "support/test_support.hpp"

namespace palvarin {
namespace {

using test::CanonicalTree;
using test::ReadFile;
using test::TempFolder;
using test::WriteFile;

constexpr const char* kProlog =
    "<?xml version=\"1.0\"?>\r\n<?xml-stylesheet type='text/xsl' href='MessageLog.xsl'?>\r\n";

// Entries that a careless writer would change: references for CR LF, CDATA, a control
// character, white-space-only text, attribute values with tabs, newlines and quotes.
const char* const kTrickyLog =
    "<?xml version=\"1.0\"?>\n<Log FirstSessionID=\"1\" LastSessionID=\"2\">"
    "<Message Date=\"2006/1/5\" Time=\"9:05:00\" DateTime=\"2006-01-05T00:05:00.000Z\" "
    "SessionID=\"1\"><From><User FriendlyName=\"a&#9;b&#xA;c&#xD;d &quot;q&quot; &amp; &lt;\"/>"
    "</From><To><User FriendlyName=\"\xe5\xa4\xaa\xe9\x83\x8e\"/></To>"
    "<Text Style=\"font-family:MS UI Gothic; \">line&#xD;&#xA;next&#xD;lone CR&#1;ctl &amp; "
    "&lt;tag&gt; ]]&gt;</Text></Message>"
    "<Message SessionID=\"2\"><Text><![CDATA[raw <b>\r\nmarkup]]></Text><Text> </Text>"
    "<Text>\t</Text></Message>"
    "<Invitation SessionID=\"2\"><Application>x</Application><!-- kept --><Empty/></Invitation>"
    "<Message SessionID=\"2\"><Text>lead &amp; <b>bold</b> tail<!-- c -->end</Text></Message>"
    "</Log>";

std::vector<std::string> CanonicalEntries(const LogDocument& document) {
  std::vector<std::string> entries;
  for (pugi::xml_node entry : document.Root().children()) {
    if (entry.type() == pugi::node_element) entries.push_back(CanonicalTree(entry));
  }
  return entries;
}

// Writes `input`'s entries as a merge output does, each in the session `sessionOf` gives it;
// by default the one it names.
void WriteOutputOf(
    const LogDocument& input, const std::filesystem::path& path,
    int (*sessionOf)(pugi::xml_node) = [](pugi::xml_node entry) {
      return static_cast<int>(ReadSessionId(LogEntry{entry}));
    }) {
  AtomicFile file;
  ASSERT_TRUE(file.Open(path));
  LogWriter writer(file);
  std::vector<std::pair<pugi::xml_node, int>> entries;
  for (pugi::xml_node entry : input.Root().children()) {
    if (entry.type() == pugi::node_element) entries.emplace_back(entry, sessionOf(entry));
  }
  writer.BeginLog(entries.empty() ? 0 : entries.back().second);
  for (const auto& [entry, session] : entries) writer.WriteEntry(entry, session);
  writer.EndLog();
  ASSERT_TRUE(writer.Flush() && file.Commit());
}

std::vector<std::filesystem::path> TrickyAndCorpusFiles(const TempFolder& folder) {
  auto files = test::CorpusFiles();
  WriteFile(folder / "tricky.xml", kTrickyLog);
  files.push_back(folder / "tricky.xml");
  return files;
}

// Entries as a plain parse sees them, every piece of text a node of its own.
std::vector<std::string> PlainParseEntries(const std::filesystem::path& file) {
  pugi::xml_document document;
  const unsigned options =
      pugi::parse_default | pugi::parse_ws_pcdata | pugi::parse_comments | pugi::parse_pi;
  EXPECT_TRUE(document.load_file(file.c_str(), options)) << file;
  std::vector<std::string> entries;
  for (pugi::xml_node entry : document.document_element().children()) {
    if (entry.type() == pugi::node_element) entries.push_back(CanonicalTree(entry));
  }
  return entries;
}

TEST(LoadLogDocument, EntriesHoldTheTextsAPlainParseFinds) {
  TempFolder folder;
  for (const auto& file : TrickyAndCorpusFiles(folder)) {
    auto input = LoadLogDocument(file);
    ASSERT_TRUE(input) << file;
    EXPECT_EQ(CanonicalEntries(*input), PlainParseEntries(file)) << file;
  }
}

// Through the writer and back, every entry keeps every character, and writing what was read
// again gives the same bytes.
TEST(LogWriter, EntriesSurviveWriteAndLoadAndAreByteStable) {
  TempFolder folder;
  for (const auto& file : TrickyAndCorpusFiles(folder)) {
    auto input = LoadLogDocument(file);
    ASSERT_TRUE(input) << file;
    WriteOutputOf(*input, folder / "first.xml");
    const std::string first = ReadFile(folder / "first.xml");
    EXPECT_EQ(first.rfind(kProlog, 0), 0u) << file;
    EXPECT_TRUE(first.ends_with("</Log>\r\n")) << file;
    auto reloaded = LoadLogDocument(folder / "first.xml");
    ASSERT_TRUE(reloaded) << file;
    EXPECT_EQ(CanonicalEntries(*reloaded), CanonicalEntries(*input)) << file;
    WriteOutputOf(*reloaded, folder / "second.xml");
    EXPECT_EQ(ReadFile(folder / "second.xml"), first) << file;
  }
}

TEST(LogWriter, WritesCharactersAReadWouldChangeAsReferences) {
  TempFolder folder;
  WriteFile(folder / "tricky.xml", kTrickyLog);
  auto input = LoadLogDocument(folder / "tricky.xml");
  ASSERT_TRUE(input);
  WriteOutputOf(*input, folder / "out.xml");
  const std::string saved = ReadFile(folder / "out.xml");
  EXPECT_NE(saved.find("line&#xD;\nnext&#xD;lone CR\x01"
                       "ctl &amp; &lt;tag&gt; ]]&gt;"),
            std::string::npos);
  EXPECT_NE(saved.find("FriendlyName=\"a&#x9;b&#xA;c&#xD;d &quot;q&quot; &amp; &lt;\""),
            std::string::npos);
  EXPECT_NE(saved.find("<![CDATA[raw <b>\nmarkup]]>"), std::string::npos);
  EXPECT_NE(saved.find("<Text>lead &amp; <b>bold</b> tail<!-- c -->end</Text>"), std::string::npos);
  EXPECT_NE(saved.find("<Application>x</Application><!-- kept --><Empty/>"), std::string::npos);
  EXPECT_EQ(saved.find('\r', saved.find("<Log")), saved.size() - 2) << "only the final CR LF";
}

// Long outputs are formatted in parts on other threads and handed over as text: the bytes
// must be those of the entries written one by one, however the entries are split into parts.
TEST(LogWriter, EntriesFormattedInPartsEqualEntriesWrittenOneByOne) {
  TempFolder folder;
  WriteFile(folder / "in.xml",
            "<Log><Message SessionID='7' a='1'><From><User FriendlyName='a&#9;b&#10;c'/></From>"
            "<Text Style='x'>lead &amp; <b>bold</b> tail<!-- c -->end&#13;</Text></Message>"
            "<Message b='2'/><Invitation SessionID='x'><![CDATA[raw <b>]]><?pi data?></Invitation>"
            "<Deep><a><b><c>d</c></b></a><e/></Deep><Empty></Empty></Log>");
  auto input = LoadLogDocument(folder / "in.xml");
  ASSERT_TRUE(input);
  std::vector<pugi::xml_node> entries;
  for (pugi::xml_node entry : input->Root().children()) entries.push_back(entry);
  const int lastSession = static_cast<int>(entries.size());

  AtomicFile one;
  ASSERT_TRUE(one.Open(folder / "one_by_one.xml"));
  LogWriter oneByOne(one);
  oneByOne.BeginLog(lastSession);
  for (std::size_t i = 0; i < entries.size(); ++i) {
    oneByOne.WriteEntry(entries[i], static_cast<int>(i + 1));
  }
  oneByOne.EndLog();
  ASSERT_TRUE(oneByOne.Flush() && one.Commit());
  const std::string expected = ReadFile(folder / "one_by_one.xml");

  const std::vector<std::vector<std::size_t>> splits = {
      {5}, {1, 1, 1, 1, 1}, {0, 2, 0, 3}, {4, 1, 0}, {0}};
  for (const auto& split : splits) {
    const bool noEntries = split.size() == 1 && split[0] == 0;
    AtomicFile file;
    ASSERT_TRUE(file.Open(folder / "parts.xml"));
    LogWriter writer(file);
    writer.BeginLog(noEntries ? 0 : lastSession);
    std::size_t next = 0;
    for (std::size_t size : split) {
      std::string part;
      for (std::size_t i = 0; i < size; ++i, ++next) {
        LogWriter::FormatEntry(part, entries[next], static_cast<int>(next + 1));
      }
      writer.WriteFormattedEntries(part);
    }
    writer.EndLog();
    ASSERT_TRUE(writer.Flush() && file.Commit());
    const std::string written = ReadFile(folder / "parts.xml");
    if (noEntries) {
      EXPECT_EQ(written,
                std::string(kProlog) + "<Log FirstSessionID=\"1\" LastSessionID=\"0\"/>\r\n")
          << "no part may open the root";
    } else {
      EXPECT_EQ(written, expected) << "split into " << split.size() << " parts";
    }
  }
}

// The output is UTF-8 whatever the input declared; "SessionID" is replaced where it stands and
// added last where it was missing.
TEST(LogWriter, DeclaresWhatItWritesAndPlacesTheSession) {
  TempFolder folder;
  WriteFile(folder / "latin1.xml",
            "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>"
            "<Log><M a='1'>caf\xe9</M><N SessionID='9' b='2'/></Log>");
  auto input = LoadLogDocument(folder / "latin1.xml");
  ASSERT_TRUE(input);
  WriteOutputOf(*input, folder / "out.xml", [](pugi::xml_node) { return 4; });
  EXPECT_EQ(ReadFile(folder / "out.xml"),
            std::string(kProlog) +
                "<Log FirstSessionID=\"1\" LastSessionID=\"4\"><M a=\"1\" SessionID=\"4\">"
                "caf\xc3\xa9</M><N SessionID=\"4\" b=\"2\"/></Log>\r\n");
}

}  // namespace
}  // namespace palvarin

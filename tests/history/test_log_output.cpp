#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "history/log_document.hpp"
#include "history/log_entry.hpp"
#include "history/log_writer.hpp"
#include "support/reference_output.hpp"
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

// An output built the plain way: skeleton, deep copies of the entries, root attributes.
LogDocument OutputOf(const LogDocument& input) {
  auto output = CreateEmptyLog();
  EXPECT_TRUE(output);
  AddLogSkeleton(*output);
  int last = 0;
  for (pugi::xml_node entry : input.Root().children()) {
    if (entry.type() != pugi::node_element) continue;
    pugi::xml_node copy = output->Root().append_copy(entry);
    last = ReadSessionId(LogEntry{entry});
    SetIntegerAttribute(copy, "SessionID", last);
  }
  SetSessionRange(*output, last);
  return *output;
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

TEST(SaveLogDocument, EntriesSurviveSaveAndLoadCharacterForCharacter) {
  TempFolder folder;
  for (const auto& file : TrickyAndCorpusFiles(folder)) {
    auto input = LoadLogDocument(file);
    ASSERT_TRUE(input) << file;
    SaveLogDocument(OutputOf(*input), folder / "out.xml");
    const std::string saved = ReadFile(folder / "out.xml");
    EXPECT_EQ(saved.rfind(kProlog, 0), 0u) << file;
    EXPECT_TRUE(saved.ends_with("</Log>\r\n")) << file;
    auto reloaded = LoadLogDocument(folder / "out.xml");
    ASSERT_TRUE(reloaded) << file;
    EXPECT_EQ(CanonicalEntries(*reloaded), CanonicalEntries(*input)) << file;
  }
}

TEST(SaveLogDocument, LoadAndSaveAgainIsByteStable) {
  TempFolder folder;
  for (const auto& file : TrickyAndCorpusFiles(folder)) {
    auto input = LoadLogDocument(file);
    ASSERT_TRUE(input) << file;
    SaveLogDocument(OutputOf(*input), folder / "first.xml");
    auto first = LoadLogDocument(folder / "first.xml");
    ASSERT_TRUE(first) << file;
    SaveLogDocument(*first, folder / "second.xml");
    EXPECT_EQ(ReadFile(folder / "second.xml"), ReadFile(folder / "first.xml")) << file;
  }
}

TEST(SaveLogDocument, WritesCharactersAReadWouldChangeAsReferences) {
  TempFolder folder;
  WriteFile(folder / "tricky.xml", kTrickyLog);
  auto input = LoadLogDocument(folder / "tricky.xml");
  ASSERT_TRUE(input);
  SaveLogDocument(OutputOf(*input), folder / "out.xml");
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

TEST(LogWriter, StreamedEntriesEqualTheSavedDocument) {
  TempFolder folder;
  WriteFile(folder / "in.xml",
            "<Log><Message SessionID='7' a='1'><Text>x</Text></Message><Message b='2'/>"
            "<Invitation SessionID='x'/></Log>");
  auto input = LoadLogDocument(folder / "in.xml");
  ASSERT_TRUE(input);
  const int sessions[] = {1, 1, 2};

  auto output = CreateEmptyLog();
  ASSERT_TRUE(output);
  AddLogSkeleton(*output);
  int at = 0;
  for (pugi::xml_node entry : input->Root().children()) {
    SetIntegerAttribute(output->Root().append_copy(entry), "SessionID", sessions[at++]);
  }
  SetSessionRange(*output, 2);
  SaveLogDocument(*output, folder / "document.xml");

  AtomicFile file;
  ASSERT_TRUE(file.Open(folder / "streamed.xml"));
  LogWriter writer(file);
  writer.BeginLog(2);
  at = 0;
  for (pugi::xml_node entry : input->Root().children()) writer.WriteEntry(entry, sessions[at++]);
  writer.EndLog();
  ASSERT_TRUE(writer.Flush() && file.Commit());
  EXPECT_EQ(ReadFile(folder / "streamed.xml"), ReadFile(folder / "document.xml"));
  EXPECT_NE(ReadFile(folder / "streamed.xml").find("<Message b=\"2\" SessionID=\"1\"/>"),
            std::string::npos);
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

TEST(SaveLogDocument, DeclaresWhatItWritesWhateverTheInputDeclared) {
  TempFolder folder;
  WriteFile(folder / "latin1.xml",
            "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><Log><M>caf\xe9</M></Log>");
  auto input = LoadLogDocument(folder / "latin1.xml");
  ASSERT_TRUE(input);
  SaveLogDocument(*input, folder / "out.xml");
  EXPECT_EQ(ReadFile(folder / "out.xml"),
            "<?xml version=\"1.0\"?>\r\n<Log><M>caf\xc3\xa9</M></Log>\r\n");
}

}  // namespace
}  // namespace palvarin

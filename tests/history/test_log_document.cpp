#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "history/log_document.hpp"
#include "history/log_entry.hpp"
#include "history/xml_error.hpp"
#include "support/test_support.hpp"

namespace palvarin {
namespace {

using test::TempFolder;
using test::WriteFile;

std::optional<LogDocument> LoadText(const TempFolder& folder, const std::string& bytes) {
  const auto path = folder / "log.xml";
  WriteFile(path, bytes);
  auto log = LoadLogDocument(path);
  return log ? std::optional<LogDocument>(std::move(*log)) : std::nullopt;
}

TEST(LoadLogDocument, EveryCorpusFileLoadsAndItsEntriesWalk) {
  const auto files = test::CorpusFiles();
  if (files.empty()) GTEST_SKIP() << "the corpus of real history files is not there";
  for (const auto& file : files) {
    auto document = LoadLogDocument(file);
    ASSERT_TRUE(document) << file;
    EXPECT_STREQ(document->Root().name(), "Log");
    const std::string raw = test::ReadFile(file);
    const NodeList entries = ChildNodes(document->Root());
    int messages = 0, invitations = 0, responses = 0;
    int at = 0;
    for (SkipToElement(entries, at); at < static_cast<int>(entries.size());
         ++at, SkipToElement(entries, at)) {
      LogEntry entry{entries[static_cast<std::size_t>(at)]};
      const std::string kind = entry.node.name();
      messages += kind == "Message";
      invitations += kind == "Invitation";
      responses += kind == "InvitationResponse";
      EXPECT_GE(ReadSessionId(entry), 1) << file << " entry " << at;
    }
    EXPECT_EQ(messages, test::Occurrences(raw, "<Message ")) << file;
    EXPECT_EQ(invitations, test::Occurrences(raw, "<Invitation ")) << file;
    EXPECT_EQ(responses, test::Occurrences(raw, "<InvitationResponse ")) << file;
    EXPECT_GT(messages, 0) << file;
  }
}

TEST(LoadLogDocument, RefusesWhatIsNotOneWellFormedDocument) {
  TempFolder folder;
  const struct {
    const char* name;
    std::string bytes;
  } cases[] = {
      {"empty file", ""},
      {"white space only", " \r\n"},
      {"two top-level elements", "<Log/><Log/>"},
      {"text at top level after", "<Log/>text"},
      {"text at top level before", "text<Log/>"},
      {"CDATA at top level", "<Log/><![CDATA[x]]>"},
      {"repeated attribute", R"(<Log><Message Date="1" Date="2"/></Log>)"},
      {"repeated attribute among many",
       R"(<Log><M a="1" b="2" c="3" d="4" e="5" f="6" g="7" h="8" i="9" c="x"/></Log>)"},
      {"unclosed root", "<Log><Message/>"},
      {"mismatched end", "<Log><Message></Log>"},
      {"binary garbage", std::string("\x00\xff\x13<\x89PNG\r\n\x1a", 12)},
  };
  for (const auto& c : cases) {
    const auto path = folder / "log.xml";
    WriteFile(path, c.bytes);
    const Result<LogDocument> log = LoadLogDocument(path);
    const std::string& refusal = Said(log);
    EXPECT_FALSE(log) << c.name;
    EXPECT_EQ(refusal.find(path.string() + " is not a message history: "), 0u)
        << c.name << ": " << refusal;
  }
}

std::string Utf16Le(const std::string& ascii) {
  std::string bytes = "\xff\xfe";
  for (char c : ascii) bytes += std::string{c, '\0'};
  return bytes;
}

// Only a root element named exactly "Log" makes a history: any other well-formed document
// (another vocabulary, a stylesheet, in any encoding) is refused, naming its root.
TEST(LoadLogDocument, RefusesEveryRootButLog) {
  TempFolder folder;
  const std::string stylesheet =
      "<?xml version=\"1.0\"?><xsl:stylesheet version=\"1.0\" "
      "xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\"><xsl:template match=\"Log\">"
      "<Log/></xsl:template></xsl:stylesheet>";
  const struct {
    const char* name;
    std::string bytes;
    const char* root;  // as the refusal names it; null: loaded
  } cases[] = {
      {"history", "<Log><Message SessionID=\"1\"/></Log>", nullptr},
      {"history in UTF-16", Utf16Le("<Log><Message SessionID=\"1\"/></Log>"), nullptr},
      {"web application", "<?xml version=\"1.0\"?><web-app><servlet/></web-app>", "web-app"},
      {"stylesheet", stylesheet, "xsl:stylesheet"},
      {"stylesheet in UTF-16", Utf16Le(stylesheet), "xsl:stylesheet"},
      {"lower case", "<log><Message SessionID=\"1\"/></log>", "log"},
      {"upper case", "<LOG/>", "LOG"},
      {"with a prefix", "<m:Log xmlns:m=\"urn:x\"/>", "m:Log"},
      {"longer name", "<Logs><Log/></Logs>", "Logs"},
  };
  for (const auto& c : cases) {
    const auto path = folder / "log.xml";
    WriteFile(path, c.bytes);
    const Result<LogDocument> document = LoadLogDocument(path);
    const std::string& refusal = Said(document);
    EXPECT_EQ(static_cast<bool>(document), c.root == nullptr) << c.name << ": " << refusal;
    if (c.root != nullptr) {
      EXPECT_EQ(refusal, path.string() + " is not a message history: its root element is <" +
                             c.root + ">, not <Log>")
          << c.name;
    }
  }
}

TEST(LoadLogDocument, LoadsOnlyRegularFilesAndSaysWhyNot) {
  TempFolder folder;
  std::filesystem::create_directory(folder / "dir.xml");
  ASSERT_EQ(::mkfifo((folder / "pipe.xml").c_str(), 0600), 0);
  const struct {
    std::filesystem::path path;
    std::string refusal;
  } cases[] = {
      {folder / "missing.xml", "cannot open " + (folder / "missing.xml").string() + ": "},
      {folder.Path(), "cannot read " + folder.Path().string() + ": it is a folder"},
      {folder / "dir.xml", "cannot read " + (folder / "dir.xml").string() + ": it is a folder"},
      {folder / "pipe.xml",
       "cannot read " + (folder / "pipe.xml").string() + ": it is a named pipe"},
  };
  for (const auto& c : cases) {
    const Result<LogDocument> log = LoadLogDocument(c.path);
    const std::string& refusal = Said(log);
    EXPECT_FALSE(log) << c.path;
    EXPECT_EQ(refusal.find(c.refusal), 0u) << refusal;
  }
}

// Larger than memory and swap: the pair fails as when memory runs out, without trying.
TEST(LoadLogDocument, AFileLargerThanMemoryRaisesOutOfMemory) {
  TempFolder folder;
  const auto path = folder / "huge.xml";
  if (!test::MakeFileLargerThanMemory(path)) {
    GTEST_SKIP() << "this file system holds no sparse file that large";
  }
  try {
    LoadLogDocument(path);
    ADD_FAILURE() << "loaded";
  } catch (const XmlError& failure) {
    EXPECT_EQ(failure.Status(), kErrorOutOfMemory);
    EXPECT_EQ(failure.Why().path, path.string());
  }
}

TEST(LoadLogDocument, EveryCutOfACorpusFileBeforeItsEndIsNotLoaded) {
  const auto files = test::CorpusFiles();
  if (files.empty()) GTEST_SKIP() << "the corpus of real history files is not there";
  TempFolder folder;
  for (const auto& file : files) {
    const std::string raw = test::ReadFile(file);
    const std::size_t end = raw.rfind("</Log>") + 6;
    ASSERT_NE(end, std::string::npos + 6) << file;
    for (std::size_t cut = 0; cut < end; ++cut) {
      ASSERT_FALSE(LoadText(folder, raw.substr(0, cut))) << file << " cut at " << cut;
    }
    EXPECT_TRUE(LoadText(folder, raw.substr(0, end))) << file;
  }
}

TEST(LoadLogDocument, ReadsUtf16WithByteOrderMark) {
  TempFolder folder;
  const std::string text = "<Log><Message SessionID=\"4\"/></Log>";
  std::string utf16 = "\xff\xfe";
  for (char c : text) utf16 += std::string{c, '\0'};
  auto document = LoadText(folder, utf16);
  ASSERT_TRUE(document);
  EXPECT_EQ(ReadSessionId(LogEntry{document->Root().first_child()}), 4);
}

TEST(LoadLogDocument, KeepsWhiteSpaceOnlyText) {
  TempFolder folder;
  auto document = LoadText(folder, "<Log><Message><Text> </Text><Text>\t\n</Text></Message></Log>");
  ASSERT_TRUE(document);
  pugi::xml_node message = document->Root().first_child();
  EXPECT_EQ(ElementText(message.first_child()), " ");
  EXPECT_EQ(ElementText(message.last_child()), "\t\n");
}

class LookupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(xml_.load_string(
        "<Log>\n  <Message SessionID='1'><From><User FriendlyName='a'/></From>"
        "<To><Group><User FriendlyName='b'/></Group><User FriendlyName='c'/></To>"
        "<Text Style='s'>one<![CDATA[ two ]]><b>three</b></Text></Message>\n  text\n"
        "  <Message/>\n</Log>",
        pugi::parse_default | pugi::parse_ws_pcdata));
    list_ = ChildNodes(xml_.document_element());
  }
  pugi::xml_document xml_;
  NodeList list_;
};

TEST_F(LookupTest, SkipToElementStepsOverTextOnly) {
  int index = 0;
  SkipToElement(list_, index);
  EXPECT_EQ(index, 1);
  SkipToElement(list_, index);
  EXPECT_EQ(index, 1) << "an element at the index stays";
  index = 2;
  SkipToElement(list_, index);
  EXPECT_EQ(index, 3);
  index = 4;
  SkipToElement(list_, index);
  EXPECT_EQ(index, 5) << "only text left: the length";
}

TEST_F(LookupTest, FindUniqueElementNeedsExactlyOne) {
  pugi::xml_node message = list_[1];
  pugi::xml_node from = FindUniqueElement(message, "From");
  ASSERT_TRUE(from);
  EXPECT_STREQ(FindAttribute(FindUniqueElement(from, "User"), "FriendlyName").value(), "a");
  EXPECT_FALSE(FindUniqueElement(message, "User")) << "three below the message";
  EXPECT_FALSE(FindUniqueElement(FindUniqueElement(message, "To"), "User")) << "two below To";
  EXPECT_TRUE(FindUniqueElement(message, "Group")) << "found at any depth";
  EXPECT_FALSE(FindUniqueElement(message, "Missing"));
  EXPECT_FALSE(FindUniqueElement(message, "Message")) << "the element itself does not count";
  EXPECT_FALSE(FindUniqueElement(list_[0], "User")) << "a text node";
  EXPECT_FALSE(FindUniqueElement(pugi::xml_node{}, "User"));
}

TEST_F(LookupTest, FindAttributeAndElementText) {
  EXPECT_STREQ(FindAttribute(list_[1], "SessionID").value(), "1");
  EXPECT_FALSE(FindAttribute(list_[3], "SessionID"));
  EXPECT_FALSE(FindAttribute(pugi::xml_node{}, "SessionID"));
  EXPECT_EQ(ElementText(FindUniqueElement(list_[1], "Text")), "one two three");
  EXPECT_EQ(ElementText(list_[3]), "");
}

TEST(SetIntegerAttribute, ReplacesInPlaceOrAddsLast) {
  pugi::xml_document xml;
  ASSERT_TRUE(xml.load_string("<M a='1' SessionID='9' b='2'/><N a='1'/>"));
  SetIntegerAttribute(xml.first_child(), "SessionID", 12);
  SetIntegerAttribute(xml.last_child(), "SessionID", -3);
  EXPECT_EQ(test::CanonicalTree(xml.first_child()), "<M a=[1] SessionID=[12] b=[2]></>");
  EXPECT_EQ(test::CanonicalTree(xml.last_child()), "<N a=[1] SessionID=[-3]></>");
}

TEST(DeepDocuments, LoadWalkAndLookUpWithoutRecursion) {
  TempFolder folder;
  std::string deep = "<Log><Message SessionID='1'>";
  for (int i = 0; i < 100000; ++i) deep += "<b>";
  deep += "<Text>x</Text>";
  for (int i = 0; i < 100000; ++i) deep += "</b>";
  deep += "</Message></Log>";
  auto document = LoadText(folder, deep);
  ASSERT_TRUE(document);
  pugi::xml_node message = document->Root().first_child();
  EXPECT_TRUE(FindUniqueElement(message, "Text"));
  EXPECT_EQ(ElementText(message), "x");
}

}  // namespace
}  // namespace palvarin

#include <gtest/gtest.h>

#include <array>
#include <pugixml.hpp>
#include <string>

#include "history/log_document.hpp"
#include "history/log_entry.hpp"

namespace palvarin {
namespace {

constexpr unsigned kTextNodes = pugi::parse_default | pugi::parse_ws_pcdata;
// As history files are read: an element's leading text is its own value.
constexpr unsigned kEmbeddedText = kTextNodes | pugi::parse_embed_pcdata;

pugi::xml_node FirstElement(pugi::xml_document& document, const char* xml,
                            unsigned options = kEmbeddedText) {
  const auto result = document.load_string(xml, options);
  EXPECT_TRUE(result) << xml;
  return document.document_element();
}

// The single descendant of that name as the library's own XPath finds it.
pugi::xml_node UniqueByXPath(pugi::xml_node node, const char* name) {
  const pugi::xpath_node_set set = node.select_nodes((std::string(".//") + name).c_str());
  return set.size() == 1 ? set.first().node() : pugi::xml_node{};
}

TEST(FindUniqueElements, FindsEachNameAsXPathDoes) {
  const char* const documents[] = {
      "<Message><From><User/></From><To><User/></To><Text>x</Text></Message>",
      "<Message><From/><From/><Text/></Message>",                 // From twice
      "<Message><To><Text/></To><Text/></Message>",               // Text at two depths
      "<Message><Tool/><T/><Fromage/><Text/></Message>",          // names sharing a start
      "<Message><a><b><From/></b></a><To/><To/><To/></Message>",  // deep, and three times
      "<Message>text only</Message>",
      "<Message/>",
  };
  static constexpr std::array<const char*, 4> kNames = {"From", "To", "Text", "User"};
  for (const char* xml : documents) {
    pugi::xml_document document;
    const pugi::xml_node message = FirstElement(document, xml);
    std::array<pugi::xml_node, kNames.size()> found;
    FindUniqueElements(message, kNames, found);
    for (std::size_t i = 0; i < kNames.size(); ++i) {
      EXPECT_EQ(found[i], UniqueByXPath(message, kNames[i])) << xml << " " << kNames[i];
      EXPECT_EQ(FindUniqueElement(message, kNames[i]), found[i]) << xml << " " << kNames[i];
    }
  }
  std::array<pugi::xml_node, kNames.size()> found;
  FindUniqueElements(pugi::xml_node{}, kNames, found);
  for (pugi::xml_node node : found) EXPECT_FALSE(node) << "an empty handle finds nothing";
}

TEST(ElementText, JoinsAllCharacterDataWhereverTheLibraryKeepsIt) {
  struct Row {
    const char* name;
    const char* xml;
    const char* text;
  };
  const Row rows[] = {
      {"one text", "<T>abc</T>", "abc"},
      {"character data", "<T><![CDATA[a<b]]></T>", "a<b"},
      {"text before markup", "<T>a<b>b</b>c</T>", "abc"},
      {"text before a comment", "<T>ab<!--x-->c</T>", "abc"},
      {"markup first", "<T><i>a</i>bc</T>", "abc"},
      {"character data first", "<T><![CDATA[a]]>bc</T>", "abc"},
      {"blank", "<T> </T>", " "},
      {"empty", "<T/>", ""},
  };
  for (const Row& row : rows) {
    for (unsigned options : {kTextNodes, kEmbeddedText}) {
      pugi::xml_document document;
      EXPECT_EQ(ElementText(FirstElement(document, row.xml, options)), row.text) << row.name;
    }
  }
  pugi::xml_document document;
  const pugi::xml_node text = FirstElement(document, "<T>a<b>b</b></T>");
  EXPECT_EQ(ElementText(text.first_child()), "b") << "the text of a child alone";
}

TEST(SameElementText, ComparesWholeTexts) {
  struct Row {
    const char* name;
    const char* a;
    const char* b;
    bool same;
  };
  const Row rows[] = {
      {"same single text", "<T>abc</T>", "<T>abc</T>", true},
      {"different single text", "<T>abc</T>", "<T>abd</T>", false},
      {"prefix", "<T>ab</T>", "<T>abc</T>", false},
      {"text against the same in character data", "<T>abc</T>", "<T><![CDATA[abc]]></T>", true},
      {"text split by markup", "<T>a<b>b</b>c</T>", "<T>abc</T>", true},
      {"split differently", "<T>a<b>bc</b></T>", "<T><i>ab</i>c</T>", true},
      {"leading text then a comment", "<T>ab<!--x--></T>", "<T>ab</T>", true},
      {"leading text then more text", "<T>ab<!--x-->c</T>", "<T>ab</T>", false},
      {"leading text against a child's", "<T>ab<i/></T>", "<T><i>ab</i></T>", true},
      {"empty against blank", "<T/>", "<T> </T>", false},
      {"both empty", "<T/>", "<T></T>", true},
      {"a child element without text", "<T><b/></T>", "<T/>", true},
  };
  for (const Row& row : rows) {
    for (unsigned options : {kTextNodes, kEmbeddedText}) {
      pugi::xml_document documentA;
      pugi::xml_document documentB;
      const pugi::xml_node a = FirstElement(documentA, row.a, options);
      const pugi::xml_node b = FirstElement(documentB, row.b, options);
      EXPECT_EQ(SameElementText(a, b), row.same) << row.name;
      EXPECT_EQ(SameElementText(b, a), row.same) << row.name;
    }
  }
}

// One pass over the attributes must find what one lookup per name finds.
TEST(ReadEntryStamps, FindsWhatFindAttributeFinds) {
  const char* const documents[] = {
      R"(<Message Date="1" Time="2" DateTime="3" SessionID="4"/>)",
      R"(<Message SessionID="4" DateTime="3" Time="2" Date="1"/>)",
      R"(<Message Dates="x" D="y" Timer="z" SessionIDs="w" Style="v"/>)",
      R"(<Message Date="1" Date="2" SessionID="3" SessionID="4"/>)",  // the first counts
      R"(<Message/>)",
  };
  for (const char* xml : documents) {
    pugi::xml_document document;
    const pugi::xml_node message = FirstElement(document, xml);
    const EntryStamps stamps = ReadEntryStamps(LogEntry{message});
    EXPECT_EQ(stamps.date, FindAttribute(message, "Date")) << xml;
    EXPECT_EQ(stamps.time, FindAttribute(message, "Time")) << xml;
    EXPECT_EQ(stamps.dateTime, FindAttribute(message, "DateTime")) << xml;
    EXPECT_EQ(stamps.session, FindAttribute(message, "SessionID")) << xml;
  }
}

}  // namespace
}  // namespace palvarin

#include <gtest/gtest.h>
#include <xxhash.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "entry_identity.hpp"
#include "merge/entry_comparison.hpp"
#include "merge/entry_list.hpp"
#include "merge_fixtures.hpp"
#include "support/test_support.hpp"

namespace palvarin {
namespace {

struct DigestRow {
  const char* name;
  std::string entry;
  const char* digest;  // high then low word, hexadecimal
};

std::string Hex(const EntryIdentity& identity) {
  char text[40];
  std::snprintf(text, sizeof text, "%016llx%016llx", static_cast<unsigned long long>(identity.high),
                static_cast<unsigned long long>(identity.low));
  return text;
}

// The bytes an identity digests, written out plainly from the public helpers, one lookup per
// item: what the digest's single walks must add up to, for any tree.
class PlainDigestInput {
 public:
  void Number(std::int64_t number) {
    char raw[sizeof number];
    std::memcpy(raw, &number, sizeof number);
    bytes_.append(raw, sizeof raw);
  }
  void Text(std::string_view text) {
    Number(static_cast<std::int64_t>(text.size()));
    bytes_.append(text);
  }
  void Tag(char tag) { bytes_ += tag; }
  EntryIdentity Digest() const {
    const XXH128_hash_t digest = XXH3_128bits(bytes_.data(), bytes_.size());
    return {digest.low64, digest.high64};
  }

 private:
  std::string bytes_;
};

std::optional<EntryIdentity> PlainRuleIdentity(const TimedEntry& entry) {
  const pugi::xml_node node = entry.entry.node;
  const std::string name = node.name();
  if (name != "Message" && name != "Invitation" && name != "InvitationResponse") return {};
  const pugi::xml_attribute stamp = node.attribute("DateTime");
  if (!entry.time || !stamp) return {};
  PlainDigestInput input;
  input.Tag('R');
  input.Text(name);
  input.Number(*entry.time);
  input.Text(stamp.value());
  if (name != "Message") return input.Digest();
  const pugi::xml_node from = FindUniqueElement(node, "From");
  const pugi::xml_node to = FindUniqueElement(node, "To");
  const pugi::xml_node text = FindUniqueElement(node, "Text");
  if (!from || !to || !text) return {};
  const pugi::xml_attribute fromName = FindUniqueElement(from, "User").attribute("FriendlyName");
  const pugi::xml_attribute toName = FindUniqueElement(to, "User").attribute("FriendlyName");
  const pugi::xml_attribute style = text.attribute("Style");
  if (!fromName || !toName || !style) return {};
  input.Text(fromName.value());
  input.Text(toName.value());
  input.Text(ElementText(text));
  input.Text(style.value());
  return input.Digest();
}

void AddPlainTree(PlainDigestInput& input, pugi::xml_node node, int depth) {
  input.Number(depth);
  input.Number(node.type());
  input.Text(node.name());
  input.Text(node.value());
  std::vector<std::pair<std::string, std::string>> attributes;
  for (pugi::xml_attribute attribute : node.attributes()) {
    if (depth > 0 || std::string_view(attribute.name()) != "SessionID") {
      attributes.emplace_back(attribute.name(), attribute.value());
    }
  }
  std::sort(attributes.begin(), attributes.end());
  input.Number(static_cast<std::int64_t>(attributes.size()));
  for (const auto& [name, value] : attributes) {
    input.Text(name);
    input.Text(value);
  }
  for (pugi::xml_node child : node.children()) AddPlainTree(input, child, depth + 1);
}

EntryIdentity PlainIdentity(const TimedEntry& entry) {
  if (const auto rule = PlainRuleIdentity(entry)) return *rule;
  PlainDigestInput input;
  input.Tag('W');
  AddPlainTree(input, entry.entry.node, 0);
  return input.Digest();
}

// Entries near the shapes the rules look for, and some far from them: parties missing,
// repeated or inside each other, texts in parts, attributes missing, renamed or reordered.
class EntryTreeGenerator {
 public:
  explicit EntryTreeGenerator(std::uint32_t seed) : rng_(seed) {}

  std::string Entry() {
    static const char* const kNames[] = {"Message", "Invitation", "InvitationResponse", "Join",
                                         "Message"};
    std::string xml = "<" + std::string(Pick(kNames)) + EntryAttributes() + ">";
    if (Chance(70)) {
      std::vector<std::string> parts{Party("From"), Party("To")};
      if (Chance(85)) parts.push_back(TextElement());
      if (Chance(15)) parts.push_back(Party(Chance(50) ? "From" : "To"));
      if (Chance(10)) parts.push_back(TextElement());
      if (Chance(15)) parts.push_back(User());  // a user outside the parties
      if (Chance(25)) parts.push_back(Tree(2));
      if (Chance(30)) std::shuffle(parts.begin(), parts.end(), rng_);
      for (const std::string& part : parts) xml += part;
    } else {
      for (int n = Uniform(0, 4); n > 0; --n) xml += Tree(3);
    }
    return xml + "</" + EntryName(xml) + ">";
  }

 private:
  int Uniform(int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng_); }
  bool Chance(int percent) { return Uniform(1, 100) <= percent; }
  template <std::size_t N>
  const char* Pick(const char* const (&items)[N]) {
    return items[static_cast<std::size_t>(Uniform(0, static_cast<int>(N) - 1))];
  }
  static std::string EntryName(const std::string& xml) {
    return xml.substr(1, xml.find_first_of(" >") - 1);
  }

  std::string EntryAttributes() {
    std::vector<std::string> attributes;
    if (Chance(85)) attributes.push_back(R"(Date="2010/09/16")");
    if (Chance(85)) attributes.push_back(R"(Time="12:00:0)" + std::to_string(Uniform(0, 9)) + "\"");
    if (Chance(80)) {
      attributes.push_back(Chance(90) ? R"(DateTime="2010-09-16T03:00:0)" +
                                            std::to_string(Uniform(0, 9)) + R"(.000Z")"
                                      : R"(DateTime="")");
    }
    if (Chance(80)) attributes.push_back("SessionID=\"" + std::to_string(Uniform(1, 3)) + "\"");
    if (Chance(20)) attributes.push_back(R"(Extra="x")");
    std::shuffle(attributes.begin(), attributes.end(), rng_);
    std::string xml;
    for (const std::string& attribute : attributes) xml += " " + attribute;
    return xml;
  }

  std::string User() {
    static const char* const kNames[] = {"Ann", "Bob", "", "C &amp; D"};
    std::string xml = "<User";
    if (Chance(50)) xml += R"( Id="7")";
    if (Chance(90)) xml += " FriendlyName=\"" + std::string(Pick(kNames)) + "\"";
    if (Chance(20)) xml += R"( Status="away")";
    return xml + "/>";
  }

  std::string Party(const char* name) {
    std::string xml = "<" + std::string(name) + ">";
    if (Chance(95)) xml += User();
    if (Chance(10)) xml += User();
    if (Chance(8)) xml += Party(Chance(50) ? "From" : "To");
    if (Chance(8)) xml += "<Group>" + User() + "</Group>";
    return xml + "</" + name + ">";
  }

  std::string TextElement() {
    std::string xml = "<Text";
    if (Chance(85)) xml += R"( Style="color:#000")";
    if (Chance(15)) xml += R"( Lang="ja")";
    xml += ">";
    for (int n = Uniform(0, 3); n > 0; --n) xml += TextPiece();
    return xml + "</Text>";
  }

  std::string TextPiece() {
    switch (Uniform(0, 5)) {
      case 0:
        return "<b>bold</b>";
      case 1:
        return "<![CDATA[<raw>]]>";
      case 2:
        return "<!-- note -->";
      case 3:
        return "<i><b>deep</b> tail</i>";
      default:
        return Chance(50) ? "hi" : "x &lt; y";
    }
  }

  std::string Tree(int depth) {
    static const char* const kNames[] = {"n", "User", "Text", "From", "To", "User", "b"};
    switch (Uniform(0, depth > 0 ? 4 : 2)) {
      case 0:
        return "text";
      case 1:
        return "<!--c-->";
      case 2:
        return "<?pi data?>";
      default: {
        const std::string name = Pick(kNames);
        std::string xml = "<" + name;
        if (Chance(40)) xml += R"( b="2" a="1")";
        if (Chance(30)) xml += R"( FriendlyName="Eve" Style="s")";
        xml += ">";
        for (int n = Uniform(0, 3); n > 0; --n) xml += Tree(depth - 1);
        return xml + "</" + name + ">";
      }
    }
  }

  std::mt19937 rng_;
};

// `depth` elements each inside the one before, each followed by a text of its own: a walk
// back up that lands on the wrong level meets the wrong texts.
std::string DeepTree(int depth) {
  std::string xml = "leaf";
  for (int level = 0; level < depth; ++level) {
    xml = "<n>" + xml + "</n>after " + std::to_string(level);
  }
  return xml;
}

// Identities are kept in the profile from one merge to the next: the same entry must keep its
// digest from one version of the program to the next, whatever way it is worked out.
TEST(IdentityDigestTest, DigestsStayAsRecorded) {
  test::ScopedTimeZone zone("UTC");
  const std::string message = test::Message("hi", "12:00:00", 1);
  const DigestRow rows[] = {
      {"Message", message, "6091b7d4fe14ebbc6677f40d8494d546"},
      {"MessageWithoutStyle",
       R"(<Message Date="2010/09/16" Time="12:00:00" DateTime="2010-09-16T12:00:00.000Z" SessionID="1"><From><User FriendlyName="Ann"/></From><To><User FriendlyName="Bob"/></To><Text>hi</Text></Message>)",
       "d9da691cc4897d2290cab27c4a8815ef"},
      {"MessageInParts",
       R"(<Message Date="2010/09/16" Time="12:00:00" DateTime="2010-09-16T12:00:00.000Z" SessionID="1"><From><User FriendlyName="Ann"/></From><To><User FriendlyName="Bob"/></To><Text Style="s">h<b>i</b><![CDATA[!]]></Text></Message>)",
       "42cef6427f8a9b17d200cda0a7f86b7b"},
      {"GroupMessage",
       R"(<Message Date="2010/09/16" Time="12:00:00" DateTime="2010-09-16T12:00:00.000Z" SessionID="1"><From><User FriendlyName="Ann"/></From><To><User FriendlyName="Bob"/><User FriendlyName="Cy"/></To><Text Style="s">hi</Text></Message>)",
       "48dbbfc75eab9315b2d9cec775ff21c8"},
      {"PartyInsideParty",
       R"(<Message Date="2010/09/16" Time="12:00:00" DateTime="2010-09-16T12:00:00.000Z" SessionID="1"><From><User FriendlyName="Ann"/><To><User FriendlyName="Bob"/></To></From><Text Style="s">hi</Text></Message>)",
       "7d84a6d3f7a7449c55ce50f3f58691a5"},
      {"Invitation",
       R"(<Invitation Date="2010/09/16" Time="12:00:00" DateTime="2010-09-16T12:00:00.000Z" SessionID="1"><From><User FriendlyName="Ann"/></From><Application>Files</Application></Invitation>)",
       "6e443eeb2c42cd9ea4725835b512884c"},
      {"Join",
       R"(<Join Date="2010/09/16" Time="12:00:00" SessionID="1"><User Id="7" FriendlyName="Cy"/>joined<!--x--></Join>)",
       "360d5cdf337e2fe388571a6e73ffcff4"},
      {"Untimed", R"(<Message SessionID="1"><Text>no time</Text></Message>)",
       "69f42ec6771912811baf533477a4b838"},
  };
  IdentityDigest digest;
  for (const DigestRow& row : rows) {
    const auto document = test::ParseLog(test::Log(row.entry));
    const LogEntry entry{document->document_element().first_child()};
    EXPECT_EQ(Hex(digest.Of(WithTime(entry))), row.digest) << row.name;
  }
}

// The digest walks each entry's tree once and reuses its buffers; the plain model looks every
// item up on its own. Entries are digested one after another with one digest, as the entry
// list does, and also through the entry list itself, which hands over the "DateTime" it found.
TEST(IdentityDigestTest, AgreesWithThePlainModelOnRandomTrees) {
  test::ScopedTimeZone zone("Asia/Tokyo");
  IdentityDigest digest;
  int ruled = 0;
  for (std::uint32_t seed = 1; seed <= 100; ++seed) {
    EntryTreeGenerator generator(seed);
    std::string entries;
    for (int n = 0; n < 50; ++n) entries += generator.Entry();
    // Deeper than any history holds, to reach past what a walk keeps of its way down.
    const std::string deep = DeepTree(static_cast<int>(seed));
    entries += R"(<Join Date="2010/09/16" Time="12:00:00" SessionID="1">)" + deep + "</Join>";
    entries += test::Message(deep, "12:00:00", 1);
    const auto document = test::ParseLog(test::Log(entries));
    const NodeList nodes = ChildNodes(document->document_element());
    LocalTimeCache hours;
    const EntryList list(nodes, EntrySource::kInput1, hours);
    for (int i = 0; i < list.Length(); ++i) {
      if (nodes[static_cast<std::size_t>(i)].type() != pugi::node_element) continue;
      const TimedEntry entry = WithTime(LogEntry{nodes[static_cast<std::size_t>(i)]});
      const EntryIdentity expected = PlainIdentity(entry);
      if (PlainRuleIdentity(entry)) ++ruled;
      std::ostringstream xml;
      entry.entry.node.print(xml, "", pugi::format_raw);
      EXPECT_EQ(Hex(digest.Of(entry)), Hex(expected)) << xml.str();
      EXPECT_EQ(Hex(list.Identity(i)), Hex(expected)) << xml.str();
    }
  }
  // Both roads taken often: the rules' items and the whole tree.
  EXPECT_GT(ruled, 1000);
  EXPECT_LT(ruled, 4000);
}

}  // namespace
}  // namespace palvarin

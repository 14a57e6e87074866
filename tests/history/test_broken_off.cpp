#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "history/log_document.hpp"
#include "support/test_support.hpp"

namespace palvarin {
namespace {

struct Loaded {
  Result<LogDocument> log;
  std::vector<std::string> entries;  // canonical trees
};

// Parsed from memory: the cuts are many, and the file layer is not what is tried here.
Loaded Load(const std::string& bytes, BrokenOff brokenOff) {
  HistoryBytes read{AllocateBytes(bytes.size() + 1), bytes.size()};
  std::copy(bytes.begin(), bytes.end(), read.data.get());
  Loaded loaded{ParseLogDocument(std::move(read), "alice.xml", brokenOff), {}};
  if (loaded.log) {
    for (pugi::xml_node entry : loaded.log->Root().children()) {
      if (entry.type() == pugi::node_element) loaded.entries.push_back(test::CanonicalTree(entry));
    }
  }
  return loaded;
}

// Where each entry of a whole history ends: no entry name nests in another in these files.
std::vector<std::size_t> EntryEnds(const std::string& whole) {
  std::vector<std::size_t> ends;
  for (const char* end : {"</Message>", "</Invitation>", "</InvitationResponse>"}) {
    for (auto at = whole.find(end); at != std::string::npos; at = whole.find(end, at + 1)) {
      ends.push_back(at + std::string(end).size());
    }
  }
  std::sort(ends.begin(), ends.end());
  return ends;
}

// A history in Messenger's layout with one message per text, the n-th at second n.
std::string History(const std::vector<std::string>& texts) {
  std::string text =
      "<?xml version=\"1.0\"?>\r\n<?xml-stylesheet type='text/xsl' href='MessageLog.xsl'?>\r\n"
      "<Log FirstSessionID=\"1\" LastSessionID=\"9\">";
  for (std::size_t i = 0; i < texts.size(); ++i) {
    text += "<Message Date=\"2006/01/23\" Time=\"12:00:" + std::to_string(10 + i) +
            "\" SessionID=\"1\"><From><User FriendlyName=\"B>b\"/></From><Text Style=\"x\">" +
            texts[i] + "</Text></Message>";
  }
  return text + "</Log>\r\n";
}

const std::string kWhole = History({"one", "two &amp; 2", "three"});
const std::size_t kSecondEnd = EntryEnds(kWhole)[1];
const std::size_t kThirdStart = kSecondEnd;

struct Shape {
  const char* name;
  std::string bytes;
  std::size_t whole;  // entries read; -1: refused
  ReasonKind kind;
  std::size_t offset;
};

std::string Zeros(std::size_t n) { return std::string(n, '\0'); }

TEST(BrokenOffHistory, ReadsTheWholeEntriesBeforeTheBreakAndRefusesNonHistories) {
  const std::size_t refused = std::size_t(-1);
  const std::string midEntry = kWhole.substr(0, kWhole.find("three") + 2);
  const std::size_t midAttribute = kWhole.find("Time=\"12:00:12", kThirdStart) + 8;
  const std::string withNul =
      kWhole.substr(0, kSecondEnd - 20) + '\0' + kWhole.substr(kSecondEnd - 19);
  const Shape shapes[] = {
      {"cut mid-entry", midEntry, 2, ReasonKind::BrokenOffInEntry, midEntry.size()},
      {"cut mid-attribute", kWhole.substr(0, midAttribute), 2, ReasonKind::BrokenOffInEntry,
       midAttribute},
      {"cut after an entry", kWhole.substr(0, kSecondEnd), 2, ReasonKind::BrokenOffBetweenEntries,
       kSecondEnd},
      {"missing </Log>", kWhole.substr(0, kWhole.find("</Log>")), 3,
       ReasonKind::BrokenOffBetweenEntries, kWhole.find("</Log>")},
      {"zeros after a cut", midEntry + Zeros(4096), 2, ReasonKind::BrokenOffInEntry,
       midEntry.size()},
      {"zeros after a whole file", kWhole + Zeros(512), 3, ReasonKind::BrokenOffBetweenEntries,
       kWhole.size()},
      {"NUL inside an entry", withNul, 1, ReasonKind::BrokenOffInEntry, kSecondEnd - 20},
      {"garbage after a cut", kWhole.substr(0, kSecondEnd) + "\x89PNG<<&\xff", 2,
       ReasonKind::BrokenOffBetweenEntries, 0},
      {"cut in the root's start tag", kWhole.substr(0, kWhole.find("LastSessionID")), refused,
       ReasonKind::NotWellFormed, 0},
      {"no declaration", kWhole.substr(kWhole.find("<Log"), 200), refused,
       ReasonKind::NotWellFormed, 0},
      {"another XML cut", "<?xml version=\"1.0\"?>\r\n<web-app><servlet>", refused,
       ReasonKind::NotWellFormed, 0},
      {"HTML", "<!DOCTYPE html><html><body><p>hi", refused, ReasonKind::NotWellFormed, 0},
      {"random bytes", std::string("\x00\xff\x13<\x89PNG\r\n\x1a", 12), refused,
       ReasonKind::NoElement, 0},
  };
  const Loaded whole = Load(kWhole, BrokenOff::Refuse);
  ASSERT_EQ(whole.entries.size(), 3u);
  for (const Shape& shape : shapes) {
    SCOPED_TRACE(shape.name);
    const Loaded rescued = Load(shape.bytes, BrokenOff::Rescue);
    const Loaded refusal = Load(shape.bytes, BrokenOff::Refuse);
    EXPECT_FALSE(refusal.log);
    EXPECT_EQ(refusal.log.reason().kind, shape.kind);
    if (shape.whole == refused) {
      EXPECT_FALSE(rescued.log);
      EXPECT_EQ(rescued.log.reason().kind, shape.kind);
      continue;
    }
    ASSERT_TRUE(rescued.log) << Said(rescued.log);
    const Reason& damage = rescued.log->Damage();
    EXPECT_EQ(damage.kind, shape.kind);
    EXPECT_EQ(damage.count, shape.whole);
    if (shape.offset != 0) {
      EXPECT_EQ(damage.offset, shape.offset);
    }
    EXPECT_EQ(damage.path, "alice.xml");
    EXPECT_EQ(rescued.entries,
              std::vector<std::string>(whole.entries.begin(), whole.entries.begin() + shape.whole));
    EXPECT_EQ(refusal.log.reason().offset, damage.offset);
  }
}

// A rescue keeps only the end of the text as read; one whose last entry begins further back
// reads the file again, whole, and gives the same entries. Bytes with no file behind them are
// then refused as they stand, never rescued from a guess.
TEST(BrokenOffHistory, ALastEntryLargerThanTheTailKeptIsRescuedFromItsFile) {
  test::TempFolder folder;
  const std::string history = History({"one", std::string(300 << 10, 'x'), "three"});
  const Loaded whole = Load(history, BrokenOff::Refuse);
  ASSERT_EQ(whole.entries.size(), 3u);
  const std::vector<std::size_t> ends = EntryEnds(history);
  const struct {
    std::size_t cut;
    std::string after;
    std::size_t entries;
    bool fromMemory;  // the tail kept holds the last entry the parser began
  } cuts[] = {{ends[0] + (280 << 10), "", 1, false},
              {ends[1] - 5, Zeros(300 << 10), 1, false},
              {ends[1], "", 2, false},
              {ends[2] - 3, "", 2, true}};
  for (const auto& c : cuts) {
    SCOPED_TRACE(c.cut);
    const std::string bytes = history.substr(0, c.cut) + c.after;
    test::WriteFile(folder / "alice.xml", bytes);
    const Result<LogDocument> rescued = LoadLogDocument(folder / "alice.xml", BrokenOff::Rescue);
    ASSERT_TRUE(rescued) << Said(rescued);
    EXPECT_EQ(rescued->Damage().offset, c.cut);
    EXPECT_EQ(rescued->Damage().count, c.entries);
    EXPECT_EQ(static_cast<bool>(Load(bytes, BrokenOff::Rescue).log), c.fromMemory);
  }
}

enum class After { Nothing, Zeros, Garbage };
void PrintTo(After after, std::ostream* out) {
  *out << (after == After::Zeros ? "Zeros" : after == After::Garbage ? "Garbage" : "Nothing");
}

// Any cut of a real history reads as exactly the entries whole before it: every cut in its
// last 4 KB and 50 in the middle, with nothing, zeros or garbage after the cut.
class EveryCut : public ::testing::TestWithParam<After> {};

TEST_P(EveryCut, ReadsExactlyTheEntriesWholeBeforeIt) {
  std::vector<std::string> histories;
  for (const auto& file : test::CorpusFiles()) histories.push_back(test::ReadFile(file));
  std::vector<std::string> many;
  // Text that holds what a lexical walk must step over: "<" inside comments and CDATA.
  const char* extras[] = {"", "<!--<i>-->", "<![CDATA[<b>]]>", "<?pi <x>?>"};
  for (int i = 0; i < 80; ++i) many.push_back(extras[i % 4] + std::to_string(i) + "&lt;");
  histories.push_back(History(many));
  const std::string tail = GetParam() == After::Zeros     ? Zeros(100)
                           : GetParam() == After::Garbage ? std::string("\x01<\xfe&>")
                                                          : std::string();
  std::mt19937 random(40);
  for (const std::string& raw : histories) {
    const Loaded whole = Load(raw, BrokenOff::Refuse);
    const std::vector<std::size_t> ends = EntryEnds(raw);
    ASSERT_EQ(whole.entries.size(), ends.size());
    const std::size_t logEnd = raw.rfind("</Log>");
    const std::size_t rootTagEnd = raw.find('>', raw.find("<Log")) + 1;
    std::vector<std::size_t> cuts;
    for (std::size_t cut = logEnd > 4096 ? logEnd - 4096 : 0; cut < logEnd; ++cut) {
      cuts.push_back(cut);
    }
    for (int i = 0; i < 50; ++i) cuts.push_back(random() % logEnd);
    for (const std::size_t cut : cuts) {
      const Loaded rescued = Load(raw.substr(0, cut) + tail, BrokenOff::Rescue);
      if (cut < rootTagEnd) {
        EXPECT_FALSE(rescued.log) << "cut at " << cut;
        continue;
      }
      ASSERT_TRUE(rescued.log) << "cut at " << cut << ": " << Said(rescued.log);
      const auto whole_before =
          static_cast<std::size_t>(std::upper_bound(ends.begin(), ends.end(), cut) - ends.begin());
      ASSERT_EQ(rescued.entries, std::vector<std::string>(whole.entries.begin(),
                                                          whole.entries.begin() + whole_before))
          << "cut at " << cut;
      // A text that runs out, or runs into zeros, breaks where it was cut.
      if (GetParam() != After::Garbage) {
        EXPECT_EQ(rescued.log->Damage().offset, cut);
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Cuts, EveryCut,
                         ::testing::Values(After::Nothing, After::Zeros, After::Garbage),
                         ::testing::PrintToStringParamName());

}  // namespace
}  // namespace palvarin

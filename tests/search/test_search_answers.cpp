// A search finds exactly what a plain scan of the files finds, whether the index is new or
// answers from what it holds, for Latin and Japanese words of every length.
#include <gtest/gtest.h>

#include "search/run_search.hpp"
#include "search/search_query.hpp"
#include "search_fixtures.hpp"
#include "support/history_builder.hpp"

namespace palvarin {
namespace {

using test::PlainScan;

const struct QueryRow {
  const char* name;
  const char* query;
  bool matches;  // whether the plain scan finds anything: a row that finds nothing proves little
} kQueries[] = {
    {"LatinWord", "banda", true},
    {"LatinUpperCase", "THE", true},
    {"TwoLatinWords", "metal DE", true},
    {"AccentedUpperFindsLower", "ÉCOLE", true},
    {"AccentedLowerFindsUpper", "école", true},
    {"OneAccentedLetter", "É", true},
    {"GreekWithFinalSigma", "Σίσυφος", true},
    {"QuotesInAWord", "\"hello\"", true},
    {"FullWidthLatinFolds", "ａｂｃ", true},
    // Words the index narrows down by the starts of its trigrams, after folding.
    {"TitlecaseLetterFolds", "ǅ", true},
    {"TitlecaseLetterInAPair", "ǆU", true},
    {"CapitalSharpSFoldsToSharpS", "ẞ", true},
    {"JapaneseOneCharacter", "雨", true},
    {"JapaneseTwoCharacters", "明日", true},
    {"JapaneseLongWord", "東京タワー", true},
    {"JapaneseWordsOfAMessageOfTwoLines", "目 二行", true},
    {"JapaneseWordsSplitAtIdeographicSpace", "晴れ\u3000明日", true},
    {"ShortAndLongWords", "本 日本語の", true},
    {"WordsOfDifferentMessages", "雨 東京", false},
    {"NoSuchWord", "zyxwvu", false},
    {"NoSuchShortWord", "犬", false},
};

void PrintTo(const QueryRow& row, std::ostream* out) { *out << row.name; }

class SearchAnswers : public ::testing::TestWithParam<QueryRow> {
 protected:
  test::SearchFolders folders_;
};

TEST_P(SearchAnswers, EqualAPlainScanFromANewIndexAndFromTheKeptOne) {
  const QueryRow& row = GetParam();
  const test::ScopedTimeZone zone("Asia/Tokyo");
  for (const auto& path : {folders_.Corpus(), folders_.Generated()}) {
    const auto expected = PlainScan(path, row.query);
    for (const char* index : {"new", "kept"}) {
      const SearchReport report = RunSearch(path.string(), QueryWords(row.query));
      EXPECT_TRUE(report.searched && report.unread.empty() &&
                  report.indexUnusable.kind == ReasonKind::None)
          << index;
      EXPECT_EQ(test::Found(report), expected) << path.filename() << ", " << index << " index";
    }
  }
  // Some words are only in the real files: without them the row cannot say it matches.
  if (test::CorpusFiles().empty()) GTEST_SKIP() << "the corpus of real history files is not there";
  const auto all = PlainScan(folders_.Corpus(), row.query).size() +
                   PlainScan(folders_.Generated(), row.query).size();
  EXPECT_EQ(all > 0, row.matches) << all;
}

INSTANTIATE_TEST_SUITE_P(Queries, SearchAnswers, ::testing::ValuesIn(kQueries), test::RowName);

// One file alone, and what a line shows besides the text: the reader's clock (the moment as the
// merge reads it, on this computer's clock), and the sender.
TEST(SearchAnswer, AFileAloneWithItsTimesAndSenders) {
  if (test::CorpusFiles().empty()) GTEST_SKIP() << "the corpus of real history files is not there";
  test::SearchFolders folders;
  const test::ScopedTimeZone zone("Asia/Tokyo");
  const auto corpus = RunSearch((folders.Corpus() / "ptbr-crlf.xml").string(), {"banda"});
  ASSERT_EQ(corpus.hits.size(), 1u);
  EXPECT_EQ(corpus.hits[0].file, "ptbr-crlf.xml");
  // Its day-first "Date" is not one the merge reads: the UTC stamp, 01:45:43, in Tokyo.
  EXPECT_EQ(corpus.hits[0].time, "2010-09-17 10:45:43");
  EXPECT_EQ(corpus.hits[0].sender, "[i]Gabriella[/i]");
  const auto generated = RunSearch((folders.Generated() / "contact1.xml").string(), {"雨"});
  ASSERT_FALSE(generated.hits.empty());
  EXPECT_EQ(generated.hits[0].time.substr(0, 11), "2009-03-02 ");
  EXPECT_EQ(generated.hits[0].sender, "花子");
}

// More histories than are read ahead or stamped at a time, on several threads, some of them no
// history: the hits still come by file in name order, and each failure names its own file.
TEST(SearchAnswer, ManyHistoriesInNameOrderEachFailureWithItsFile) {
  test::SearchFolders folders;
  const auto folder = folders.Generated();
  std::vector<std::string> broken;
  for (int file = 0; file < 60; ++file) {
    const std::string name = "many" + std::to_string(100 + file) + ".xml";
    if (file % 13 == 5) {
      broken.push_back(name);
      test::WriteFile(folder / name, "<notes/>");
    } else {
      test::WriteFile(folder / name,
                      test::OneMessageHistory("needle " + std::to_string(file) + " 雨"));
    }
  }
  for (const char* index : {"new", "kept"}) {
    const SearchReport report = RunSearch(folder.string(), QueryWords("NEEDLE 雨"));
    EXPECT_EQ(test::Found(report), PlainScan(folder, "NEEDLE 雨")) << index;
    EXPECT_EQ(report.hits.size(), 60 - broken.size()) << index;
    ASSERT_EQ(report.unread.size(), broken.size()) << index;
    for (std::size_t at = 0; at < broken.size(); ++at) {
      EXPECT_NE(Said(report.unread[at]).find(broken[at]), std::string::npos) << index;
    }
  }
  // One far down the folder changed: each history keeps its own stamp, and this one is read.
  test::WriteFile(folder / "many140.xml", test::OneMessageHistory("needle changed"));
  const SearchReport changed = RunSearch(folder.string(), QueryWords("changed"));
  EXPECT_EQ(test::Found(changed), PlainScan(folder, "changed"));
  EXPECT_EQ(changed.hits.size(), 1u);
}

}  // namespace
}  // namespace palvarin

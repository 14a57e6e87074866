#include <gtest/gtest.h>

#include <sstream>

#include "merge/entry_sink.hpp"
#include "merge_fixtures.hpp"
#include "random_history.hpp"
#include "support/reference_output.hpp"
#include "support/test_support.hpp"

namespace palvarin {
namespace {

struct SaveCase {
  std::string input1;
  std::string input2;
  TimeValue cutoff = 0;
};

// Each corpus file with itself and with an empty log, an empty merge, an entry nested deeper
// than any stack allows, and seeded random pairs.
std::vector<SaveCase> SaveCases() {
  std::vector<SaveCase> cases;
  for (const auto& path : test::CorpusFiles()) {
    const std::string text = test::ReadFile(path);
    cases.push_back({text, text});
    cases.push_back({"<Log/>", text});
  }
  cases.push_back({"<Log/>", "<Log/>"});
  cases.push_back({test::Log(test::DeepEntry(100000, "x")), "<Log/>"});
  for (std::uint32_t seed = 1; seed <= 200; ++seed) {
    const auto pair = test::MakeRandomHistoryPair(seed);
    cases.push_back({pair.log1, pair.log2, pair.cutoff});
  }
  return cases;
}

TEST(EntrySinkTest, DocumentAndRecordsSaveTheSameBytes) {
  test::ScopedTimeZone zone("Asia/Tokyo");
  test::TempFolder folder;
  const std::vector<SaveCase> cases = SaveCases();
  for (std::size_t i = 0; i < cases.size(); ++i) {
    SCOPED_TRACE("case " + std::to_string(i));
    const auto input1 = test::ParseLog(cases[i].input1);
    const auto input2 = test::ParseLog(cases[i].input2);
    const std::string viaDocument =
        test::SaveThroughDocument(*input1, *input2, cases[i].cutoff, folder / "document.xml");
    const std::string viaRecords =
        test::SaveThroughRecords(*input1, *input2, cases[i].cutoff, folder / "records.xml");
    EXPECT_EQ(viaDocument, viaRecords);
    if (HasFailure()) break;
  }
}

}  // namespace
}  // namespace palvarin

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "hostile_files.hpp"
#include "reader/history_book.hpp"
#include "support/history_builder.hpp"
#include "support/test_support.hpp"

namespace palvarin {
namespace {

using test::ReadFile;
using test::WriteFile;

// What every way into the program must do with a file.
enum class Expect {
  Read,     // takes it whole and shows every character of it safely
  Refused,  // refuses it, naming the byte where it breaks the rules, and writes none of it
};

struct DoorRow {
  const char* name;
  std::string (*content)();
  Expect expect;
};

void PrintTo(const DoorRow& row, std::ostream* out) { *out << row.name; }

constexpr const char* kWord = "needle";

// A message from a sender whose "From" nests 200,000 elements below its "User": every walk
// over it must go without recursion.
std::string NestedSender() {
  std::string history = test::OneMessageHistory(kWord);
  const std::string user = "<User FriendlyName=\"Alice\"/>";
  history.insert(history.find(user) + user.size(), test::Nested(200000, "deep"));
  return history;
}

std::string NulReference() {
  std::string history = test::OneMessageHistory(std::string(kWord) + " keep&#0; THIS IS LOST");
  const std::string name = "FriendlyName=\"Ali";
  history.replace(history.find(name), name.size(), name + "&#0;ce-SECRET");
  return history;
}

// A sender who turns the line around, and one whose name breaks it.
std::string ReversingSender() {
  std::string history = test::OneMessageHistory(std::string(kWord) +
                                                " \xE2\x80\xAE"
                                                "0074");
  const std::string name = "FriendlyName=\"Alice";
  history.replace(history.find(name), name.size(), name + "&#xA;Mallory\xE2\x80\xAE");
  return history;
}

class EveryDoor : public ::testing::TestWithParam<DoorRow> {
 protected:
  void SetUp() override {
    content_ = GetParam().content();
    std::filesystem::create_directories(pc1_);
    std::filesystem::create_directories(pc2_);
    WriteFile(pc1_ / "a.xml", content_);
    WriteFile(pc2_ / "a.xml", content_);
  }

  test::ProcessResult Run(const std::vector<std::string>& arguments) const {
    return test::RunPalvarin(arguments, folder_.Path(), folder_ / "profile.sqlite3",
                             {"XDG_CACHE_HOME=" + (folder_ / "cache").string()});
  }

  test::TempFolder folder_;
  std::filesystem::path pc1_ = folder_ / "pc1";
  std::filesystem::path pc2_ = folder_ / "pc2";
  std::filesystem::path out_ = folder_ / "out";
  std::string content_;
};

// The merge, the three exports, the search and the gather: none crashes, none writes or
// prints a text cut short, and none prints a control that a terminal would obey.
TEST_P(EveryDoor, ReadsWholeOrRefusesWithoutACrash) {
  const std::string first = "--first=" + pc1_.string();
  const std::string output = "--output=" + out_.string();
  const std::vector<std::vector<std::string>> doors = {
      {"/n", "/f", "/o", "/nb", "/mu", "/p1", pc1_ / "a.xml", "/p2", pc2_ / "a.xml"},
      {"--export=html", first, output},
      {"--export=text", first, output},
      {"--export=jsonl", first, output},
      {std::string("--search=") + kWord, first},
      {"--gather", "--input=" + pc1_.string(), "--input=" + pc2_.string(), output}};
  for (const auto& door : doors) {
    const test::ProcessResult run = Run(door);
    if (GetParam().expect == Expect::Read) {
      EXPECT_EQ(run.status, 0) << door[0] << ": " << run.err;
      EXPECT_EQ(run.out.find("\xE2\x80\xAE"), std::string::npos) << door[0] << ": " << run.out;
    } else {
      EXPECT_TRUE(run.status == 1 || run.status == 2) << door[0] << ": " << run.status;
      EXPECT_NE(run.err.find("at byte "), std::string::npos) << door[0] << ": " << run.err;
      EXPECT_EQ(ReadFile(pc1_ / "a.xml"), content_) << door[0];
    }
  }
}

// The reader window reads each entry through the history book.
TEST_P(EveryDoor, TheReaderOpensItOrSaysWhy) {
  const Result<HistoryBook> book = OpenHistoryBook(pc1_ / "a.xml");
  if (GetParam().expect == Expect::Refused) {
    ASSERT_FALSE(book);
    EXPECT_NE(book.reason().offset, 0u);
    return;
  }
  ASSERT_TRUE(book);
  ASSERT_EQ(book->EntryCount(), 1);
  EXPECT_TRUE(book->Entry(0).from->starts_with("Alice"));
}

INSTANTIATE_TEST_SUITE_P(HostileInput, EveryDoor,
                         ::testing::Values(DoorRow{"NestedSender", NestedSender, Expect::Read},
                                           DoorRow{"ReversingSender", ReversingSender,
                                                   Expect::Read},
                                           DoorRow{"NulReference", NulReference, Expect::Refused}),
                         test::RowName);

}  // namespace
}  // namespace palvarin

// The backup maximum must be a whole number from 0 to 100 whenever the controls are read.
#include <QLineEdit>
#include <tuple>

#include "ui/shared/dialog_strings.hpp"
#include "ui_fixtures.hpp"

namespace palvarin::test {
namespace {

// Every control whose click reads the controls (the output browse button is disabled in
// overwrite mode, where the maximum can be edited).
const char* const kTriggers[] = {"folderRadio", "fileRadio",   "otherOutputRadio", "overwriteRadio",
                                 "backupCheck", "path1Browse", "path2Browse",      "okButton"};

struct BadValue {
  const char* name;
  const char* text;
};

// Names the value in test listings instead of dumping its bytes.
void PrintTo(const BadValue& value, std::ostream* out) { *out << value.name; }

class MaximumRefusedTest : public DialogTest,
                           public ::testing::WithParamInterface<std::tuple<const char*, BadValue>> {
};

// A refused maximum: the message, the focus in the maximum, and nothing else: no relabel,
// no enabling change, no record change, no browser, no job, no closing.
TEST_P(MaximumRefusedTest, ShowsTheMessageAndNothingElseHappens) {
  const auto& [trigger, value] = GetParam();
  WriteFile(temp_ / "a.xml", SampleHistory("from a", "10:00:00"));
  WriteFile(temp_ / "b.xml", SampleHistory("from b", "11:00:00"));
  MergeSettings settings;
  settings.Path1 = (temp_ / "a.xml").string();
  settings.Path2 = (temp_ / "b.xml").string();
  Open(settings);
  chooser_.AnswerNext(QStringLiteral("/chosen"));
  const std::map<QString, bool> enabled = EnabledStates();
  const char* const relabelled[] = {"pathsGroup", "path1Label", "path2Label", "otherOutputRadio"};
  std::map<std::string, QString> texts;
  for (const char* label : relabelled) texts[label] = Text(label);

  Type("backupMaxEdit", QString::fromUtf8(value.text));
  Click(trigger);

  EXPECT_EQ(messages_.shown, QStringList{BackupMaxRangeMessage()});
  EXPECT_EQ(dialog_->focusWidget(), Find<QWidget>("backupMaxEdit"));
  EXPECT_EQ(dialog_->Settings(), settings);
  EXPECT_EQ(EnabledStates(), enabled);
  for (const char* label : relabelled) EXPECT_EQ(Text(label), texts.at(label)) << label;
  EXPECT_TRUE(chooser_.requests.empty());
  EXPECT_TRUE(dialog_->isVisible());
  EXPECT_EQ(dialog_->result(), 0);
  EXPECT_EQ(StoredSettings(), MergeSettings{});
  EXPECT_EQ(ReadFile(temp_ / "b.xml"), SampleHistory("from b", "11:00:00"));
}

INSTANTIATE_TEST_SUITE_P(
    TriggersAndValues, MaximumRefusedTest,
    ::testing::Combine(::testing::ValuesIn(kTriggers),
                       ::testing::Values(BadValue{"OneTooMany", "101"}, BadValue{"Letter", "x"},
                                         BadValue{"DigitThenLetter", "5x"},
                                         BadValue{"Negative", "-1"}, BadValue{"Empty", ""},
                                         BadValue{"Huge", "4294967296"},
                                         BadValue{"Fraction", "1.5"},
                                         BadValue{"Hexadecimal", "0x10"},
                                         BadValue{"TwoNumbers", "1 0"})),
    [](const auto& combination) {
      return std::string(std::get<0>(combination.param)) + "_" +
             std::get<1>(combination.param).name;
    });

// A maximum stored out of range (the profile keeps any 32-bit value) is refused the same way.
TEST_F(DialogTest, LoadedMaximumOutOfRangeIsRefusedOnTheNextRead) {
  MergeSettings settings;
  settings.BackupMax = 4294967291u;
  Open(settings);
  EXPECT_EQ(Text("backupMaxEdit"), QStringLiteral("4294967291"));
  Click("fileRadio");
  EXPECT_EQ(messages_.shown, QStringList{BackupMaxRangeMessage()});
  EXPECT_EQ(dialog_->Settings().InTarget, InTarget::Folder);
}

struct GoodValue {
  const char* name;
  const char* text;
  std::uint32_t value;
};

// Names the row in test listings instead of dumping its bytes.
void PrintTo(const GoodValue& row, std::ostream* out) { *out << row.name; }

class MaximumAcceptedTest : public DialogTest, public ::testing::WithParamInterface<GoodValue> {};

TEST_P(MaximumAcceptedTest, IsReadIntoTheRecord) {
  Open();
  Type("backupMaxEdit", QString::fromUtf8(GetParam().text));
  Click("otherOutputRadio");
  EXPECT_TRUE(messages_.shown.isEmpty());
  EXPECT_EQ(dialog_->Settings().BackupMax, GetParam().value);
  EXPECT_EQ(dialog_->Settings().OutTarget, OutTarget::OtherFile);
}

INSTANTIATE_TEST_SUITE_P(Values, MaximumAcceptedTest,
                         ::testing::Values(GoodValue{"Zero", "0", 0}, GoodValue{"Top", "100", 100},
                                           GoodValue{"LeadingZeros", "007", 7},
                                           GoodValue{"Blanks", " 12 ", 12}),
                         RowName);

}  // namespace
}  // namespace palvarin::test

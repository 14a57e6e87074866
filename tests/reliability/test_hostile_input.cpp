#include <gtest/gtest.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <cerrno>
#include <ostream>
#include <random>
#include <string>

#include "files/file_ops.hpp"
#include "history/log_document.hpp"
#include "hostile_files.hpp"
#include "support/history_builder.hpp"
#include "support/test_support.hpp"

namespace palvarin {
namespace {

using test::OneMessageHistory;
using test::ReadFile;
using test::WriteFile;

std::string BillionLaughs() {
  std::string doctype = "<!DOCTYPE Log [<!ENTITY lol0 \"lol\">";
  for (int level = 1; level <= 9; ++level) {
    std::string expansion;
    for (int i = 0; i < 10; ++i) expansion += "&lol" + std::to_string(level - 1) + ";";
    doctype += "<!ENTITY lol" + std::to_string(level) + " \"" + expansion + "\">";
  }
  return test::WithDoctype(OneMessageHistory("&lol9;"), doctype + "]>");
}

// An entity of the document's own: read without it, the message would say "&who;".
std::string DeclaredEntity() {
  return test::WithDoctype(OneMessageHistory("&who;"), "<!DOCTYPE Log [<!ENTITY who \"Alice\">]>");
}

std::string BinaryGarbage() {
  std::mt19937 random(20061);
  std::string bytes(64 * 1024, '\0');
  for (char& byte : bytes) byte = static_cast<char>(random());
  return bytes;
}

// The parser stops at a NUL: the second document would be dropped without a word.
std::string HistoryBehindANul() {
  return OneMessageHistory("before the nul") + '\0' + OneMessageHistory("behind the nul");
}

std::string Utf16(const std::string& ascii) {
  std::string bytes = "\xFF\xFE";
  for (char c : ascii) (bytes += c) += '\0';
  return bytes;
}

std::string Utf16HistoryBehindANul() {
  return Utf16(OneMessageHistory("before the nul") + '\0' + OneMessageHistory("behind the nul"));
}

// A history whose message text and sender both refer to `reference` in the middle.
std::string Referring(const std::string& reference) {
  std::string history = OneMessageHistory("keep" + reference + " THIS PART IS LOST");
  const std::string name = "FriendlyName=\"Alice";
  history.replace(history.find(name), name.size(), name + reference + "-SECRET");
  return history;
}

struct RefusedRow {
  const char* name;
  std::string (*content)();
};

// Rows show by name in test listings.
void PrintTo(const RefusedRow& row, std::ostream* out) { *out << row.name; }

class RefusedInput : public ::testing::TestWithParam<RefusedRow> {};

// A file that cannot be read as exactly what it says is refused: the pair fails and names
// it, and neither input is touched.
TEST_P(RefusedInput, FailsThePairAndTouchesNothing) {
  const std::string hostile = GetParam().content();
  const test::PairJob job;
  WriteFile(job.first, hostile);
  WriteFile(job.second, test::SecondPcHistory());
  const auto run = job.Run();
  EXPECT_EQ(run.status, 1) << run.out << run.err;
  EXPECT_NE(run.err.find(job.first.string()), std::string::npos) << run.err;
  EXPECT_EQ(ReadFile(job.first), hostile);
  EXPECT_EQ(ReadFile(job.second), test::SecondPcHistory());
}

INSTANTIATE_TEST_SUITE_P(
    HostileInput, RefusedInput,
    ::testing::Values(RefusedRow{"ExponentialEntityExpansion", BillionLaughs},
                      RefusedRow{"DeclaredEntity", DeclaredEntity},
                      RefusedRow{"BinaryGarbage", BinaryGarbage},
                      RefusedRow{"HistoryBehindANul", HistoryBehindANul},
                      RefusedRow{"Utf16HistoryBehindANul", Utf16HistoryBehindANul},
                      // The parser would cut the text off at these.
                      RefusedRow{"NulReference", [] { return Referring("&#0;"); }},
                      RefusedRow{"HexNulReference", [] { return Referring("&#x0000;"); }},
                      RefusedRow{"Utf16NulReference", [] { return Utf16(Referring("&#0;")); }},
                      // The parser's count wraps round to 0 past 32 bits.
                      RefusedRow{"WrapsToNul", [] { return Referring("&#x100000000;"); }},
                      RefusedRow{"DecimalWrapsToNul", [] { return Referring("&#4294967296;"); }},
                      // These would come out as bytes that are no UTF-8.
                      RefusedRow{"SurrogateReference", [] { return Referring("&#xD800;"); }},
                      RefusedRow{"NonCharacterReference", [] { return Referring("&#65535;"); }},
                      RefusedRow{"PastUnicode", [] { return Referring("&#x110000;"); }}),
    test::RowName);

// The refusal says where the file breaks the rule, in the file's own bytes.
TEST(HostileInput, ARefusedReferenceIsNamedByItsByteOffset) {
  const struct {
    std::string file, reference;
  } cases[] = {{Referring("&#0;"), "&#0;"}, {Utf16(Referring("&#0;")), Utf16("&#0;").substr(2)}};
  for (const auto& hostile : cases) {
    const test::PairJob job;
    WriteFile(job.first, hostile.file);
    WriteFile(job.second, test::SecondPcHistory());
    const std::string at = std::to_string(hostile.file.find(hostile.reference));
    EXPECT_NE(job.Run().err.find("at byte " + at + " "), std::string::npos) << at;
  }
}

// The references XML allows, to control characters among them, read as the characters they
// name and come out of a merge the same.
TEST(HostileInput, AllowedReferencesComeOutOfAMergeUnchanged) {
  const test::PairJob job;
  WriteFile(job.first, Referring("&#1;&#x8;&#x1F;&#9;&#xA;&#x7F;&#xFFFD;&#x10FFFF;&#x;&#X41;&#65"));
  WriteFile(job.second, test::SecondPcHistory());
  ASSERT_EQ(job.Run().status, 0);
  const std::string kept = "keep\x01\x08\x1f\t\n\x7f\xEF\xBF\xBD\xF4\x8F\xBF\xBF&#x;&#X41;&#65";
  EXPECT_EQ(test::MessageTexts(job.second),
            (std::vector<std::string>{kept + " THIS PART IS LOST", "from the second pc"}));
  EXPECT_NE(ReadFile(job.second).find("-SECRET"), std::string::npos) << "the sender was cut off";
}

TEST(HostileInput, Utf16WithoutANulStillMerges) {
  const test::PairJob job;
  WriteFile(job.first, Utf16(OneMessageHistory("in utf-16")));
  WriteFile(job.second, test::SecondPcHistory());
  const auto run = job.Run();
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(test::MessageTexts(job.second),
            (std::vector<std::string>{"in utf-16", "from the second pc"}));
}

// An external entity, in the internal subset or as the external subset, names a local file:
// the file is never opened, and nothing of it reaches the output or the messages.
TEST(HostileInput, AnExternalEntityIsNeverRead) {
  const test::TempFolder elsewhere;
  const auto secret = elsewhere / "secret.txt";
  WriteFile(secret, "secret-3f9c1e");
  const int watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  ASSERT_GE(watch, 0);
  ASSERT_GE(::inotify_add_watch(watch, secret.c_str(), IN_OPEN | IN_ACCESS), 0);
  for (const std::string& doctype :
       {"<!DOCTYPE Log [<!ENTITY ext SYSTEM \"file://" + secret.string() + "\">]>",
        "<!DOCTYPE Log SYSTEM \"" + secret.string() + "\">"}) {
    const test::PairJob job;
    const std::string hostile = test::WithDoctype(OneMessageHistory("&ext;"), doctype);
    WriteFile(job.first, hostile);
    WriteFile(job.second, test::SecondPcHistory());
    const auto run = job.Run();
    EXPECT_EQ(run.status, 1) << doctype;
    EXPECT_EQ(ReadFile(job.first), hostile);
    EXPECT_EQ(ReadFile(job.second), test::SecondPcHistory());
    EXPECT_EQ((run.out + run.err).find("secret-3f9c1e"), std::string::npos);
  }
  char events[4096];
  EXPECT_EQ(::read(watch, events, sizeof events), -1) << "the named file was opened";
  EXPECT_EQ(errno, EAGAIN);
  ::close(watch);
}

// A group-chat message (two recipients) is told from another only by comparing its whole
// tree, so 100,000 levels are walked by the comparison as well as by the load, the lookups
// and the save. The identical one is written once, the one differing at the bottom twice.
TEST(HostileInput, ElementsNested100000DeepGoThroughTheWholePipeline) {
  constexpr int kDepth = 100000;
  const auto groupMessage = [](const char* time, int session, const char* bottom) {
    return std::string("<Message Date=\"2006/01/23\" Time=\"") + time +
           "\" DateTime=\"2006-01-23T03:00:00.000Z\" SessionID=\"" + std::to_string(session) +
           "\"><From><User FriendlyName=\"Alice\"/></From><To><User FriendlyName=\"Bob\"/>"
           "<User FriendlyName=\"Carol\"/></To><Text Style=\"x\">" +
           test::Nested(kDepth, bottom) + "</Text></Message>";
  };
  const auto history = [](const std::string& entries) {
    return "<?xml version=\"1.0\"?>\r\n<Log FirstSessionID=\"1\" LastSessionID=\"2\">" + entries +
           "</Log>\r\n";
  };
  const test::PairJob job;
  WriteFile(job.first, history(groupMessage("12:00:00", 1, "same") +
                               groupMessage("13:00:00", 2, "only on pc1")));
  WriteFile(job.second, history(groupMessage("12:00:00", 5, "same") +
                                groupMessage("13:00:00", 6, "only on pc2")));
  const auto run = job.Run();
  ASSERT_EQ(run.status, 0) << run.err;
  const std::string merged = ReadFile(job.first);
  EXPECT_EQ(ReadFile(job.second), merged);
  for (const char* bottom : {"same", "only on pc1", "only on pc2"}) {
    EXPECT_EQ(test::Occurrences(merged, test::Nested(kDepth, bottom)), 1) << bottom;
  }
}

TEST(HostileInput, A200MegabyteAttributeIsMergedWhole) {
  std::string value;
  value.reserve(200u << 20);
  while (value.size() < (200u << 20)) value += "0123456789abcdef";
  const test::PairJob job;
  std::string hostile = OneMessageHistory("carries a large attribute");
  hostile.insert(hostile.find(" SessionID="), " Note=\"" + value + "\"");
  WriteFile(job.first, hostile);
  hostile.clear();
  WriteFile(job.second, test::SecondPcHistory());
  const auto run = job.Run();
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(HaveSameContent(job.first, job.second));
  const auto merged = LoadLogDocument(job.first);
  ASSERT_TRUE(merged);
  const pugi::xml_attribute note = merged->Root().first_child().attribute("Note");
  EXPECT_TRUE(std::string_view(note.value()) == value) << "the attribute came out changed";
}

}  // namespace
}  // namespace palvarin

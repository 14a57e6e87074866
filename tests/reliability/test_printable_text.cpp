#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "printable_text.hpp"
#include "support/test_support.hpp"

namespace palvarin {
namespace {

struct PrintableRow {
  const char* name;
  std::string text;
  std::string shown;
};

// Rows show by name in test listings.
void PrintTo(const PrintableRow& row, std::ostream* out) { *out << row.name; }

class Printable : public ::testing::TestWithParam<PrintableRow> {};

TEST_P(Printable, EscapesWhatATerminalWouldObeyOrMangle) {
  EXPECT_EQ(PrintableText(GetParam().text), GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(
    PrintableText, Printable,
    ::testing::Values(
        PrintableRow{"PlainAscii", "alice.xml", "alice.xml"},
        PrintableRow{"Japanese", "\xe5\xb1\xa5\xe6\xad\xb4.xml", "\xe5\xb1\xa5\xe6\xad\xb4.xml"},
        PrintableRow{"FourByteUtf8", "\xf0\x9f\x98\x80", "\xf0\x9f\x98\x80"},
        PrintableRow{"LineBreaksAndTab", "a\nb\rc\td", "a\\nb\\rc\\td"},
        PrintableRow{"EscapeSequence", "\x1b]0;title\x07", "\\x1b]0;title\\x07"},
        PrintableRow{"NulAndDelete", std::string("a\0b\x7f", 4), "a\\x00b\\x7f"},
        PrintableRow{"C1Control",
                     "\xc2\x9b"
                     "31m",
                     "\\xc2\\x9b31m"},
        PrintableRow{"BidiOverrideAndIsolate",
                     "a\xe2\x80\xae"
                     "b\xe2\x81\xa6"
                     "c",
                     "a\\u202eb\\u2066c"},
        PrintableRow{"Latin1Byte", "caf\xe9.xml", "caf\\xe9.xml"},
        PrintableRow{"StrayContinuation", "\x80x", "\\x80x"},
        PrintableRow{"Overlong", "\xc0\xaf", "\\xc0\\xaf"},
        PrintableRow{"Surrogate", "\xed\xa0\x80", "\\xed\\xa0\\x80"},
        PrintableRow{"BeyondUnicode", "\xf4\x90\x80\x80", "\\xf4\\x90\\x80\\x80"},
        PrintableRow{"CutShort", "\xe5\xb1", "\\xe5\\xb1"},
        PrintableRow{"WellFormedAfterAStrayByte", "\xff\xe5\xb1\xa5", "\\xff\xe5\xb1\xa5"}),
    test::RowName);

}  // namespace
}  // namespace palvarin

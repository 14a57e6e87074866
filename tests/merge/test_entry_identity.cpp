#include <gtest/gtest.h>

#include <cstdio>

#include "entry_identity.hpp"
#include "merge/entry_comparison.hpp"
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

}  // namespace
}  // namespace palvarin

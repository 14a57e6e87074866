// The owner of histories: the one name in every session of every one of them, or none.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "history/history_owner.hpp"

namespace palvarin {
namespace {

// One message of a session: its number, sender and recipient.
struct Said {
  int session;
  std::string from, to;
};
using Messages = std::vector<Said>;

std::string HistoryText(const Messages& messages) {
  std::string text = "<Log>";
  for (const Said& m : messages) {
    text += "<Message SessionID=\"" + std::to_string(m.session) + "\"><From><User FriendlyName=\"" +
            m.from + "\"/></From><To><User FriendlyName=\"" + m.to + "\"/></To></Message>";
  }
  return text + "</Log>";
}

TEST(HistoryOwner, IsTheOneNameInEverySessionOfEveryHistory) {
  const struct {
    const char* name;
    std::vector<Messages> histories;
    std::optional<std::string> owner;
  } rows[] = {
      {"TwoContacts",
       {{Said{1, "Alice", "Me"}, Said{2, "Me", "Alice"}}, {Said{1, "Me", "Bob"}}},
       "Me"},
      // One conversation of two: either may be the owner.
      {"OneContactIsUnsure", {{Said{1, "Alice", "Me"}, Said{2, "Me", "Alice"}}}, std::nullopt},
      {"GroupConversation",
       {{Said{1, "Alice", "Me"}, Said{1, "Carol", "Me"}}, {Said{3, "Bob", "Me"}}},
       "Me"},
      // The owner changed the name shown in one session: no name is in every one.
      {"RenamedOwner",
       {{Said{1, "Alice", "Me"}, Said{2, "Alice", "Me (away)"}}, {Said{1, "Bob", "Me"}}},
       std::nullopt},
      {"OwnerMissingFromASession",
       {{Said{1, "Alice", "Me"}, Said{2, "Bob", ""}}, {Said{1, "Bob", "Me"}}},
       std::nullopt},
      {"NoEntries", {{}}, std::nullopt},
  };
  for (const auto& row : rows) {
    std::vector<pugi::xml_document> documents(row.histories.size());
    HistoryOwner owner;
    for (std::size_t k = 0; k < row.histories.size(); ++k) {
      ASSERT_TRUE(documents[k].load_string(HistoryText(row.histories[k]).c_str())) << row.name;
      owner.AddHistory(documents[k].document_element());
    }
    EXPECT_EQ(owner.Owner(), row.owner) << row.name;
  }
  pugi::xml_document one;
  ASSERT_TRUE(one.load_string(HistoryText({Said{1, "Alice", "Me"}, Said{2, "Me", "Bob"}}).c_str()));
  EXPECT_EQ(FindHistoryOwner(one.document_element()), "Me");
}

}  // namespace
}  // namespace palvarin

#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "history/entry_identity.hpp"
#include "merge/entry_comparison.hpp"

namespace palvarin {

// Works out entry identities: two entries are the same entry (IsSameEntry) exactly when their
// identities are equal. A message or invitation that carries every item its rule compares is
// digested from those items; any other entry from its whole tree apart from its own
// "SessionID". Keeps its buffers from entry to entry; one per thread.
class IdentityDigest {
 public:
  EntryIdentity Of(const TimedEntry& entry);
  // The same, given the entry's first "DateTime" attribute (empty when it has none), which
  // whoever read the entry's time has found already.
  EntryIdentity Of(const TimedEntry& entry, pugi::xml_attribute dateTime);
  // A digest of the entry's whole tree apart from its own "Date", "Time", "DateTime" and
  // "SessionID": equal for the copies two PCs logged of one message, each on its own clock.
  EntryIdentity ContentOf(pugi::xml_node entry);

 private:
  bool AddRuleItems(const TimedEntry& entry, pugi::xml_attribute stamp);
  void AddWholeTree(pugi::xml_node entry);
  void AddAttributes(pugi::xml_node element, bool isEntry);
  void AddElementText(pugi::xml_node element);
  void Add(std::string_view text);
  void AddNumber(std::int64_t number);
  void AddTag(char tag);
  // `bytes` more bytes at the end of those added so far, to be filled in.
  char* Room(std::size_t bytes);
  void Grow(std::size_t bytes);

  // The bytes digested, written through Room: no string's bookkeeping per item.
  std::unique_ptr<char[]> bytes_;
  std::size_t capacity_ = 0;
  std::size_t used_ = 0;
  std::vector<pugi::xml_attribute> attributes_;
  bool stampsLeftOut_ = false;  // ContentOf at work
};

}  // namespace palvarin

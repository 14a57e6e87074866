#pragma once

#include <pugixml.hpp>
#include <vector>

#include "history/log_document.hpp"

namespace palvarin {

// Where an entry written by the merge was met.
enum class EntrySource { kInput1, kInput2, kBoth };

// One entry of an input as the merge writes it. Its identity is the list's it was written
// from (IdentityOf): a merge of two large histories holds a record of every entry at once.
struct MergedEntry {
  pugi::xml_node entry;
  int session = 0;  // the new "SessionID"
  EntrySource source = EntrySource::kInput1;
  int index = -1;      // the entry's position in the list it was written from (input 1's for kBoth)
  int echoIndex = -1;  // for kBoth, input 2's copy where it is an echo (FindEchoes), else -1
};

// Receives the merged entries in output order, each with its new session number.
class EntrySink {
 public:
  virtual ~EntrySink() = default;
  virtual void Append(const MergedEntry& merged) = 0;
};

// Remembers the entries and their numbers, so that they can be streamed out later with
// LogWriter while the input documents are still held.
class RecordingSink : public EntrySink {
 public:
  using Record = MergedEntry;
  void Append(const MergedEntry& merged) override { records_.push_back(merged); }
  // Makes room for `count` entries at once, so that the list never grows by copying itself.
  void Reserve(std::size_t count) { records_.reserve(count); }
  // Forgets the entries received, keeping the room.
  void Clear() { records_.clear(); }
  // The entries received, in order.
  const std::vector<Record>& Records() const { return records_; }

 private:
  std::vector<Record> records_;
};

}  // namespace palvarin

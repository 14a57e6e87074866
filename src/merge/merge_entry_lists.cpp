#include "merge/merge_entry_lists.hpp"

#include <algorithm>
#include <vector>

#include "align_entry_lists.hpp"
#include "echo_pairs.hpp"
#include "entry_walk.hpp"

namespace palvarin {
namespace {

int& WrittenCount(MergeCounts& counts, EntrySource source) {
  switch (source) {
    case EntrySource::kInput1:
      return counts.fromInput1;
    case EntrySource::kInput2:
      return counts.fromInput2;
    case EntrySource::kBoth:
      break;
  }
  return counts.fromBoth;
}

const EntryList& OtherList(const MergeOutput& output, const EntryList& list) {
  return &list == &output.first ? output.second : output.first;
}

// Writes the entry at `index` from its own side and steps past it. The side is where the list
// stands in this merge: a gather merges one list as input 1 and later as input 2.
bool AppendNext(MergeOutput& output, const EntryList& list, int& index, int session) {
  const EntrySource side = &list == &output.first ? EntrySource::kInput1 : EntrySource::kInput2;
  const bool written = AppendEntry(output, list, index, side, session);
  ++index;
  list.SkipToElement(index);
  return written;
}

// IsSameEntry of two entries, told by their identities, which are equal exactly when it holds.
bool SameEntryAt(const EntryList& list1, int index1, const EntryList& list2, int index2) {
  return list1.Identity(index1) == list2.Identity(index2);
}

// True while `index` is inside the list and on the run of session value `session`.
bool InRun(const EntryList& list, int index, std::int32_t session) {
  return index < list.Length() && list.Session(index) == session;
}

// The runs left in one list once the other is used up, one output session each.
void AppendRemainingRuns(MergeOutput& output, const EntryList& list, int& index, int& session) {
  while (index < list.Length()) {
    if (AppendSessionRun(output, list, index, session)) ++session;
  }
}

// True when some entry is written more often than either input holds it. Each input entry is
// written at most once, so that happens exactly when an entry both inputs hold is written
// from each side on its own. A sorted vector: a hash set's nodes took several times the room.
bool WritesTwice(const std::vector<MergedEntry>& written, const EntryList& first,
                 const EntryList& second) {
  std::vector<EntryIdentity> fromFirst;
  for (const MergedEntry& entry : written) {
    if (entry.source == EntrySource::kInput1) {
      fromFirst.push_back(IdentityOf(entry, first, second));
    }
  }
  if (fromFirst.empty()) return false;
  std::sort(fromFirst.begin(), fromFirst.end());
  for (const MergedEntry& entry : written) {
    if (entry.source == EntrySource::kInput2 &&
        std::binary_search(fromFirst.begin(), fromFirst.end(), IdentityOf(entry, first, second))) {
      return true;
    }
  }
  return false;
}

// True when the entries the walk met on one side only, written or left out, hold echoes. An
// entry the other input holds as it is was met on one side only where the walk wrote it
// twice, which aligns the inputs anyway; otherwise only as a surplus repeat, whose copies are
// alike. Nothing is looked up unless both sides have such entries.
bool WalkMetEchoes(const std::vector<MergedEntry>& written, const std::vector<MergedEntry>& leftOut,
                   const EntryList& first, const EntryList& second) {
  std::vector<int> lone1;
  std::vector<int> lone2;
  for (const auto* records : {&written, &leftOut}) {
    for (const MergedEntry& entry : *records) {
      if (entry.source == EntrySource::kInput1) lone1.push_back(entry.index);
      if (entry.source == EntrySource::kInput2) lone2.push_back(entry.index);
    }
  }
  if (lone1.empty() || lone2.empty()) return false;
  std::sort(lone1.begin(), lone1.end());
  std::sort(lone2.begin(), lone2.end());
  return !FindEchoes(first, second, lone1, lone2).empty();
}

}  // namespace

int MergeEntryLists(EntrySink& sink, const NodeList& list1, const NodeList& list2,
                    const ArchiveRule& archive, MergeCounts& counts, EchoSearch echoes) {
  LocalTimeCache hours;
  const EntryList first(list1, EntrySource::kInput1, hours);
  const EntryList second(list2, EntrySource::kInput2, hours);
  return MergeEntryLists(sink, first, second, archive, counts, echoes);
}

int MergeEntryLists(EntrySink& sink, const EntryList& first, const EntryList& second,
                    const ArchiveRule& archive, MergeCounts& counts, EchoSearch echoes) {
  RecordingSink merged;
  const int last = MergeEntryLists(merged, first, second, archive, counts, echoes);
  for (const MergedEntry& entry : merged.Records()) sink.Append(entry);
  return last;
}

int MergeEntryLists(RecordingSink& sink, const EntryList& first, const EntryList& second,
                    const ArchiveRule& archive, MergeCounts& counts, EchoSearch echoes) {
  // No entry is written twice by either road.
  sink.Reserve(static_cast<std::size_t>(first.Length() + second.Length()));
  std::vector<MergedEntry> leftOut;
  MergeOutput output{sink, archive, first, second, counts, &leftOut};
  const int last = WalkEntryLists(output);
  // Where the walk writes an entry twice the alignment looks for echoes among what it leaves
  // on one side; otherwise only where the walk met some.
  if (!WritesTwice(sink.Records(), first, second) &&
      (echoes == EchoSearch::kKeepBoth || !WalkMetEchoes(sink.Records(), leftOut, first, second))) {
    return last;
  }
  sink.Clear();
  output.leftOut = nullptr;
  return AlignEntryLists(output, echoes);
}

int WalkEntryLists(MergeOutput& output) {
  output.counts = {};
  const EntryList& first = output.first;
  const EntryList& second = output.second;
  int index1 = 0;
  int index2 = 0;
  first.SkipToElement(index1);
  second.SkipToElement(index2);
  int session = 1;
  while (index1 < first.Length() && index2 < second.Length()) {
    const TimedEntry entry1 = first.Entry(index1);
    const TimedEntry entry2 = second.Entry(index2);
    bool written;
    if (SameEntryAt(first, index1, second, index2)) {
      written = MergeMatchingSessions(output, index1, index2, session);
    } else if (IsEarlierEntry(entry1, entry2)) {
      written = AppendSessionRun(output, first, index1, session);
    } else {
      // Ties and unreadable times send input 2's run first.
      written = AppendSessionRun(output, second, index2, session);
    }
    if (written) ++session;
  }
  AppendRemainingRuns(output, first, index1, session);
  AppendRemainingRuns(output, second, index2, session);
  output.counts.sessions = session - 1;
  return session - 1;
}

bool MergeMatchingSessions(MergeOutput& output, int& index1, int& index2, int session) {
  const EntryList& list1 = output.first;
  const EntryList& list2 = output.second;
  const std::int32_t run1 = list1.Session(index1);
  const std::int32_t run2 = list2.Session(index2);
  bool written = false;
  while (InRun(list1, index1, run1) && InRun(list2, index2, run2)) {
    const TimedEntry entry1 = list1.Entry(index1);
    const TimedEntry entry2 = list2.Entry(index2);
    if (SameEntryAt(list1, index1, list2, index2)) {
      // Met on both sides: input 1's copy is written, whatever its age.
      written |= AppendEntry(output, list1, index1, EntrySource::kBoth, session);
      ++index1;
      list1.SkipToElement(index1);
      ++index2;
      list2.SkipToElement(index2);
    } else if (IsEarlierEntry(entry1, entry2)) {
      written |= AppendNext(output, list1, index1, session);
    } else {
      written |= AppendNext(output, list2, index2, session);
    }
  }
  // What is left of either run joins the same output session.
  if (InRun(list1, index1, run1)) written |= AppendSessionRun(output, list1, index1, session);
  if (InRun(list2, index2, run2)) written |= AppendSessionRun(output, list2, index2, session);
  return written;
}

bool AppendSessionRun(MergeOutput& output, const EntryList& list, int& index, int session) {
  const std::int32_t run = list.Session(index);
  bool written = false;
  while (InRun(list, index, run)) written |= AppendNext(output, list, index, session);
  return written;
}

bool AppendEntry(MergeOutput& output, const EntryList& list, int index, EntrySource source,
                 int session, int echoIndex) {
  if (source != EntrySource::kBoth &&
      output.archive.LeavesOut(list, index, list.AlignedTime(index), OtherList(output, list))) {
    ++output.counts.cutOff;
    if (output.leftOut) output.leftOut->push_back({{}, session, source, index});
    return false;
  }
  output.sink.Append({list.Entry(index).entry.node, session, source, index, echoIndex});
  ++WrittenCount(output.counts, source);
  return true;
}

}  // namespace palvarin

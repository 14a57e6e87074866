#include "merge/merge_entry_lists.hpp"

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

// Writes the entry at `index` from its own side and steps past it.
bool AppendNext(MergeOutput& output, const EntryList& list, int& index, int session) {
  const bool written = AppendEntry(output, list.Entry(index), list.Source(), session);
  ++index;
  list.SkipToElement(index);
  return written;
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

}  // namespace

int MergeEntryLists(EntrySink& sink, const NodeList& list1, const NodeList& list2, TimeValue cutoff,
                    MergeCounts& counts) {
  LocalTimeCache hours;
  const EntryList first(list1, EntrySource::kInput1, hours);
  const EntryList second(list2, EntrySource::kInput2, hours);
  return MergeEntryLists(sink, first, second, cutoff, counts);
}

int MergeEntryLists(EntrySink& sink, const EntryList& first, const EntryList& second,
                    TimeValue cutoff, MergeCounts& counts) {
  counts = {};
  MergeOutput output{sink, cutoff, counts};
  int index1 = 0;
  int index2 = 0;
  first.SkipToElement(index1);
  second.SkipToElement(index2);
  int session = 1;
  while (index1 < first.Length() && index2 < second.Length()) {
    const TimedEntry entry1 = first.Entry(index1);
    const TimedEntry entry2 = second.Entry(index2);
    bool written;
    if (IsSameEntry(entry1, entry2)) {
      written = MergeMatchingSessions(output, first, second, index1, index2, session);
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
  counts.sessions = session - 1;
  return session - 1;
}

bool MergeMatchingSessions(MergeOutput& output, const EntryList& list1, const EntryList& list2,
                           int& index1, int& index2, int session) {
  const std::int32_t run1 = list1.Session(index1);
  const std::int32_t run2 = list2.Session(index2);
  bool written = false;
  while (InRun(list1, index1, run1) && InRun(list2, index2, run2)) {
    const TimedEntry entry1 = list1.Entry(index1);
    const TimedEntry entry2 = list2.Entry(index2);
    if (IsSameEntry(entry1, entry2)) {
      // Met on both sides: input 1's copy is written, whatever its age.
      written |= AppendEntry(output, entry1, EntrySource::kBoth, session);
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

bool AppendEntry(MergeOutput& output, const TimedEntry& entry, EntrySource source, int session) {
  // An entry without a time is kept: the cut-off cannot judge it.
  if (source != EntrySource::kBoth && entry.time && *entry.time < output.cutoff) {
    ++output.counts.cutOff;
    return false;
  }
  output.sink.Append(entry.entry.node, session);
  ++WrittenCount(output.counts, source);
  return true;
}

}  // namespace palvarin

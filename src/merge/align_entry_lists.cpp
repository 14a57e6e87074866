#include "align_entry_lists.hpp"

#include <algorithm>
#include <climits>
#include <numeric>
#include <unordered_map>
#include <vector>

#include "echo_pairs.hpp"
#include "identity_order.hpp"

namespace palvarin {
namespace {

// One input's entries numbered 0, 1, 2, ... (ordinals), with their session runs. Held for both
// inputs beside the merge's records, so each vector costs a large merge's peak memory.
struct Side {
  const EntryList* list = nullptr;
  // ordinal -> position in the list; empty when they are the same, as in histories as written:
  // nothing between the entries
  std::vector<int> index;
  std::vector<int> run;       // ordinal -> run
  std::vector<int> runStart;  // run -> its first ordinal; one more at the end: the count
  // ordinal -> the ordinal of its pair in input 2, or -1; input 1's alone, the only one asked
  std::vector<int> partner;
  // ordinal -> whether its pair is an echo (input 1's); empty when there are none
  std::vector<bool> echo;
  // ordinal -> how far its PC's clock ran ahead of input 1's, for the runs of input 2 with
  // echoes; empty when there are none
  std::vector<TimeValue> shift;

  int Entries() const { return static_cast<int>(run.size()); }
  int Runs() const { return static_cast<int>(runStart.size()) - 1; }
  std::optional<TimeValue> Time(int ordinal) const { return list->AlignedTime(At(ordinal)); }
  const EntryIdentity& Identity(int ordinal) const { return list->Identity(At(ordinal)); }
  int At(int ordinal) const {
    return index.empty() ? ordinal : index[static_cast<std::size_t>(ordinal)];
  }
  int OrdinalAt(int position) const {
    if (index.empty()) return position;
    return static_cast<int>(std::lower_bound(index.begin(), index.end(), position) - index.begin());
  }
  // The time input 2's entry is placed by among input 1's: on input 1's clock.
  std::optional<TimeValue> PlacedTime(int ordinal) const {
    const auto time = Time(ordinal);
    if (!time || shift.empty()) return time;
    return *time - shift[static_cast<std::size_t>(ordinal)];
  }
};

Side ReadSide(const EntryList& list) {
  Side side;
  side.list = &list;
  int count = 0;
  for (int i = 0; (list.SkipToElement(i), i < list.Length()); ++i) ++count;
  if (count < list.Length()) {
    side.index.reserve(static_cast<std::size_t>(count));
    for (int i = 0; (list.SkipToElement(i), i < list.Length()); ++i) side.index.push_back(i);
  }
  side.run.reserve(static_cast<std::size_t>(count));
  for (int o = 0; o < count; ++o) {
    if (o == 0 || list.Session(side.At(o)) != list.Session(side.At(o - 1))) {
      side.runStart.push_back(o);
    }
    side.run.push_back(static_cast<int>(side.runStart.size()) - 1);
  }
  side.runStart.push_back(count);
  return side;
}

// Runs of both inputs joined by pairs, as ranges of runs: [lo1, hi1] of input 1 and [lo2, hi2]
// of input 2.
struct Group {
  int lo1 = INT_MAX, hi1 = -1, lo2 = INT_MAX, hi2 = -1;
};

class UnionFind {
 public:
  explicit UnionFind(int size) : parent_(static_cast<std::size_t>(size)) {
    std::iota(parent_.begin(), parent_.end(), 0);
  }
  int Find(int x) {
    while (parent_[At(x)] != x) x = parent_[At(x)] = parent_[At(parent_[At(x)])];
    return x;
  }
  void Join(int x, int y) { parent_[At(Find(x))] = Find(y); }

 private:
  static std::size_t At(int x) { return static_cast<std::size_t>(x); }
  std::vector<int> parent_;
};

// The groups in order of both inputs. Runs joined by a pair are one group; groups that overlap
// or cross in either input become one, so that the groups keep both inputs' order.
std::vector<Group> FindGroups(const Side& one, const Side& two) {
  UnionFind runs(one.Runs() + two.Runs());
  for (int o = 0; o < one.Entries(); ++o) {
    const int p = one.partner[static_cast<std::size_t>(o)];
    if (p >= 0)
      runs.Join(one.run[static_cast<std::size_t>(o)],
                one.Runs() + two.run[static_cast<std::size_t>(p)]);
  }
  std::unordered_map<int, Group> byRoot;
  for (int r = 0; r < one.Runs(); ++r) {
    Group& group = byRoot[runs.Find(r)];
    group.lo1 = std::min(group.lo1, r);
    group.hi1 = std::max(group.hi1, r);
  }
  for (int r = 0; r < two.Runs(); ++r) {
    Group& group = byRoot[runs.Find(one.Runs() + r)];
    group.lo2 = std::min(group.lo2, r);
    group.hi2 = std::max(group.hi2, r);
  }
  std::vector<Group> found;
  for (const auto& [root, group] : byRoot) {
    if (group.hi1 >= 0 && group.hi2 >= 0) found.push_back(group);
  }
  std::sort(found.begin(), found.end(),
            [](const Group& a, const Group& b) { return a.lo1 < b.lo1; });
  std::vector<Group> ordered;
  for (Group group : found) {
    while (!ordered.empty() &&
           (ordered.back().hi1 >= group.lo1 || ordered.back().hi2 >= group.lo2)) {
      const Group& last = ordered.back();
      group = {std::min(last.lo1, group.lo1), std::max(last.hi1, group.hi1),
               std::min(last.lo2, group.lo2), std::max(last.hi2, group.hi2)};
      ordered.pop_back();
    }
    ordered.push_back(group);
  }
  return ordered;
}

// The group of every run of one input, -1 outside all groups.
std::vector<int> GroupOfRuns(const std::vector<Group>& groups, int runs, bool first) {
  std::vector<int> groupOf(static_cast<std::size_t>(runs), -1);
  for (std::size_t g = 0; g < groups.size(); ++g) {
    const int lo = first ? groups[g].lo1 : groups[g].lo2;
    const int hi = first ? groups[g].hi1 : groups[g].hi2;
    for (int r = lo; r <= hi; ++r) groupOf[static_cast<std::size_t>(r)] = static_cast<int>(g);
  }
  return groupOf;
}

// Pairs input 1's ordinal o1 with input 2's o2.
void Pair(Side& one, int o1, int o2) { one.partner[static_cast<std::size_t>(o1)] = o2; }

// Where each identity occurs on both sides, ordinals in order.
struct Occurrences {
  std::vector<int> one, two;
};

// Each side's ordinals in order of identity, then of ordinal.
std::vector<int> SortedIdentities(const Side& side) {
  return SortedByIdentity(side.Entries(),
                          [&side](int o) -> const EntryIdentity& { return side.Identity(o); });
}

// Pairs the entries both sides hold once, walking both sides' identities in order; returns
// where the identities held more than once by either side occur.
std::vector<Occurrences> PairEntriesHeldOnce(Side& one, const Side& two) {
  const std::vector<int> sorted1 = SortedIdentities(one);
  const std::vector<int> sorted2 = SortedIdentities(two);
  std::vector<Occurrences> repeated;
  // The end of the ordinals from `at` on whose identity is `identity`.
  const auto endOf = [](const Side& side, const std::vector<int>& sorted, auto at,
                        const EntryIdentity& identity) {
    return std::find_if(at, sorted.end(), [&](int o) { return side.Identity(o) != identity; });
  };
  const auto askAhead = [](const Side& side, const std::vector<int>& sorted, auto at) {
    if (sorted.end() - at > static_cast<std::ptrdiff_t>(kPrefetchAhead)) {
      __builtin_prefetch(&side.Identity(at[kPrefetchAhead]));
    }
  };
  auto at1 = sorted1.begin();
  auto at2 = sorted2.begin();
  while (at1 != sorted1.end() && at2 != sorted2.end()) {
    // The identities lie all over memory: those a little ahead are asked for meanwhile.
    askAhead(one, sorted1, at1);
    askAhead(two, sorted2, at2);
    const EntryIdentity identity = one.Identity(*at1);
    const EntryIdentity identity2 = two.Identity(*at2);
    if (identity < identity2) {
      ++at1;
    } else if (identity2 < identity) {
      ++at2;
    } else {
      const auto end1 = endOf(one, sorted1, at1 + 1, identity);
      const auto end2 = endOf(two, sorted2, at2 + 1, identity);
      if (end1 - at1 == 1 && end2 - at2 == 1) {
        Pair(one, *at1, *at2);
      } else {
        Occurrences& shared = repeated.emplace_back();
        shared.one.assign(at1, end1);
        shared.two.assign(at2, end2);
      }
      at1 = end1;
      at2 = end2;
    }
  }
  return repeated;
}

// Pairs the copies of an identity held several times: first within the groups that the
// entries held once have formed, in order, then the rest in order.
void PairRepeated(Side& one, const Side& two, const Occurrences& shared,
                  const std::vector<int>& groupOf1, const std::vector<int>& groupOf2) {
  const auto groupOf = [](const Side& side, const std::vector<int>& groups, int o) {
    return groups[static_cast<std::size_t>(side.run[static_cast<std::size_t>(o)])];
  };
  // Input 1's copies inside groups, by group, each group's in order.
  std::unordered_map<int, std::vector<int>> inGroup;
  for (int o1 : shared.one) {
    const int group = groupOf(one, groupOf1, o1);
    if (group >= 0) inGroup[group].push_back(o1);
  }
  std::unordered_map<int, std::size_t> taken;
  std::vector<int> free2;
  for (int o2 : shared.two) {
    const auto copies = inGroup.find(groupOf(two, groupOf2, o2));
    if (copies != inGroup.end() && taken[copies->first] < copies->second.size()) {
      Pair(one, copies->second[taken[copies->first]++], o2);
    } else {
      free2.push_back(o2);
    }
  }
  auto next2 = free2.begin();
  for (int o1 : shared.one) {
    if (next2 == free2.end()) break;
    if (one.partner[static_cast<std::size_t>(o1)] < 0) Pair(one, o1, *next2++);
  }
}

// Pairs the echoes of entries neither side's identities paired; each of input 2's entries of a
// run with echoes is placed by the shift of the echo before it in the run (the first one's
// before them). Returns how many were paired.
int PairEchoes(Side& one, Side& two, const std::vector<EchoPair>& echoes) {
  if (echoes.empty()) return 0;
  std::vector<bool> taken2(static_cast<std::size_t>(two.Entries()), false);
  for (int p : one.partner) {
    if (p >= 0) taken2[static_cast<std::size_t>(p)] = true;
  }
  one.echo.assign(static_cast<std::size_t>(one.Entries()), false);
  two.shift.assign(static_cast<std::size_t>(two.Entries()), 0);
  std::vector<std::optional<TimeValue>> shiftOf(static_cast<std::size_t>(two.Entries()));
  std::vector<bool> runWithEcho(static_cast<std::size_t>(two.Runs()), false);
  int paired = 0;
  for (const EchoPair& echo : echoes) {
    const auto o1 = static_cast<std::size_t>(one.OrdinalAt(echo.index1));
    const auto o2 = static_cast<std::size_t>(two.OrdinalAt(echo.index2));
    if (one.partner[o1] >= 0 || taken2[o2]) continue;
    Pair(one, static_cast<int>(o1), static_cast<int>(o2));
    one.echo[o1] = true;
    taken2[o2] = true;
    shiftOf[o2] = echo.shift;
    runWithEcho[static_cast<std::size_t>(two.run[o2])] = true;
    ++paired;
  }
  for (int r = 0; r < two.Runs(); ++r) {
    if (!runWithEcho[static_cast<std::size_t>(r)]) continue;
    const int begin = two.runStart[static_cast<std::size_t>(r)];
    const int end = two.runStart[static_cast<std::size_t>(r) + 1];
    std::optional<TimeValue> carried;
    for (int o = begin; o < end && !carried; ++o) carried = shiftOf[static_cast<std::size_t>(o)];
    for (int o = begin; o < end; ++o) {
      if (shiftOf[static_cast<std::size_t>(o)]) carried = shiftOf[static_cast<std::size_t>(o)];
      two.shift[static_cast<std::size_t>(o)] = *carried;
    }
  }
  return paired;
}

// The echoes among the entries the identities left unpaired on both sides.
std::vector<EchoPair> EchoesLeft(const Side& one, const Side& two) {
  std::vector<bool> paired2(static_cast<std::size_t>(two.Entries()), false);
  std::vector<int> lone1;
  for (int o = 0; o < one.Entries(); ++o) {
    const int p = one.partner[static_cast<std::size_t>(o)];
    if (p >= 0) {
      paired2[static_cast<std::size_t>(p)] = true;
    } else {
      lone1.push_back(one.At(o));
    }
  }
  std::vector<int> lone2;
  for (int o = 0; o < two.Entries(); ++o) {
    if (!paired2[static_cast<std::size_t>(o)]) lone2.push_back(two.At(o));
  }
  return FindEchoes(*one.list, *two.list, lone1, lone2);
}

void PairEntries(Side& one, const Side& two) {
  const std::vector<Occurrences> repeated = PairEntriesHeldOnce(one, two);
  if (repeated.empty()) return;
  const std::vector<Group> groups = FindGroups(one, two);
  const std::vector<int> groupOf1 = GroupOfRuns(groups, one.Runs(), true);
  const std::vector<int> groupOf2 = GroupOfRuns(groups, two.Runs(), false);
  for (const Occurrences& shared : repeated) PairRepeated(one, two, shared, groupOf1, groupOf2);
}

// Of the pairs (o1, o2) in order of o1, the most that also run in order of o2: these are
// written where they stand. Returns their o1.
std::vector<int> InOrderPairs(const Side& one, int begin1, int end1) {
  std::vector<int> tails;  // tails[k]: the o1 ending the best chain of length k + 1
  std::vector<int> before(static_cast<std::size_t>(end1 - begin1), -1);
  const auto o2 = [&](int o1) { return one.partner[static_cast<std::size_t>(o1)]; };
  for (int o = begin1; o < end1; ++o) {
    if (o2(o) < 0) continue;
    const auto at = std::lower_bound(tails.begin(), tails.end(), o2(o),
                                     [&](int tail, int value) { return o2(tail) < value; });
    if (at != tails.begin()) before[static_cast<std::size_t>(o - begin1)] = *(at - 1);
    if (at == tails.end()) {
      tails.push_back(o);
    } else {
      *at = o;
    }
  }
  std::vector<int> chain;
  for (int o = tails.empty() ? -1 : tails.back(); o >= 0;
       o = before[static_cast<std::size_t>(o - begin1)]) {
    chain.push_back(o);
  }
  std::reverse(chain.begin(), chain.end());
  return chain;
}

class Writer {
 public:
  Writer(MergeOutput& output, const Side& one, const Side& two)
      : output_(output),
        one_(one),
        two_(two),
        skip2_(static_cast<std::size_t>(two.Entries()), false) {}

  int Write(const std::vector<Group>& groups) {
    int run1 = 0;
    int run2 = 0;
    for (const Group& group : groups) {
      WriteLoneRuns(run1, group.lo1, run2, group.lo2);
      WriteGroup(group);
      run1 = group.hi1 + 1;
      run2 = group.hi2 + 1;
    }
    WriteLoneRuns(run1, one_.Runs(), run2, two_.Runs());
    return session_ - 1;
  }

 private:
  // True when input 1's entry goes before input 2's: strictly earlier, or without a time
  // (it stays right after the entry before it) while input 2's has one.
  bool FirstGoesFirst(int o1, int o2) const {
    const auto time1 = one_.Time(o1);
    const auto time2 = two_.PlacedTime(o2);
    if (!time2) return false;
    return !time1 || *time1 < *time2;
  }

  bool Put(const Side& side, int ordinal, EntrySource source) {
    return AppendEntry(output_, *side.list, side.At(ordinal), source, session_);
  }

  // Input 1's entry of a pair, once for both, naming input 2's copy where it is an echo.
  bool PutPair(int o1) {
    const auto at = static_cast<std::size_t>(o1);
    const int echo = one_.echo.empty() || !one_.echo[at] ? -1 : two_.At(one_.partner[at]);
    return AppendEntry(output_, *one_.list, one_.At(o1), EntrySource::kBoth, session_, echo);
  }

  bool PutRun(const Side& side, int run, EntrySource source) {
    bool written = false;
    for (int o = side.runStart[static_cast<std::size_t>(run)];
         o < side.runStart[static_cast<std::size_t>(run) + 1]; ++o) {
      written |= Put(side, o, source);
    }
    return written;
  }

  // Runs that share nothing, each its own session, the earlier first.
  void WriteLoneRuns(int run1, int end1, int run2, int end2) {
    while (run1 < end1 || run2 < end2) {
      const bool first =
          run2 == end2 ||
          (run1 < end1 && FirstGoesFirst(one_.runStart[static_cast<std::size_t>(run1)],
                                         two_.runStart[static_cast<std::size_t>(run2)]));
      const bool written = first ? PutRun(one_, run1++, EntrySource::kInput1)
                                 : PutRun(two_, run2++, EntrySource::kInput2);
      if (written) ++session_;
    }
  }

  void WriteGroup(const Group& group) {
    int o1 = one_.runStart[static_cast<std::size_t>(group.lo1)];
    int o2 = two_.runStart[static_cast<std::size_t>(group.lo2)];
    const int end1 = one_.runStart[static_cast<std::size_t>(group.hi1) + 1];
    const int end2 = two_.runStart[static_cast<std::size_t>(group.hi2) + 1];
    const std::vector<int> anchors = InOrderPairs(one_, o1, end1);
    // Pairs out of order are written once, where input 1 has them; the anchors' input 2
    // copies are stepped over anyway.
    for (int o = o1; o < end1; ++o) {
      const int p = one_.partner[static_cast<std::size_t>(o)];
      if (p >= 0) skip2_[static_cast<std::size_t>(p)] = true;
    }
    bool written = false;
    for (std::size_t k = 0; k <= anchors.size(); ++k) {
      const bool last = k == anchors.size();
      const int stop1 = last ? end1 : anchors[k];
      const int stop2 = last ? end2 : one_.partner[static_cast<std::size_t>(anchors[k])];
      written |= WriteBetween(o1, stop1, o2, stop2);
      if (last) break;
      written |= PutPair(stop1);
      o1 = stop1 + 1;
      o2 = stop2 + 1;
    }
    if (written) ++session_;
  }

  // The entries between two pairs written in place, in time order.
  bool WriteBetween(int& o1, int stop1, int& o2, int stop2) {
    bool written = false;
    while (o1 < stop1 || o2 < stop2) {
      if (o2 < stop2 && skip2_[static_cast<std::size_t>(o2)]) {
        ++o2;
        continue;
      }
      if (o2 == stop2 || (o1 < stop1 && FirstGoesFirst(o1, o2))) {
        const bool paired = one_.partner[static_cast<std::size_t>(o1)] >= 0;
        written |= paired ? PutPair(o1) : Put(one_, o1, EntrySource::kInput1);
        ++o1;
      } else {
        written |= Put(two_, o2++, EntrySource::kInput2);
      }
    }
    return written;
  }

  MergeOutput& output_;
  const Side& one_;
  const Side& two_;
  std::vector<bool> skip2_;  // input 2's copies of pairs written where input 1 has them
  int session_ = 1;
};

}  // namespace

int AlignEntryLists(MergeOutput& output, EchoSearch echoes) {
  output.counts = {};
  Side one = ReadSide(output.first);
  Side two = ReadSide(output.second);
  one.partner.assign(static_cast<std::size_t>(one.Entries()), -1);
  PairEntries(one, two);
  const int echoed = echoes == EchoSearch::kFind ? PairEchoes(one, two, EchoesLeft(one, two)) : 0;
  Writer writer(output, one, two);
  const int last = writer.Write(FindGroups(one, two));
  output.counts.sessions = last;
  output.counts.echoes = echoed;
  return last;
}

}  // namespace palvarin

#include "echo_pairs.hpp"

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <optional>
#include <set>
#include <string_view>
#include <tuple>
#include <unordered_map>

#include "entry_identity.hpp"
#include "history/xml_inline.hpp"

namespace palvarin {
namespace {

std::size_t At(int value) { return static_cast<std::size_t>(value); }

// How far apart two copies of one message may stand.
constexpr std::int64_t kReach = kEchoMaxOffsetMs + kEchoJitterMs;

// The thousandths of a second "DateTime" gives beyond the whole seconds, 0 when it gives none.
std::int64_t FractionMs(pugi::xml_node entry) {
  const char* stamp = AttributeNamed(entry, "DateTime").value();
  const char* dot = stamp;
  while (*dot != '\0' && *dot != '.') ++dot;
  std::int64_t ms = 0;
  int digits = 0;
  for (const char* at = *dot ? dot + 1 : dot; digits < 3; ++digits) {
    const bool digit = *at >= '0' && *at <= '9';
    ms = ms * 10 + (digit ? *at - '0' : 0);
    if (digit) ++at;
  }
  return ms;
}

// True for a text of fewer than 8 characters, or a single word of fewer than 16: "ok", "lol",
// "thanks", an emoticon's or a sticker's code, the replies anyone gives any day, which two
// conversations may hold a moment apart however seldom a history does.
bool Short(std::string_view text) {
  const auto characters = std::count_if(text.begin(), text.end(), [](char byte) {
    return (static_cast<unsigned char>(byte) & 0xC0) != 0x80;
  });
  const bool oneWord = std::none_of(text.begin(), text.end(), [](char byte) {
    return byte == ' ' || byte == '\t' || byte == '\n' || byte == '\r';
  });
  return characters < 8 || (oneWord && characters < 16);
}

// An entry that may have an echo on the other side, with what the search compares.
struct Item {
  int position = 0;
  std::int64_t ms = 0;    // its moment to the thousandth, on its own PC's clock
  EntryIdentity content;  // its tree apart from its stamps and session
};

// The entries of one session run that may be echoes, and their span.
struct Run {
  std::vector<int> positions;
  std::int64_t startMs = 0;
  std::int64_t endMs = 0;
  std::vector<Item> items;  // with their contents, filled when first compared
  std::vector<Item> texts;  // with their texts alone, filled when first looked at
};

class Side {
 public:
  Side(const EntryList& list, std::span<const int> lone) : list_(list) {
    int previous = -1;
    for (const int position : lone) {
      const auto time = list.AlignedTime(position);
      if (!time) continue;
      if (previous < 0 || !SameRun(previous, position)) runs_.emplace_back();
      Run& run = runs_.back();
      const std::int64_t ms = *time * 1000;
      if (run.positions.empty() || ms < run.startMs) run.startMs = ms;
      if (run.positions.empty() || ms + 999 > run.endMs) run.endMs = ms + 999;
      run.positions.push_back(position);
      previous = position;
    }
  }

  std::vector<Run>& Runs() { return runs_; }
  const EntryList& List() const { return list_; }

  // True when the text of the entry at `position` is held by no other entry looked at on this
  // side: a text that recurs ("ok", a sticker) may meet another copy at any offset by chance,
  // one said once may not. Counted on first ask over the runs whose texts were read: those
  // within the largest offset of a run of the other side.
  bool SaidOnce(int position) { return SaidOnceAs(TextHash(position)) == position; }
  // The entry whose text, said once, hashes to `text`; -1 where there is none.
  int SaidOnceAs(std::uint64_t text) {
    if (texts_.empty()) {
      for (const Run& run : runs_) {
        for (const Item& item : run.texts) {
          Said& said = texts_[item.content.low];
          ++said.times;
          said.position = item.position;
        }
      }
    }
    const auto found = texts_.find(text);
    return found != texts_.end() && found->second.times == 1 &&
                   !Short(TextOf(found->second.position))
               ? found->second.position
               : -1;
  }

  // The entry's moment to the thousandth, and its contents.
  std::int64_t Ms(int position) const {
    return *list_.AlignedTime(position) * 1000 + FractionMs(list_.Entry(position).entry.node);
  }
  EntryIdentity ContentOf(int position) {
    return digest_.ContentOf(list_.Entry(position).entry.node);
  }

  // The run's entries with their contents, read once.
  const std::vector<Item>& Items(Run& run) { return Read(run, run.items, true); }
  // The same with their texts alone: copies share them too, and they are quicker to read.
  const std::vector<Item>& Texts(Run& run) { return Read(run, run.texts, false); }

 private:
  const std::vector<Item>& Read(const Run& run, std::vector<Item>& items, bool contents) {
    if (!items.empty()) return items;
    for (const int position : run.positions) {
      const EntryIdentity key =
          contents ? ContentOf(position) : EntryIdentity{TextHash(position), 0};
      items.push_back({position, Ms(position), key});
    }
    return items;
  }

  std::string_view TextOf(int position) const {
    return list_.Entry(position).entry.node.child("Text").text().get();
  }
  std::uint64_t TextHash(int position) const {
    return std::hash<std::string_view>{}(TextOf(position));
  }

  // Two positions, `from` before `to`, in one session run: no entry between them of another
  // session value.
  bool SameRun(int from, int to) const {
    const std::int32_t session = list_.Session(from);
    for (int i = from + 1; i <= to; ++i) {
      list_.SkipToElement(i);
      if (i > to || list_.Session(i) != session) return i > to;
    }
    return true;
  }

  const EntryList& list_;
  std::vector<Run> runs_;
  IdentityDigest digest_;
  // Each text's entries looked at: how many, and the last.
  struct Said {
    int times = 0;
    int position = -1;
  };
  std::unordered_map<std::uint64_t, Said> texts_;
};

// A possible match of two runs and the pairs it would make.
struct Match {
  int run1 = 0;
  int run2 = 0;
  std::int64_t offsetMs = 0;  // the offset of its largest group of pairs
  // Each offset it paired at, that one first: a session merged before holds copies of two
  // PCs, each with its own clock.
  std::vector<std::int64_t> offsets;
  std::vector<EchoPair> pairs;
  std::size_t shorter = 0;          // the entries of the shorter run
  std::size_t shorterInCommon = 0;  // the fewer of either run's within the time both cover
};

// Input 2's items ordered by contents, then time: those of one contents near one moment are
// found by two searches.
struct ByContent {
  std::vector<const Item*> items;

  explicit ByContent(const std::vector<Item>& from) {
    for (const Item& item : from) items.push_back(&item);
    std::sort(items.begin(), items.end(), [](const Item* a, const Item* b) {
      return std::tie(a->content, a->ms, a->position) < std::tie(b->content, b->ms, b->position);
    });
  }
  // The range of items with `content` stamped from `low` to `high`.
  auto Near(const EntryIdentity& content, std::int64_t low, std::int64_t high) const {
    const auto begin = std::lower_bound(
        items.begin(), items.end(), std::pair(content, low), [](const Item* item, const auto& key) {
          return std::tie(item->content, item->ms) < std::tie(key.first, key.second);
        });
    auto end = begin;
    while (end != items.end() && (*end)->content == content && (*end)->ms <= high) ++end;
    return std::pair(begin, end);
  }
};

// The offset most copies agree on within the jitter, and how many agree; none when no item of
// one side has a copy on the other within the largest offset. Items in `taken` are done.
std::optional<std::pair<std::int64_t, int>> CommonOffset(const std::vector<Item>& one,
                                                         const std::vector<bool>& taken1,
                                                         const ByContent& two,
                                                         const std::vector<bool>& taken2,
                                                         const std::vector<Item>& items2) {
  std::vector<std::int64_t> offsets;
  for (std::size_t k = 0; k < one.size(); ++k) {
    if (taken1[k]) continue;
    const auto [begin, end] = two.Near(one[k].content, one[k].ms - kReach, one[k].ms + kReach);
    for (auto at = begin; at != end; ++at) {
      if (!taken2[At(static_cast<int>(*at - items2.data()))])
        offsets.push_back((*at)->ms - one[k].ms);
    }
  }
  if (offsets.empty()) return std::nullopt;
  std::sort(offsets.begin(), offsets.end());
  std::size_t bestBegin = 0;
  std::size_t bestCount = 0;
  for (std::size_t begin = 0, end = 0; begin < offsets.size(); ++begin) {
    while (end < offsets.size() && offsets[end] - offsets[begin] <= 2 * kEchoJitterMs) ++end;
    if (end - begin > bestCount) {
      bestCount = end - begin;
      bestBegin = begin;
    }
  }
  return std::pair(offsets[bestBegin + bestCount / 2], static_cast<int>(bestCount));
}

// True when pairing `p1` with `p2` keeps the order of `earlier`'s pairs (sorted by index1)
// next to it on both sides.
bool KeepsOrder(const std::vector<EchoPair>& earlier, int p1, int p2) {
  const auto next = std::lower_bound(earlier.begin(), earlier.end(), p1,
                                     [](const EchoPair& pair, int p) { return pair.index1 < p; });
  if (next != earlier.end() && next->index2 <= p2) return false;
  return next == earlier.begin() || (next - 1)->index2 < p2;
}

// Pairs each item of `one` not yet taken with the nearest untaken copy on the other side at
// `offset` within the jitter; with `earlier`, only where that keeps their order. (Where a copy
// nearest one "ok" was the only one the next "ok" had, pairing the earliest instead would pair
// more, but as often two replies each PC missed one of: the second stays.)
void PairAt(std::int64_t offset, const std::vector<Item>& one, std::vector<bool>& taken1,
            const ByContent& two, std::vector<bool>& taken2, const std::vector<Item>& items2,
            const Side& side1, const Side& side2, const std::vector<EchoPair>* earlier,
            std::vector<EchoPair>& pairs) {
  for (std::size_t k = 0; k < one.size(); ++k) {
    if (taken1[k]) continue;
    const std::int64_t at = one[k].ms + offset;
    const auto [begin, end] = two.Near(one[k].content, at - kEchoJitterMs, at + kEchoJitterMs);
    const Item* best = nullptr;
    std::size_t bestIndex = 0;
    for (auto it = begin; it != end; ++it) {
      const auto index = static_cast<std::size_t>(*it - items2.data());
      if (taken2[index] || (earlier && !KeepsOrder(*earlier, one[k].position, (*it)->position))) {
        continue;
      }
      if (!best || std::llabs((*it)->ms - at) < std::llabs(best->ms - at)) {
        best = *it;
        bestIndex = index;
      }
    }
    if (!best) continue;
    taken1[k] = true;
    taken2[bestIndex] = true;
    const int p1 = one[k].position;
    const int p2 = best->position;
    pairs.push_back({p1, p2, *side2.List().AlignedTime(p2) - *side1.List().AlignedTime(p1)});
  }
}

// The entries of each run within the time both cover, `one` moved by `offset`, the jitter
// allowed.
std::pair<std::vector<const Item*>, std::vector<const Item*>> InCommon(const std::vector<Item>& one,
                                                                       const std::vector<Item>& two,
                                                                       std::int64_t offset) {
  const auto byMs = [](const Item& a, const Item& b) { return a.ms < b.ms; };
  const auto [first1, last1] = std::minmax_element(one.begin(), one.end(), byMs);
  const auto [first2, last2] = std::minmax_element(two.begin(), two.end(), byMs);
  const std::int64_t low = std::max(first1->ms + offset, first2->ms) - kEchoJitterMs;
  const std::int64_t high = std::min(last1->ms + offset, last2->ms) + kEchoJitterMs;
  const auto within = [&](const std::vector<Item>& items, std::int64_t shift) {
    std::vector<const Item*> found;
    for (const Item& item : items) {
      if (item.ms + shift >= low && item.ms + shift <= high) found.push_back(&item);
    }
    return found;
  };
  return {within(one, offset), within(two, 0)};
}

// The entries of the run that has fewer of them within the time both runs cover, with
// `one` moved by `offset` and the jitter allowed: a PC that signed in late or left early
// logged nothing outside the other's span, so what lies there says nothing against an echo.
std::size_t ShorterInCommon(const std::vector<Item>& one, const std::vector<Item>& two,
                            std::int64_t offset) {
  const auto [in1, in2] = InCommon(one, two, offset);
  return std::min(in1.size(), in2.size());
}

// How many offsets a run pair's copies are paired at: a session merged before holds copies of
// two PCs, each with its own clock.
constexpr int kOffsets = 3;

// The pairs two runs' items make: at the offset most of them agree on, then, for what is left,
// at up to two more offsets that at least two pairs agree on (a session merged before holds
// copies of two PCs, each with its own clock). With `fixed`, at that offset alone.
Match MatchRuns(int run1, int run2, const std::vector<Item>& one, const std::vector<Item>& two,
                const Side& side1, const Side& side2, std::optional<std::int64_t> fixed) {
  Match match{run1, run2, 0, {}, {}};
  const ByContent byContent(two);
  std::vector<bool> taken1(one.size(), false);
  std::vector<bool> taken2(two.size(), false);
  match.shorter = std::min(one.size(), two.size());
  if (fixed) {
    match.offsetMs = *fixed;
    match.offsets = {*fixed};
    PairAt(*fixed, one, taken1, byContent, taken2, two, side1, side2, nullptr, match.pairs);
    match.shorterInCommon = ShorterInCommon(one, two, *fixed);
    return match;
  }
  for (int round = 0; round < kOffsets; ++round) {
    const auto common = CommonOffset(one, taken1, byContent, taken2, two);
    if (!common || (round > 0 && common->second < 2)) break;
    if (round == 0) {
      match.offsetMs = common->first;
      // Each offset pairs at most as many as agree on it, the first the most: a run pair that
      // cannot be a clear match is left before any pairing (long runs of one conversation
      // that both PCs logged, each missing some messages, share many texts at no one offset).
      const std::size_t most = static_cast<std::size_t>(kOffsets * common->second);
      if (3 * most < 2 * ShorterInCommon(one, two, match.offsetMs)) return match;
    }
    // A later offset only fills in among the pairs found so far, in their order.
    std::vector<EchoPair> earlier;
    if (round > 0) {
      earlier = match.pairs;
      std::sort(earlier.begin(), earlier.end(),
                [](const EchoPair& a, const EchoPair& b) { return a.index1 < b.index1; });
    }
    const std::size_t before = match.pairs.size();
    PairAt(common->first, one, taken1, byContent, taken2, two, side1, side2,
           round > 0 ? &earlier : nullptr, match.pairs);
    if (match.pairs.size() > before) match.offsets.push_back(common->first);
  }
  if (!match.pairs.empty()) {
    match.shorterInCommon = ShorterInCommon(one, two, match.offsetMs);
  }
  return match;
}

// At least 3 pairs and two thirds of the shorter run's entries that may be echoes, of those
// within the time both runs cover.
bool IsClear(const Match& match) {
  const std::size_t paired = match.pairs.size();
  return paired >= 3 && 3 * paired >= 2 * match.shorterInCommon;
}

// The fewest entries either run has within the time both cover, at any offset up to the
// largest.
std::size_t FewestInCommon(const std::vector<Item>& one, const std::vector<Item>& two) {
  const auto byMs = [](const Item& a, const Item& b) { return a.ms < b.ms; };
  const auto [first1, last1] = std::minmax_element(one.begin(), one.end(), byMs);
  const auto [first2, last2] = std::minmax_element(two.begin(), two.end(), byMs);
  const auto within = [](const std::vector<Item>& items, std::int64_t low, std::int64_t high) {
    return static_cast<std::size_t>(
        std::count_if(items.begin(), items.end(),
                      [&](const Item& item) { return item.ms >= low && item.ms <= high; }));
  };
  return std::min(within(one, std::max(first1->ms, first2->ms + kReach) - kEchoJitterMs,
                         std::min(last1->ms, last2->ms - kReach) + kEchoJitterMs),
                  within(two, std::max(first1->ms + kReach, first2->ms) - kEchoJitterMs,
                         std::min(last1->ms - kReach, last2->ms) + kEchoJitterMs));
}

// False when two runs, by their texts alone, cannot make a clear match: no more pairs than
// text-alike copies agree on any offset (`common`, the offset most agree on, and how many), at
// each of the offsets tried.
bool MayBeClear(const std::vector<Item>& one, const std::vector<Item>& two,
                const std::optional<std::pair<std::int64_t, int>>& common) {
  if (!common) return false;
  const auto most = static_cast<std::size_t>(kOffsets * common->second);
  return most >= 3 && 3 * most >= 2 * FewestInCommon(one, two);
}

// True when the first and the last of the entries the shorter run has within the time both
// runs cover each have a text-alike copy in the other within the jitter, as they must for all
// of those to pair in step.
bool EndsInStep(const std::vector<Item>& one, const std::vector<Item>& two, std::int64_t offset) {
  const auto [in1, in2] = InCommon(one, two, offset);
  const auto& shorter = in1.size() <= in2.size() ? in1 : in2;
  const auto& other = in1.size() <= in2.size() ? two : one;
  if (shorter.empty()) return false;
  // Input 1's items stand moved by `offset` among input 2's.
  const std::int64_t shift = in1.size() <= in2.size() ? offset : -offset;
  const auto hasCopy = [&other, shift](const Item* item) {
    return std::any_of(other.begin(), other.end(), [item, shift](const Item& copy) {
      return copy.content == item->content &&
             std::llabs(copy.ms - item->ms - shift) <= kEchoJitterMs;
    });
  };
  const auto byMs = [](const Item* a, const Item* b) { return a->ms < b->ms; };
  const auto [first, last] = std::minmax_element(shorter.begin(), shorter.end(), byMs);
  return hasCopy(*first) && hasCopy(*last);
}

// A pair of runs that proves no offset alone, with the offset most of their texts agree on and
// how many agree, if any do.
struct Unclear {
  int run1 = 0;
  int run2 = 0;
  std::optional<std::pair<std::int64_t, int>> texts;
};

// The offset at which the texts of two or more run pairs that prove none alone agree, the most
// copies in all: a PC's clock is off by the same in each session, so short sessions together
// show it as one long one would. None where no two agree.
std::optional<std::int64_t> PooledOffset(const std::vector<Unclear>& unclear) {
  std::vector<std::pair<std::int64_t, int>> offsets;
  for (const Unclear& pair : unclear) {
    if (pair.texts) offsets.push_back(*pair.texts);
  }
  std::sort(offsets.begin(), offsets.end());
  std::optional<std::int64_t> best;
  int bestCount = 1;
  int count = 0;
  for (std::size_t begin = 0, end = 0; begin < offsets.size(); ++begin) {
    for (; end < offsets.size() && offsets[end].first - offsets[begin].first <= 2 * kEchoJitterMs;
         ++end) {
      count += offsets[end].second;
    }
    if (end - begin >= 2 && count > bestCount) {
      bestCount = count;
      best = offsets[begin + (end - begin) / 2].first;
    }
    count -= offsets[begin].second;
  }
  return best;
}

// A pair of copies and how far apart they are stamped, input 2's later by `offsetMs`.
struct SaidOnceCopy {
  std::int64_t offsetMs = 0;
  EchoPair pair;
};

// The copies in `run2` of the entries of `run1` whose texts each side holds once, within the
// largest offset, in order of input 1.
std::vector<SaidOnceCopy> SaidOnceCopies(Side& side1, Side& side2, int run1, int run2) {
  const std::vector<int>& positions2 = side2.Runs()[At(run2)].positions;
  std::vector<SaidOnceCopy> copies;
  for (const Item& item : side1.Texts(side1.Runs()[At(run1)])) {
    if (side1.SaidOnceAs(item.content.low) != item.position) continue;
    const int p2 = side2.SaidOnceAs(item.content.low);
    if (p2 < 0 || !std::binary_search(positions2.begin(), positions2.end(), p2)) continue;
    const std::int64_t offset = side2.Ms(p2) - item.ms;
    if (std::llabs(offset) > kReach || side1.ContentOf(item.position) != side2.ContentOf(p2)) {
      continue;
    }
    const TimeValue shift =
        *side2.List().AlignedTime(p2) - *side1.List().AlignedTime(item.position);
    copies.push_back({offset, {item.position, p2, shift}});
  }
  return copies;
}

// Pairs, among a match's pairs and in their order, the copies of texts each side holds once
// that its offsets left: a copy the network held back past the jitter, or one on the clock of
// a third PC whose copies a session merged before holds. (A short reply left there may be one
// each PC missed of two said a moment apart: it stays.) Entries in `paired1` and `paired2` are
// paired already.
void FillIn(Match& match, Side& side1, Side& side2, const std::set<int>& paired1,
            const std::set<int>& paired2) {
  std::vector<EchoPair> earlier = match.pairs;
  const auto byIndex1 = [](const EchoPair& a, const EchoPair& b) { return a.index1 < b.index1; };
  std::sort(earlier.begin(), earlier.end(), byIndex1);
  std::set<int> own2;
  for (const EchoPair& pair : earlier) own2.insert(pair.index2);
  for (const SaidOnceCopy& copy : SaidOnceCopies(side1, side2, match.run1, match.run2)) {
    const EchoPair& pair = copy.pair;
    if (paired1.count(pair.index1) || paired2.count(pair.index2) || own2.count(pair.index2) ||
        !KeepsOrder(earlier, pair.index1, pair.index2)) {
      continue;
    }
    match.pairs.push_back(pair);
    own2.insert(pair.index2);
    earlier.insert(std::upper_bound(earlier.begin(), earlier.end(), pair, byIndex1), pair);
  }
}

// Leaves out the pairs of `match` (made at its one offset) whose entry on either side has
// another copy at one of `others` that lies beyond the jitter of it: offsets nearby matches
// showed for other clocks. A session merged before holds copies on two PCs' clocks, and which
// of them such an entry is on cannot be told.
void LeaveOutOtherClocks(Match& match, const std::vector<Item>& one, const std::vector<Item>& two,
                         std::vector<std::int64_t> others) {
  std::erase_if(others, [&match](std::int64_t other) {
    return std::llabs(other - match.offsetMs) <= 2 * kEchoJitterMs;
  });
  if (others.empty() || match.pairs.empty()) return;
  const ByContent in1(one);
  const ByContent in2(two);
  // Items stand in list order.
  const auto find = [](const std::vector<Item>& items, int position) {
    return std::lower_bound(items.begin(), items.end(), position,
                            [](const Item& item, int p) { return item.position < p; });
  };
  const auto copyAt = [](const ByContent& in, const Item& item, std::int64_t at, int paired) {
    const auto [begin, end] = in.Near(item.content, at - kEchoJitterMs, at + kEchoJitterMs);
    return std::any_of(begin, end, [paired](const Item* copy) { return copy->position != paired; });
  };
  std::erase_if(match.pairs, [&](const EchoPair& pair) {
    const auto item1 = find(one, pair.index1);
    const auto item2 = find(two, pair.index2);
    return std::any_of(others.begin(), others.end(), [&](std::int64_t other) {
      return copyAt(in2, *item1, item1->ms + other, pair.index2) ||
             copyAt(in1, *item2, item2->ms - other, pair.index1);
    });
  });
}

// (start of input 1's run, offset) of each match taken, in order.
using Shown = std::vector<std::pair<std::int64_t, std::int64_t>>;

// The offsets matches showed within a day of `start`, those within the jitter of another once:
// a PC's clock keeps its offset that long, and a session merged before holds two PCs' clocks.
std::vector<std::int64_t> ShownNear(const Shown& shown, std::int64_t start) {
  constexpr std::int64_t kDayMs = 24 * 3600 * 1000;
  std::vector<std::int64_t> offsets;
  for (auto at = std::lower_bound(shown.begin(), shown.end(), std::pair(start - kDayMs, INT64_MIN));
       at != shown.end() && at->first <= start + kDayMs; ++at) {
    offsets.push_back(at->second);
  }
  std::sort(offsets.begin(), offsets.end());
  std::vector<std::int64_t> apart;
  for (const std::int64_t offset : offsets) {
    if (apart.empty() || offset - apart.back() > kEchoJitterMs) apart.push_back(offset);
  }
  return apart;
}

// The pairs of runs whose spans, allowing the largest offset, overlap.
std::vector<std::pair<int, int>> OverlappingRuns(const std::vector<Run>& runs1,
                                                 const std::vector<Run>& runs2) {
  std::vector<int> byStart(runs2.size());
  for (std::size_t r = 0; r < runs2.size(); ++r) byStart[r] = static_cast<int>(r);
  std::sort(byStart.begin(), byStart.end(),
            [&](int a, int b) { return runs2[At(a)].startMs < runs2[At(b)].startMs; });
  // The latest end among the runs up to each in that order.
  std::vector<std::int64_t> latestEnd(byStart.size());
  for (std::size_t k = 0; k < byStart.size(); ++k) {
    latestEnd[k] = std::max(k ? latestEnd[k - 1] : INT64_MIN, runs2[At(byStart[k])].endMs);
  }
  std::vector<std::pair<int, int>> overlapping;
  for (std::size_t r1 = 0; r1 < runs1.size(); ++r1) {
    const Run& run = runs1[r1];
    auto k = std::upper_bound(byStart.begin(), byStart.end(), run.endMs + kReach,
                              [&](std::int64_t ms, int r) { return ms < runs2[At(r)].startMs; }) -
             byStart.begin();
    while (k-- > 0 && latestEnd[At(static_cast<int>(k))] >= run.startMs - kReach) {
      const int r2 = byStart[At(static_cast<int>(k))];
      if (runs2[At(r2)].endMs >= run.startMs - kReach) {
        overlapping.emplace_back(static_cast<int>(r1), r2);
      }
    }
  }
  return overlapping;
}

}  // namespace

std::vector<EchoPair> FindEchoes(const EntryList& first, const EntryList& second,
                                 std::span<const int> lone1, std::span<const int> lone2) {
  std::vector<EchoPair> echoes;
  if (lone1.empty() || lone2.empty()) return echoes;
  Side side1(first, lone1);
  Side side2(second, lone2);
  // Copies of a text each side holds once.
  const auto saidOnce = [&](const EchoPair& echo) {
    return side1.SaidOnce(echo.index1) && side2.SaidOnce(echo.index2);
  };
  std::vector<Match> clear;
  // Runs that prove no offset of their own, judged after the clear matches.
  std::vector<Unclear> unclear;
  for (const auto& [r1, r2] : OverlappingRuns(side1.Runs(), side2.Runs())) {
    const auto& texts1 = side1.Texts(side1.Runs()[At(r1)]);
    const auto& texts2 = side2.Texts(side2.Runs()[At(r2)]);
    const std::vector<bool> none1(texts1.size(), false);
    const std::vector<bool> none2(texts2.size(), false);
    const auto common = CommonOffset(texts1, none1, ByContent(texts2), none2, texts2);
    if (MayBeClear(texts1, texts2, common)) {
      Match match = MatchRuns(r1, r2, side1.Items(side1.Runs()[At(r1)]),
                              side2.Items(side2.Runs()[At(r2)]), side1, side2, std::nullopt);
      if (IsClear(match)) {
        clear.push_back(std::move(match));
        continue;
      }
    }
    unclear.push_back({r1, r2, common});
  }
  // The fullest matches first.
  const auto fuller = [](const Match& a, const Match& b) {
    return std::make_tuple(-static_cast<std::ptrdiff_t>(a.pairs.size()), std::llabs(a.offsetMs),
                           a.run1,
                           a.run2) < std::make_tuple(-static_cast<std::ptrdiff_t>(b.pairs.size()),
                                                     std::llabs(b.offsetMs), b.run1, b.run2);
  };
  std::sort(clear.begin(), clear.end(), fuller);
  // The offset each run was matched at, if it was.
  std::vector<std::optional<std::int64_t>> used1(side1.Runs().size());
  std::vector<std::optional<std::int64_t>> used2(side2.Runs().size());
  std::set<int> paired1;
  std::set<int> paired2;
  Shown offsets;
  const auto take = [&](Match& match) {
    FillIn(match, side1, side2, paired1, paired2);
    used1[At(match.run1)] = used2[At(match.run2)] = match.offsetMs;
    for (const EchoPair& pair : match.pairs) {
      paired1.insert(pair.index1);
      paired2.insert(pair.index2);
    }
    for (const std::int64_t offset : match.offsets) {
      const std::pair shown(side1.Runs()[At(match.run1)].startMs, offset);
      offsets.insert(std::upper_bound(offsets.begin(), offsets.end(), shown), shown);
    }
    echoes.insert(echoes.end(), match.pairs.begin(), match.pairs.end());
  };
  const auto fixedMatch = [&](const Unclear& pair, std::int64_t offset) {
    return MatchRuns(pair.run1, pair.run2, side1.Items(side1.Runs()[At(pair.run1)]),
                     side2.Items(side2.Runs()[At(pair.run2)]), side1, side2, offset);
  };
  // A run is matched once, or again at the offset it was matched at with a run of the other
  // input not matched yet, none of the entries paired twice: a PC that signed in again logged
  // in two sessions what the other logged in one.
  // With `anyOffset`, at another offset too: copies of two texts each side holds once that
  // agree on it show a clock a session merged before holds beside another.
  const auto mayTake = [&](const Match& match, bool anyOffset = false) {
    const auto& at1 = used1[At(match.run1)];
    const auto& at2 = used2[At(match.run2)];
    const auto near = [&match, anyOffset](const std::optional<std::int64_t>& at) {
      return anyOffset || !at || std::llabs(*at - match.offsetMs) <= kEchoJitterMs;
    };
    return !(at1 && at2) && near(at1) && near(at2) &&
           std::none_of(match.pairs.begin(), match.pairs.end(), [&](const EchoPair& pair) {
             return paired1.count(pair.index1) || paired2.count(pair.index2);
           });
  };
  for (Match& match : clear) {
    if (mayTake(match)) take(match);
  }
  // With no clear match, short runs that agree on one offset show it together: those that
  // pair two thirds of what they hold in common at it are taken, when they are at least two
  // and pair at least 3 entries, or each the whole of its shorter run (sessions of an entry or
  // two that lie inside the other's).
  const std::optional<std::int64_t> pooled = offsets.empty() ? PooledOffset(unclear) : std::nullopt;
  if (pooled) {
    std::vector<Match> agreeing;
    for (const Unclear& pair : unclear) {
      if (!pair.texts || std::llabs(pair.texts->first - *pooled) > 2 * kEchoJitterMs) continue;
      Match match = fixedMatch(pair, *pooled);
      if (!match.pairs.empty() && 3 * match.pairs.size() >= 2 * match.shorterInCommon) {
        agreeing.push_back(std::move(match));
      }
    }
    std::sort(agreeing.begin(), agreeing.end(), fuller);
    std::vector<bool> chosen1(used1.size(), false);
    std::vector<bool> chosen2(used2.size(), false);
    std::vector<Match*> chosen;
    std::size_t pairs = 0;
    std::size_t once = 0;
    bool whole = true;
    for (Match& match : agreeing) {
      if (chosen1[At(match.run1)] || chosen2[At(match.run2)]) continue;
      chosen1[At(match.run1)] = chosen2[At(match.run2)] = true;
      chosen.push_back(&match);
      pairs += match.pairs.size();
      once +=
          static_cast<std::size_t>(std::count_if(match.pairs.begin(), match.pairs.end(), saidOnce));
      whole = whole && match.pairs.size() == match.shorter;
    }
    if (chosen.size() >= 2 && (pairs >= 3 || whole || once >= 2)) {
      for (Match* match : chosen) take(*match);
    }
  }
  // A session of one or two entries proves no offset of its own, nor do a few entries that
  // one side lacks of a session merged before, nor the few messages two PCs both logged
  // where one left early and the other came late: they must lie at the offset of the nearest
  // match taken: a clear one, or one of those wholly in step.
  const auto takeNear = [&](const Unclear& pair) {
    const auto& texts1 = side1.Texts(side1.Runs()[At(pair.run1)]);
    const auto& texts2 = side2.Texts(side2.Runs()[At(pair.run2)]);
    const bool shown = !offsets.empty();
    // In step: the clocks agree within the jitter, and so do the copies with them.
    const std::int64_t step =
        pair.texts && std::llabs(pair.texts->first) <= kEchoJitterMs ? pair.texts->first : 0;
    if (!shown && !EndsInStep(texts1, texts2, step)) {
      // Out of step, a session of two entries that lies inside the other's, both paired at
      // one offset, is still one: what a shorter session of three or more needs is 3 pairs.
      if (pair.texts && pair.texts->second == 2) {
        Match both = fixedMatch(pair, pair.texts->first);
        if (both.pairs.size() == 2 && both.shorter == 2 && both.shorterInCommon == 2 &&
            mayTake(both)) {
          take(both);
          return true;
        }
      }
      return false;
    }
    const std::int64_t start = side1.Runs()[At(pair.run1)].startMs;
    const auto after =
        std::lower_bound(offsets.begin(), offsets.end(), std::pair(start, INT64_MIN));
    // The offsets of the match nearest in time, or the one in step.
    std::vector<std::int64_t> tried{step};
    if (shown) {
      std::int64_t nearest = after != offsets.end() ? after->first : 0;
      if (after != offsets.begin() &&
          (after == offsets.end() || start - (after - 1)->first < after->first - start)) {
        nearest = (after - 1)->first;
      }
      tried.clear();
      for (auto at =
               std::lower_bound(offsets.begin(), offsets.end(), std::pair(nearest, INT64_MIN));
           at != offsets.end() && at->first == nearest; ++at) {
        tried.push_back(at->second);
      }
    }
    // The one pairing most, of those where enough text-alike copies agree on any offset for
    // the pairs asked for below: a long run pair that cannot pair them is not paired at all.
    Match match;
    bool found = false;
    for (const std::int64_t offset : tried) {
      const std::size_t inCommon = ShorterInCommon(texts1, texts2, offset);
      const auto most = static_cast<std::size_t>(pair.texts ? pair.texts->second : 0);
      if (most == 0 || (shown ? 3 * most < 2 * inCommon : most < inCommon)) continue;
      Match there = fixedMatch(pair, offset);
      if (!found || there.pairs.size() > match.pairs.size()) match = std::move(there);
      found = true;
    }
    if (!found) return false;
    LeaveOutOtherClocks(match, side1.Items(side1.Runs()[At(pair.run1)]),
                        side2.Items(side2.Runs()[At(pair.run2)]), ShownNear(offsets, start));
    // At an offset a match has shown, the copies it pairs are echoes when they are two thirds
    // of what the shorter run holds in the time both cover (a short text that each PC's own
    // conversation held a moment apart is not); at none, only what lies in that time, wholly
    // within the jitter of the other's.
    if (!match.pairs.empty() &&
        (shown ? 3 * match.pairs.size() >= 2 * match.shorterInCommon
               : match.pairs.size() == match.shorterInCommon) &&
        mayTake(match)) {
      take(match);
      return true;
    }
    return false;
  };
  // Copies of a text that each side holds once meet at one offset by no chance: one such pair
  // at an offset a match has shown is an echo (so is a single one in step), and two that agree
  // on an offset show it (a session merged before holds copies of another PC's clock).
  const auto takeSaidOnce = [&](const Unclear& pair) {
    const std::vector<SaidOnceCopy> copies = SaidOnceCopies(side1, side2, pair.run1, pair.run2);
    if (copies.empty()) return false;
    std::vector<std::int64_t> tried = ShownNear(offsets, side1.Runs()[At(pair.run1)].startMs);
    if (pair.texts) tried.push_back(pair.texts->first);
    const std::size_t shorter = std::min(side1.Runs()[At(pair.run1)].positions.size(),
                                         side2.Runs()[At(pair.run2)].positions.size());
    for (std::size_t k = 0; k < tried.size(); ++k) {
      const bool shown = k + 1 < tried.size() || !pair.texts;
      Match match{pair.run1, pair.run2, tried[k], {tried[k]}, {}, shorter, 0};
      for (const SaidOnceCopy& copy : copies) {
        if (std::llabs(copy.offsetMs - tried[k]) <= kEchoJitterMs &&
            (match.pairs.empty() || match.pairs.back().index2 < copy.pair.index2)) {
          match.pairs.push_back(copy.pair);
        }
      }
      const std::size_t once = match.pairs.size();
      if (once == 0 || !(shown || once >= 2 || std::llabs(tried[k]) <= 2 * kEchoJitterMs ||
                         (shorter <= 2 && once == shorter))) {
        continue;
      }
      if (mayTake(match, true)) {
        take(match);
        return true;
      }
    }
    return false;
  };
  for (const Unclear& pair : unclear) {
    if (used1[At(pair.run1)] && used2[At(pair.run2)]) continue;
    if (!takeNear(pair)) takeSaidOnce(pair);
  }
  std::sort(echoes.begin(), echoes.end(),
            [](const EchoPair& a, const EchoPair& b) { return a.index1 < b.index1; });
  return echoes;
}

}  // namespace palvarin

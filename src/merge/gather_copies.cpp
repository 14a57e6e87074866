#include "merge/gather_copies.hpp"

#include <algorithm>
#include <cstring>
#include <memory>

#define XXH_INLINE_ALL
#include <xxhash.h>

#include "copies_order.hpp"
#include "merge/archive_rule.hpp"
#include "merge/merge_entry_lists.hpp"

namespace palvarin {
namespace {

// A digest of every entry's identity and session, in order.
EntryIdentity ContentKey(const EntryList& list) {
  XXH3_state_t state;
  XXH3_128bits_reset(&state);
  for (int i = 0; (list.SkipToElement(i), i < list.Length()); ++i) {
    const EntryIdentity& identity = list.Identity(i);
    const std::int32_t session = list.Session(i);
    XXH3_128bits_update(&state, &identity.low, sizeof identity.low);
    XXH3_128bits_update(&state, &identity.high, sizeof identity.high);
    XXH3_128bits_update(&state, &session, sizeof session);
  }
  const XXH128_hash_t digest = XXH3_128bits_digest(&state);
  return {digest.low64, digest.high64};
}

int CompareText(const char* a, const char* b) {
  const int order = std::strcmp(a, b);
  return (order > 0) - (order < 0);
}

// Orders two nodes by kind, name, value and attributes, in that order.
int CompareNodes(pugi::xml_node a, pugi::xml_node b) {
  if (a.type() != b.type()) return a.type() < b.type() ? -1 : 1;
  if (const int order = CompareText(a.name(), b.name())) return order;
  if (const int order = CompareText(a.value(), b.value())) return order;
  pugi::xml_attribute x = a.first_attribute();
  pugi::xml_attribute y = b.first_attribute();
  for (; x && y; x = x.next_attribute(), y = y.next_attribute()) {
    if (const int order = CompareText(x.name(), y.name())) return order;
    if (const int order = CompareText(x.value(), y.value())) return order;
  }
  if (x || y) return x ? 1 : -1;
  return 0;
}

// Orders two trees by their nodes in pre-order, a tree that ends first going first. Both are
// walked in step without recursion: the depth is the file's to choose.
int CompareTrees(pugi::xml_node a, pugi::xml_node b) {
  pugi::xml_node x = a;
  pugi::xml_node y = b;
  while (true) {
    if (const int order = CompareNodes(x, y)) return order;
    if (x.first_child() && y.first_child()) {
      x = x.first_child();
      y = y.first_child();
      continue;
    }
    if (x.first_child() || y.first_child()) return x.first_child() ? 1 : -1;
    while (x != a && !x.next_sibling() && !y.next_sibling()) {
      x = x.parent();
      y = y.parent();
    }
    if (x == a) return 0;
    if (!x.next_sibling() || !y.next_sibling()) return x.next_sibling() ? 1 : -1;
    x = x.next_sibling();
    y = y.next_sibling();
  }
}

// Orders two lists of equal keys by their entries' trees, then by their sessions: below 0
// when `a` goes first, 0 when they are alike.
int CompareLists(const EntryList& a, const EntryList& b) {
  int i = 0;
  int j = 0;
  for (;; ++i, ++j) {
    a.SkipToElement(i);
    b.SkipToElement(j);
    if (i == a.Length() || j == b.Length()) return (i != a.Length()) - (j != b.Length());
    if (const int order = CompareTrees(a.Entry(i).entry.node, b.Entry(j).entry.node)) {
      return order;
    }
    if (a.Session(i) != b.Session(j)) return a.Session(i) < b.Session(j) ? -1 : 1;
  }
}

// Who holds an entry of the fold: the one copy (its place in the copies given), or several.
constexpr int kSeveral = -1;

// One merge of the fold: what it wrote, as a list to merge on, and who holds each entry.
struct Folded {
  RecordingSink merged;
  NodeList nodes;
  std::unique_ptr<EntryList> list;
  std::vector<int> holders;
  int echoes = 0;  // entries of `list` that two PCs logged at once, written once
};

// Merges `first` with `second`, whose entries `firstHolders` and `secondHolders` say who holds.
std::unique_ptr<Folded> Fold(const EntryList& first, const std::vector<int>& firstHolders,
                             const EntryList& second, const std::vector<int>& secondHolders,
                             EchoSearch echoes) {
  auto folded = std::make_unique<Folded>();
  MergeCounts counts;
  MergeEntryLists(folded->merged, first, second, ArchiveRule(), counts, echoes);
  folded->echoes = counts.echoes;
  const auto& records = folded->merged.Records();
  folded->nodes.reserve(records.size());
  folded->holders.reserve(records.size());
  for (const MergedEntry& record : records) {
    folded->nodes.push_back(record.entry);
    const auto index = static_cast<std::size_t>(record.index);
    folded->holders.push_back(record.source == EntrySource::kBoth     ? kSeveral
                              : record.source == EntrySource::kInput1 ? firstHolders[index]
                                                                      : secondHolders[index]);
  }
  folded->list =
      std::make_unique<EntryList>(folded->nodes, records, EntrySource::kInput1, first, second);
  return folded;
}

// The copies in CanonicalOrder, each with how many of `copies` it stands for (a copy alike to
// another stands for both: twins).
std::vector<std::pair<const EntryList*, std::size_t>> OrderedWithTwins(
    std::span<const EntryList* const> copies) {
  std::vector<std::pair<const EntryList*, std::size_t>> counted;
  for (const EntryList* kept : CanonicalOrder(copies)) counted.emplace_back(kept, 0);
  for (const EntryList* copy : copies) {
    // The copy itself when it was kept, else the kept one alike to it.
    auto same = std::find_if(counted.begin(), counted.end(),
                             [copy](const auto& kept) { return kept.first == copy; });
    if (same == counted.end()) {
      same = std::find_if(counted.begin(), counted.end(), [copy](const auto& kept) {
        return CompareLists(*kept.first, *copy) == 0;
      });
    }
    if (same != counted.end()) ++same->second;
  }
  return counted;
}

}  // namespace

std::vector<const EntryList*> CanonicalOrder(std::span<const EntryList* const> copies) {
  std::vector<std::pair<EntryIdentity, const EntryList*>> keyed;
  keyed.reserve(copies.size());
  for (const EntryList* copy : copies) keyed.emplace_back(ContentKey(*copy), copy);
  std::sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) {
    if (a.first != b.first) return a.first < b.first;
    return CompareLists(*a.second, *b.second) < 0;
  });
  // A copy alike to the one before it adds nothing: a backup of the same state.
  std::vector<const EntryList*> ordered;
  ordered.reserve(keyed.size());
  for (std::size_t k = 0; k < keyed.size(); ++k) {
    const bool alike = k > 0 && keyed[k].first == keyed[k - 1].first &&
                       CompareLists(*keyed[k].second, *keyed[k - 1].second) == 0;
    if (!alike) ordered.push_back(keyed[k].second);
  }
  return ordered;
}

int GatherCopies(RecordingSink& sink, std::span<const EntryList* const> copies,
                 const EntryList* existing, MergeCounts& counts, std::vector<int>& alone,
                 EchoSearch echoes) {
  const auto counted = OrderedWithTwins(copies);
  // The holder of a kept copy's entries: its place among `copies`, or several for twins.
  const auto holdersOf = [&copies](const std::pair<const EntryList*, std::size_t>& kept) {
    const auto place = std::find(copies.begin(), copies.end(), kept.first) - copies.begin();
    return std::vector<int>(static_cast<std::size_t>(kept.first->Length()),
                            kept.second > 1 ? kSeveral : static_cast<int>(place));
  };
  std::vector<std::unique_ptr<Folded>> folds;
  const EntryList* gathered = counted.empty() ? nullptr : counted.front().first;
  std::vector<int> holders = counted.empty() ? std::vector<int>() : holdersOf(counted.front());
  for (std::size_t k = 1; k < counted.size(); ++k) {
    folds.push_back(Fold(*gathered, holders, *counted[k].first, holdersOf(counted[k]), echoes));
    gathered = folds.back()->list.get();
    holders = std::move(folds.back()->holders);
  }
  // The last merge, into what the output holds (or into nothing), numbers the sessions.
  const NodeList none;
  LocalTimeCache hours;
  const EntryList nothing(none, EntrySource::kInput1, hours);
  const EntryList& into = existing ? *existing : nothing;
  const EntryList& from = gathered ? *gathered : nothing;
  MergeCounts written;
  const int last = MergeEntryLists(sink, into, from, ArchiveRule(), written, echoes);
  // Merging two at a time places entries that no copy merged so far holds together by time or
  // by their sessions; a copy merged later may hold them the other way round, and a merge of
  // two keeps its first input's order on such a crossing.
  std::vector<const EntryList*> every;
  for (const auto& kept : counted) every.push_back(kept.first);
  if (existing) every.push_back(existing);
  if (const auto reordered = KeepCopiesOrder(sink.Records(), into, from, every)) {
    sink.Clear();
    for (const MergedEntry& record : *reordered) sink.Append(record);
  }
  counts = {};
  counts.sessions = written.sessions;
  counts.echoes = written.echoes;
  for (const auto& fold : folds) counts.echoes += fold->echoes;
  alone.assign(copies.size(), 0);
  for (const MergedEntry& record : sink.Records()) {
    // kInput1: what the output's history alone holds, which no copy gave.
    const int holder = record.source == EntrySource::kInput2
                           ? holders[static_cast<std::size_t>(record.index)]
                       : record.source == EntrySource::kBoth ? kSeveral
                                                             : static_cast<int>(copies.size());
    if (holder == kSeveral) {
      ++counts.fromBoth;
      continue;
    }
    ++counts.fromInput1;
    if (holder < static_cast<int>(copies.size())) ++alone[static_cast<std::size_t>(holder)];
  }
  return last;
}

bool KeepsExisting(const RecordingSink& merged, const EntryList& existing) {
  const auto& records = merged.Records();
  std::size_t k = 0;
  for (int i = 0; (existing.SkipToElement(i), i < existing.Length()); ++i, ++k) {
    if (k == records.size()) return false;
    const MergedEntry& record = records[k];
    if (record.source == EntrySource::kInput2 || record.index != i ||
        record.session != existing.Session(i)) {
      return false;
    }
  }
  return k == records.size();
}

}  // namespace palvarin

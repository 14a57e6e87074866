#include "merge_score.hpp"

#include <algorithm>
#include <unordered_map>

namespace palvarin::bench {
namespace {

using Counts = std::unordered_map<EntryIdentity, int, EntryIdentityHash>;

Counts CountHeld(const EntryList& list) {
  Counts counts;
  for (int i = 0; (list.SkipToElement(i), i < list.Length()); ++i) ++counts[list.Identity(i)];
  return counts;
}

// The output sessions of each identity's copies, in output order.
using Placements = std::unordered_map<EntryIdentity, std::vector<int>, EntryIdentityHash>;

// Counts the session runs of `list` and those whose entries went to several output sessions.
void ScoreRuns(const EntryList& list, const Placements& placed, MergeScore& score) {
  Counts seen;
  bool started = false;
  std::int32_t run = 0;
  int session = 0;  // the output session of the run's entries so far; 0 before any
  bool split = false;
  const auto close = [&] {
    ++score.inputSessions;
    score.sessionsSplit += split;
  };
  for (int i = 0; (list.SkipToElement(i), i < list.Length()); ++i) {
    if (!started || list.Session(i) != run) {
      if (started) close();
      started = true;
      run = list.Session(i);
      session = 0;
      split = false;
    }
    const int copy = seen[list.Identity(i)]++;
    const auto at = placed.find(list.Identity(i));
    if (at == placed.end() || copy >= static_cast<int>(at->second.size())) continue;
    const int here = at->second[static_cast<std::size_t>(copy)];
    split |= session != 0 && here != session;
    session = here;
  }
  if (started) close();
}

}  // namespace

MergeScore& MergeScore::operator+=(const MergeScore& other) {
  held += other.held;
  writtenTwice += other.writtenTwice;
  lost += other.lost;
  inputSessions += other.inputSessions;
  sessionsSplit += other.sessionsSplit;
  pairsWritingTwice += other.pairsWritingTwice;
  return *this;
}

MergeScore ScoreMerge(const std::vector<MergedEntry>& written, const EntryList& first,
                      const EntryList& second) {
  MergeScore score;
  Counts held = CountHeld(first);
  for (const auto& [identity, count] : CountHeld(second)) {
    held[identity] = std::max(held[identity], count);
  }
  Placements placed;
  for (const MergedEntry& entry : written) {
    placed[IdentityOf(entry, first, second)].push_back(entry.session);
  }
  for (const auto& [identity, count] : held) {
    score.held += count;
    const auto at = placed.find(identity);
    const int copies = at == placed.end() ? 0 : static_cast<int>(at->second.size());
    score.writtenTwice += copies > count;
    score.lost += std::max(0, count - copies);
  }
  score.pairsWritingTwice = score.writtenTwice > 0;
  ScoreRuns(first, placed, score);
  ScoreRuns(second, placed, score);
  return score;
}

}  // namespace palvarin::bench

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <map>
#include <memory>
#include <numeric>
#include <random>
#include <set>

#include "history/log_writer.hpp"
#include "merge/gather_copies.hpp"
#include "merge/merge_entry_lists.hpp"
#include "merge_fixtures.hpp"
#include "support/pc_histories.hpp"
#include "support/test_support.hpp"

namespace palvarin {
namespace {

using Counts = std::map<EntryIdentity, int>;

Counts CountIdentities(const std::vector<EntryIdentity>& identities) {
  Counts counts;
  for (const EntryIdentity& identity : identities) ++counts[identity];
  return counts;
}

// A gather's output as LogWriter writes it, with its entries' identities and sessions.
struct Gathered {
  std::string xml;
  std::vector<EntryIdentity> identities;
  std::vector<int> sessions;
  bool keepsExisting = false;
};

Gathered Gather(const std::vector<std::string>& files, const std::string* existing = nullptr) {
  test::Copies copies;
  std::vector<const EntryList*> lists;
  for (const std::string& file : files) lists.push_back(&copies.Add(file));
  const EntryList* into = existing ? &copies.Add(*existing) : nullptr;
  RecordingSink sink;
  MergeCounts counts;
  std::vector<int> alone;
  const int last = GatherCopies(sink, lists, into, counts, alone);
  Gathered gathered;
  gathered.xml = "<Log Last=\"" + std::to_string(last) + "\">";
  for (const MergedEntry& entry : sink.Records()) {
    LogWriter::FormatEntry(gathered.xml, entry.entry, entry.session);
    gathered.sessions.push_back(entry.session);
  }
  gathered.xml += "</Log>";
  gathered.identities = test::Identities(sink.Records());
  gathered.keepsExisting = into && KeepsExisting(sink, *into);
  EXPECT_EQ(counts.fromBoth + counts.fromInput1, static_cast<int>(sink.Records().size()));
  // What one copy alone holds is its own; the rest of "one only", the output's history's.
  EXPECT_EQ(alone.size(), lists.size());
  const int copiesAlone = std::accumulate(alone.begin(), alone.end(), 0);
  if (into) {
    EXPECT_LE(copiesAlone, counts.fromInput1);
  } else {
    EXPECT_EQ(copiesAlone, counts.fromInput1);
  }
  return gathered;
}

// Every entry as often as the copy holding it most often holds it.
Counts MostOftenHeld(const std::vector<std::string>& files) {
  Counts most;
  for (const std::string& file : files) {
    for (const auto& [identity, count] : CountIdentities(test::Identities(*test::ParseLog(file)))) {
      most[identity] = std::max(most[identity], count);
    }
  }
  return most;
}

// Each entry's followers in some copy.
using Neighbours = std::map<EntryIdentity, std::set<EntryIdentity>>;

Neighbours Followers(const std::vector<std::string>& copies) {
  Neighbours followers;
  for (const std::string& copy : copies) {
    const std::vector<EntryIdentity> identities = test::Identities(*test::ParseLog(copy));
    for (std::size_t i = 1; i < identities.size(); ++i) {
      followers[identities[i - 1]].insert(identities[i]);
    }
  }
  return followers;
}

// True when the copies' orders lead from `from` to `to`: then an order that keeps `to` before
// `from` would need some copy's order broken.
bool Leads(const Neighbours& followers, const EntryIdentity& from, const EntryIdentity& to) {
  std::set<EntryIdentity> seen{from};
  std::vector<EntryIdentity> open{from};
  while (!open.empty()) {
    const auto next = followers.find(open.back());
    open.pop_back();
    if (next == followers.end()) continue;
    for (const EntryIdentity& follower : next->second) {
      if (follower == to) return true;
      if (seen.insert(follower).second) open.push_back(follower);
    }
  }
  return false;
}

// Each copy's entries in their order wherever the orders of `copies` do not contradict one
// another (a circle: one entry before another, which comes before the first), each of its runs
// in one session of the output.
void ExpectOrderAndSessionsKept(const Gathered& gathered, const std::string& file,
                                const std::vector<std::string>& copies) {
  const auto document = test::ParseLog(file);
  const std::vector<EntryIdentity> identities = test::Identities(*document);
  const std::vector<int> runs = test::RunNumbers(test::Elements(*document));
  const Neighbours followers = Followers(copies);
  std::multimap<EntryIdentity, std::size_t> at;
  for (std::size_t i = 0; i < gathered.identities.size(); ++i) {
    at.emplace(gathered.identities[i], i);
  }
  std::map<int, std::set<int>> sessionsOfRun;
  std::size_t previous = 0;
  for (std::size_t i = 0; i < identities.size(); ++i) {
    const auto found = at.find(identities[i]);
    ASSERT_TRUE(found != at.end()) << "entry " << i << " lost";
    EXPECT_TRUE(i == 0 || found->second > previous ||
                Leads(followers, identities[i], identities[i - 1]))
        << "entry " << i << " out of order";
    previous = found->second;
    sessionsOfRun[runs[i]].insert(gathered.sessions[found->second]);
    at.erase(found);
  }
  for (const auto& [run, sessions] : sessionsOfRun) {
    EXPECT_EQ(sessions.size(), 1u) << "run " << run << " split";
  }
}

// The orders to try: all of them for up to four copies, a dozen shuffles beyond.
std::vector<std::vector<std::string>> Orders(std::vector<std::string> files, std::uint32_t seed) {
  std::vector<std::vector<std::string>> orders;
  if (files.size() <= 4) {
    std::vector<std::size_t> at(files.size());
    for (std::size_t i = 0; i < at.size(); ++i) at[i] = i;
    do {
      auto& order = orders.emplace_back();
      for (std::size_t i : at) order.push_back(files[i]);
    } while (std::next_permutation(at.begin(), at.end()));
    return orders;
  }
  std::mt19937 random(seed);
  orders.push_back(files);
  std::reverse(files.begin(), files.end());
  orders.push_back(files);
  for (int k = 0; k < 10; ++k) {
    std::shuffle(files.begin(), files.end(), random);
    orders.push_back(files);
  }
  return orders;
}

// The identities of merging the files two at a time, left to right.
Counts MergedPairwise(const std::vector<std::string>& files) {
  std::string merged = files.front();
  for (std::size_t k = 1; k < files.size(); ++k) {
    test::Copies copies;
    const EntryList& first = copies.Add(merged);
    const EntryList& second = copies.Add(files[k]);
    RecordingSink sink;
    MergeCounts counts;
    MergeEntryLists(sink, first, second, ArchiveRule(), counts);
    merged = "<Log>";
    for (const MergedEntry& entry : sink.Records()) {
      LogWriter::FormatEntry(merged, entry.entry, entry.session);
    }
    merged += "</Log>";
  }
  return CountIdentities(test::Identities(*test::ParseLog(merged)));
}

TEST(GatherCopiesTest, AnyOrderOfTwoToSixPcsGivesTheSameBytesAndEveryEntryOnce) {
  test::ScopedTimeZone zone("Europe/Berlin");
  for (const test::Difference difference : test::EveryDifference()) {
    for (int pcs = 2; pcs <= 6; ++pcs) {
      for (std::uint32_t seed = 1; seed <= 8; ++seed) {
        SCOPED_TRACE(std::string(test::DifferenceName(difference)) + ", " + std::to_string(pcs) +
                     " PCs, seed " + std::to_string(seed));
        const auto files = test::MakePcHistories(seed, pcs, difference);
        const Gathered gathered = Gather(files);
        for (const auto& order : Orders(files, seed)) {
          EXPECT_EQ(Gather(order).xml, gathered.xml) << "depends on the order of the copies";
        }
        const Counts counts = CountIdentities(gathered.identities);
        EXPECT_EQ(counts, MostOftenHeld(files));
        EXPECT_EQ(counts, MergedPairwise(files));
        for (const std::string& file : files) ExpectOrderAndSessionsKept(gathered, file, files);
        if (HasFailure()) return;
      }
    }
  }
}

// Copies of one session, each message "text@time" on one day, its "Date" written as `date`.
std::vector<std::string> Histories(const std::vector<std::vector<std::string>>& copies,
                                   const std::string& date = "2010/09/01") {
  std::vector<std::string> files;
  for (const auto& copy : copies) {
    std::string& xml = files.emplace_back("<Log>");
    for (const std::string& message : copy) {
      const std::size_t at = message.find('@');
      const std::string time = message.substr(at + 1);
      xml += "<Message Date=\"" + date + "\" Time=\"" + time + "\" DateTime=\"2010-09-01T" + time +
             ".000Z\" SessionID=\"1\"><From><User FriendlyName=\"Ann\"/></From><To><User " +
             "FriendlyName=\"Bob\"/></To><Text>" + message.substr(0, at) + "</Text></Message>";
    }
    xml += "</Log>";
  }
  return files;
}

TEST(GatherCopiesTest, KeepsEveryOrderTheCopiesAgreeOn) {
  test::ScopedTimeZone zone("America/New_York");
  const struct {
    const char* name;
    std::vector<std::vector<std::string>> copies;
  } cases[] = {
      // Merging the first two orders x and y by time; the third holds them the other way.
      {"a copy holds two entries against their times",
       {{"a@10:00:00", "x@10:10:00", "d@10:30:00"},
        {"a@10:00:00", "y@10:05:00", "d@10:30:00"},
        {"a@10:00:00", "x@10:10:00", "y@10:05:00", "d@10:30:00"}}},
      {"entries of one second",
       {{"a@10:00:00", "p@10:01:00", "d@10:30:00"},
        {"a@10:00:00", "q@10:01:00", "d@10:30:00"},
        {"a@10:00:00", "q@10:01:00", "p@10:01:00", "d@10:30:00"}}},
      {"a chain over several copies, against the entries' times",
       {{"a@10:00:00", "x@10:10:00", "d@10:30:00"},
        {"a@10:00:00", "y@10:05:00", "z@10:03:00", "d@10:30:00"},
        {"x@10:10:00", "y@10:05:00"},
        {"a@10:00:00", "z@10:03:00", "d@10:30:00"}}},
      // No order keeps both x before y and y before x; a and d stay around them.
      {"copies that disagree",
       {{"a@10:00:00", "x@10:10:00", "y@10:05:00", "d@10:30:00"},
        {"a@10:00:00", "y@10:05:00", "x@10:10:00", "d@10:30:00"},
        {"a@10:00:00", "x@10:10:00", "d@10:30:00"}}},
  };
  for (const auto& [name, copies] : cases) {
    SCOPED_TRACE(name);
    const auto files = Histories(copies);
    const Gathered gathered = Gather(files);
    for (const auto& order : Orders(files, 1)) {
      EXPECT_EQ(Gather(order).xml, gathered.xml) << "depends on the order of the copies";
    }
    EXPECT_EQ(CountIdentities(gathered.identities), MostOftenHeld(files));
    for (const std::string& file : files) ExpectOrderAndSessionsKept(gathered, file, files);
  }
}

// Copies alike but for how their "Date" is written hold the same entries in the same sessions:
// which copy's bytes are kept must not depend on which came first.
TEST(GatherCopiesTest, CopiesAlikeButForTheirDateFormatGiveTheSameBytesInAnyOrder) {
  test::ScopedTimeZone zone("UTC");
  // Styled texts, which the identity rule reads; the day-first date does not read, and its
  // DateTime is the same moment as the year-first one in UTC.
  const auto copy = [](const std::string& date) {
    std::string xml = Histories({{"a@10:00:00", "b@10:05:00"}}, date).front();
    for (std::size_t at; (at = xml.find("<Text>")) != std::string::npos;) {
      xml.replace(at, 6, "<Text Style=\"color:#000080\">");
    }
    return xml;
  };
  const std::vector<std::string> files = {copy("2010/09/01"), copy("01.09.2010")};
  const Gathered gathered = Gather(files);
  for (const auto& order : Orders(files, 1)) {
    EXPECT_EQ(Gather(order).xml, gathered.xml) << "depends on the order of the copies";
  }
  EXPECT_EQ(CountIdentities(gathered.identities), MostOftenHeld(files));
}

TEST(GatherCopiesTest, GatheringAgainKeepsTheOutputAndAddsOnlyWhatIsNew) {
  test::ScopedTimeZone zone("Asia/Tokyo");
  for (const test::Difference difference : test::EveryDifference()) {
    for (std::uint32_t seed = 1; seed <= 10; ++seed) {
      SCOPED_TRACE(std::string(test::DifferenceName(difference)) + ", seed " +
                   std::to_string(seed));
      auto files = test::MakePcHistories(seed, 4, difference);
      const std::string added = files.back();
      files.pop_back();
      const std::string first = Gather(files).xml;
      const Gathered again = Gather(files, &first);
      EXPECT_TRUE(again.keepsExisting) << "the same copies changed the output";
      EXPECT_EQ(again.xml, first);
      files.push_back(added);
      const Gathered more = Gather(files, &first);
      EXPECT_EQ(CountIdentities(more.identities), MostOftenHeld(files));
      std::vector<std::string> copies = files;
      copies.push_back(first);
      for (const std::string& copy : copies) ExpectOrderAndSessionsKept(more, copy, copies);
      const Gathered settled = Gather(files, &more.xml);
      EXPECT_TRUE(settled.keepsExisting);
      if (HasFailure()) return;
    }
  }
}

}  // namespace
}  // namespace palvarin

#include "support/pc_histories.hpp"

#include <algorithm>
#include <random>

namespace palvarin::test {
namespace {

struct Entry {
  int clock = 0;  // seconds after 2010-09-01 00:00, local
  int text = 0;   // unique within the history
  bool untimed = false;
};

struct Session {
  std::vector<Entry> entries;
};

class Generator {
 public:
  Generator(std::uint32_t seed, Difference difference) : rng_(seed), difference_(difference) {}

  std::vector<Session> Truth(int count) {
    std::vector<Session> sessions(static_cast<std::size_t>(count));
    int clock = Uniform(0, 3600);
    for (Session& session : sessions) {
      clock += Uniform(600, 20000);
      for (int n = Uniform(2, 9); n > 0; --n) {
        Entry entry{clock, next_++, Has(Difference::kUntimed) && Chance(8)};
        session.entries.push_back(entry);
        // Equal seconds: the next message often shares this one's second.
        clock += Has(Difference::kEqualSeconds) && Chance(50) ? 0 : Uniform(1, 120);
      }
    }
    return sessions;
  }

  // One PC's copy: a list of sessions, each written with a session number of its own.
  std::vector<Session> Copy(const std::vector<Session>& truth) {
    std::vector<Session> copy;
    for (const Session& session : truth) {
      std::vector<Entry> kept = session.entries;
      const auto size = static_cast<int>(kept.size());
      if (Has(Difference::kLateJoin) && Chance(30)) {
        kept.erase(kept.begin(), kept.begin() + Uniform(1, size - 1));
      } else if (Has(Difference::kEarlyLeave) && Chance(30)) {
        kept.erase(kept.end() - Uniform(1, size - 1), kept.end());
      }
      if (Has(Difference::kMissed) && Chance(30) && kept.size() > 2) {
        kept.erase(kept.begin() + Uniform(1, static_cast<int>(kept.size()) - 2));
      }
      if (Has(Difference::kEqualSeconds) && Chance(30)) DropOneOfASecond(kept);
      if (Has(Difference::kReopened) && Chance(30) && kept.size() > 1) {
        const auto cut = kept.begin() + Uniform(1, static_cast<int>(kept.size()) - 1);
        copy.push_back({{kept.begin(), cut}});
        copy.push_back({{cut, kept.end()}});
      } else {
        copy.push_back({kept});
      }
      if (Has(Difference::kOwnSessions) && Chance(20)) copy.push_back(OwnSession(session));
    }
    return copy;
  }

  std::string Render(const std::vector<Session>& sessions) {
    std::string xml = "<?xml version=\"1.0\"?>\r\n<Log FirstSessionID=\"1\" LastSessionID=\"" +
                      std::to_string(sessions.size()) + "\">";
    int id = Uniform(1, 40);
    for (const Session& session : sessions) {
      for (const Entry& entry : session.entries) xml += EntryXml(entry, id);
      id += Uniform(1, 3);
    }
    return xml + "</Log>\r\n";
  }

 private:
  bool Has(Difference kind) const { return difference_ == kind || difference_ == Difference::kAll; }
  int Uniform(int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng_); }
  bool Chance(int percent) { return Uniform(1, 100) <= percent; }

  void DropOneOfASecond(std::vector<Entry>& kept) {
    for (std::size_t i = 1; i < kept.size(); ++i) {
      if (kept[i].clock == kept[i - 1].clock && !kept[i].untimed && !kept[i - 1].untimed) {
        kept.erase(kept.begin() + static_cast<long>(i - (Chance(50) ? 1 : 0)));
        return;
      }
    }
  }

  Session OwnSession(const Session& after) {
    Session own;
    int clock = after.entries.back().clock + Uniform(-300, 3000);
    for (int n = Uniform(1, 5); n > 0; --n) {
      own.entries.push_back({std::max(clock, 0), next_++, false});
      clock += Uniform(1, 60);
    }
    return own;
  }

  static std::string Two(int value) {
    return {static_cast<char>('0' + value / 10), static_cast<char>('0' + value % 10)};
  }

  std::string EntryXml(const Entry& entry, int id) const {
    const int day = 1 + entry.clock / 86400;
    const std::string time = Two(entry.clock / 3600 % 24) + ":" + Two(entry.clock / 60 % 60) + ":" +
                             Two(entry.clock % 60);
    std::string xml = "<Message";
    if (!entry.untimed && Has(Difference::kRegional) && difference_ != Difference::kAll) {
      xml += " Date=\"" + Two(day) + "/09/2010\" Time=\"" + time + "\"";
    } else if (!entry.untimed) {
      xml += " Date=\"2010/09/" + Two(day) + "\" Time=\"" + time + "\" DateTime=\"2010-09-" +
             Two(day) + "T" + time + ".000Z\"";
    }
    xml += " SessionID=\"" + std::to_string(id) + "\">";
    return xml +
           "<From><User FriendlyName=\"Ann\"/></From><To><User FriendlyName=\"Bob\"/></To>"
           "<Text Style=\"font-family:Arial\">m" +
           std::to_string(entry.text) + "</Text></Message>";
  }

  std::mt19937 rng_;
  Difference difference_;
  int next_ = 1;
};

}  // namespace

std::vector<Difference> EveryDifference() {
  return {Difference::kNone,    Difference::kLateJoin, Difference::kEarlyLeave,
          Difference::kMissed,  Difference::kReopened, Difference::kEqualSeconds,
          Difference::kUntimed, Difference::kRegional, Difference::kOwnSessions,
          Difference::kAll};
}

const char* DifferenceName(Difference difference) {
  switch (difference) {
    case Difference::kNone:
      return "none";
    case Difference::kLateJoin:
      return "late join";
    case Difference::kEarlyLeave:
      return "early leave";
    case Difference::kMissed:
      return "missed message";
    case Difference::kReopened:
      return "reopened window";
    case Difference::kEqualSeconds:
      return "equal seconds";
    case Difference::kUntimed:
      return "entries without time";
    case Difference::kRegional:
      return "regional dates";
    case Difference::kOwnSessions:
      return "sessions of one PC";
    case Difference::kAll:
      return "all at once";
  }
  return "";
}

std::vector<std::string> MakePcHistories(std::uint32_t seed, int pcs, Difference difference,
                                         int sessions) {
  Generator generator(seed, difference);
  const std::vector<Session> truth = generator.Truth(sessions);
  std::vector<std::string> files;
  for (int pc = 0; pc < pcs; ++pc) files.push_back(generator.Render(generator.Copy(truth)));
  return files;
}

}  // namespace palvarin::test

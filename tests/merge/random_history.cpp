#include "random_history.hpp"

#include <algorithm>
#include <random>
#include <vector>

#include "support/reference_time.hpp"

namespace palvarin::test {
namespace {

enum class Kind { kMessage, kNoStyle, kGroup, kInvitation, kJoin, kUntimed, kDayFirst };

struct Entry {
  Kind kind;
  std::string label;
  int clock;  // seconds since 2010/09/01 00:00 local
};

using Session = std::vector<Entry>;

class Generator {
 public:
  explicit Generator(std::uint32_t seed) : rng_(seed) {}

  int Uniform(int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng_); }
  bool Chance(int percent) { return Uniform(1, 100) <= percent; }

  Kind RandomKind() {
    const int roll = Uniform(1, 100);
    if (roll <= 60) return Kind::kMessage;
    if (roll <= 66) return Kind::kNoStyle;
    if (roll <= 72) return Kind::kGroup;
    if (roll <= 80) return Kind::kInvitation;
    if (roll <= 86) return Kind::kJoin;
    if (roll <= 90) return Kind::kUntimed;
    return Kind::kDayFirst;
  }

  // A few texts only, so that different entries often look alike.
  Entry RandomEntry(int clock) {
    return {RandomKind(), std::string(1, static_cast<char>('a' + Uniform(0, 5))), clock};
  }

  // Sessions in loose time order; a session may start before the previous one ended.
  std::vector<Session> RandomSessions(int count, int clock) {
    std::vector<Session> sessions(static_cast<std::size_t>(count));
    for (Session& session : sessions) {
      clock += Uniform(-300, 3600);
      clock = std::max(clock, 0);
      int at = clock;
      for (int n = Uniform(1, 6); n > 0; --n) {
        session.push_back(RandomEntry(at));
        at += Uniform(0, 90);
      }
    }
    return sessions;
  }

  // One side's copy: some entries archived away, some added, some sessions of its own.
  std::vector<Session> SideCopy(const std::vector<Session>& shared) {
    std::vector<Session> side;
    for (const Session& session : shared) {
      if (Chance(10)) continue;
      Session copy;
      for (const Entry& entry : session) {
        if (Chance(10)) copy.push_back(RandomEntry(std::max(entry.clock - Uniform(0, 30), 0)));
        if (!Chance(10)) copy.push_back(entry);
      }
      if (!copy.empty()) side.push_back(copy);
      if (Chance(15)) side.push_back(RandomSessions(1, session.front().clock)[0]);
    }
    return side;
  }

  std::string Separator() {
    const int roll = Uniform(1, 10);
    return roll <= 6 ? "" : roll <= 9 ? "\r\n  " : "<!-- note -->";
  }

  std::string Render(const std::vector<Session>& sessions) {
    const bool numbered = !Chance(5);
    int sessionId = Uniform(1, 50);
    std::string xml = "<Log FirstSessionID=\"1\" LastSessionID=\"9\">";
    for (const Session& session : sessions) {
      for (const Entry& entry : session) {
        xml += Separator() + EntryXml(entry, numbered ? sessionId : -1);
      }
      sessionId += Uniform(1, 2);
    }
    return xml + Separator() + "</Log>";
  }

 private:
  static std::string Two(int value) {
    return std::string(1, static_cast<char>('0' + value / 10)) +
           static_cast<char>('0' + value % 10);
  }

  static std::string Attributes(const Entry& entry, int sessionId) {
    const int day = 1 + entry.clock / 86400;
    const std::string clock = Two(entry.clock / 3600 % 24) + ":" + Two(entry.clock / 60 % 60) +
                              ":" + Two(entry.clock % 60);
    std::string date = entry.kind == Kind::kDayFirst ? Two(day) + "/9/2010" : "2010/9/" + Two(day);
    std::string xml;
    if (entry.kind != Kind::kUntimed) xml += " Date=\"" + date + "\" Time=\"" + clock + "\"";
    if (entry.kind != Kind::kUntimed && entry.kind != Kind::kJoin) {
      xml += " DateTime=\"2010-09-" + Two(day) + "T" + clock + ".000Z\"";
    }
    if (sessionId >= 0) xml += " SessionID=\"" + std::to_string(sessionId) + "\"";
    return xml;
  }

  static std::string EntryXml(const Entry& entry, int sessionId) {
    const std::string attributes = Attributes(entry, sessionId);
    const std::string from = "<From><User FriendlyName=\"Ann\"/></From>";
    const std::string text = "<Text Style=\"s\">" + entry.label + "</Text>";
    switch (entry.kind) {
      case Kind::kNoStyle:
        return "<Message" + attributes + ">" + from +
               "<To><User FriendlyName=\"Bob\"/></To><Text>" + entry.label + "</Text></Message>";
      case Kind::kGroup:
        return "<Message" + attributes + ">" + from +
               "<To><User FriendlyName=\"Bob\"/><User FriendlyName=\"Cy\"/></To>" + text +
               "</Message>";
      case Kind::kInvitation:
        return "<Invitation" + attributes + ">" + from + "<Application>" + entry.label +
               "</Application></Invitation>";
      case Kind::kJoin:
        return "<Join" + attributes + "><User FriendlyName=\"" + entry.label + "\"/></Join>";
      default:
        return "<Message" + attributes + ">" + from + "<To><User FriendlyName=\"Bob\"/></To>" +
               text + "</Message>";
    }
  }

  std::mt19937 rng_;
};

}  // namespace

RandomHistoryPair MakeRandomHistoryPair(std::uint32_t seed) {
  Generator generator(seed);
  const auto shared = generator.RandomSessions(generator.Uniform(0, 6), 0);
  RandomHistoryPair pair;
  pair.log1 = generator.Render(generator.SideCopy(shared));
  pair.log2 = generator.Render(generator.SideCopy(shared));
  if (generator.Chance(50)) {
    const int clock = generator.Uniform(0, 6 * 3600);
    pair.cutoff = MakeTime(2010, 9, 1, 0, 0, clock);
  }
  return pair;
}

}  // namespace palvarin::test

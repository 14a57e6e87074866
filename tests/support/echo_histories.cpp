#include "support/echo_histories.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <random>

namespace palvarin::test {
namespace {

struct Said {
  int message;
  std::int64_t ms;  // true moment, milliseconds after 2008-03-01 00:00 UTC
  std::string from;
  std::string text;
};

struct Conversation {
  std::vector<Said> said;
  std::vector<bool> logged;  // per PC
};

constexpr std::int64_t kStartMs = 1204329600000;  // 2008-03-01 00:00:00 UTC

std::string Stamp(std::int64_t ms, bool withDate, bool withTime, bool iso) {
  const std::int64_t seconds = ms / 1000;
  const std::time_t at = static_cast<std::time_t>(seconds);
  std::tm tm{};
  gmtime_r(&at, &tm);
  char text[96];
  if (iso) {
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", tm.tm_year + 1900,
                  tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec,
                  static_cast<int>(ms % 1000));
  } else if (withDate) {
    std::snprintf(text, sizeof text, "%04d/%02d/%02d", tm.tm_year + 1900, tm.tm_mon + 1,
                  tm.tm_mday);
  } else if (withTime) {
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", tm.tm_hour, tm.tm_min, tm.tm_sec);
  }
  return text;
}

class Generator {
 public:
  Generator(std::uint32_t seed, EchoCase kind, int pcs) : rng_(seed), kind_(kind), pcs_(pcs) {}

  EchoHistories Make() {
    std::vector<Conversation> conversations;
    std::int64_t at = kStartMs + Uniform(0, 3600) * 1000;
    for (int n = Uniform(2, 4); n > 0; --n) {
      conversations.push_back(Talk(at, true));
      if (kind_ == EchoCase::kRealRepeats) {
        Conversation again = conversations.back();
        const std::int64_t later = Chance(50) ? 3600000 : 86400000;
        for (Said& said : again.said) {
          said.ms += later + Uniform(-5000, 5000);
          said.message = next_++;
        }
        conversations.push_back(again);
      }
      if (kind_ == EchoCase::kOwnSessions) {
        Conversation own = Talk(at + Uniform(-120, 600) * 1000, false);
        conversations.push_back(own);
      }
      at += Uniform(20, 3 * 3600) * 1000;
    }
    std::sort(conversations.begin(), conversations.end(),
              [](const Conversation& a, const Conversation& b) {
                return a.said.front().ms < b.said.front().ms;
              });
    return Render(conversations);
  }

 private:
  std::int64_t Uniform(std::int64_t low, std::int64_t high) {
    return std::uniform_int_distribution<std::int64_t>(low, high)(rng_);
  }
  bool Chance(int percent) { return Uniform(1, 100) <= percent; }

  std::string Text() {
    static const char* const kShort[] = {"ok", "lol", "[sticker:42]", "ok", "yes"};
    const bool replies = kind_ == EchoCase::kRepeatedTexts || kind_ == EchoCase::kDroppedReplies;
    const int repeated = replies ? 80 : 15;
    if (Chance(repeated)) return kShort[Uniform(0, 4)];
    return "message " + std::to_string(Uniform(0, 1 << 30));
  }

  // A conversation of a few messages; `shared` ones every PC logs, else one PC alone.
  Conversation Talk(std::int64_t at, bool shared) {
    Conversation talk;
    talk.logged.assign(static_cast<std::size_t>(pcs_), true);
    if (!shared) {
      const auto only = static_cast<std::size_t>(Uniform(0, pcs_ - 1));
      for (std::size_t pc = 0; pc < talk.logged.size(); ++pc) talk.logged[pc] = pc == only;
    }
    for (int n = static_cast<int>(Uniform(1, 12)); n > 0; --n) {
      talk.said.push_back({next_++, at, Chance(50) ? "Me" : "Bob", Text()});
      at += Uniform(300, 60000);
    }
    return talk;
  }

  // Which messages of a conversation a PC logged.
  std::vector<bool> Drops(std::size_t count) {
    std::vector<bool> kept(count, true);
    const bool drops = kind_ == EchoCase::kDrops || kind_ == EchoCase::kDroppedReplies;
    if (!drops || count < 2) return kept;
    if (Chance(35))
      std::fill_n(kept.begin(), Uniform(1, static_cast<std::int64_t>(count) / 2), false);
    if (Chance(35))
      std::fill_n(kept.rbegin(), Uniform(1, static_cast<std::int64_t>(count) / 2), false);
    if (Chance(35))
      kept[static_cast<std::size_t>(Uniform(0, static_cast<std::int64_t>(count) - 1))] = false;
    return kept;
  }

  std::int64_t ClockOffset(int pc) {
    if (pc == 0) return 0;
    const std::int64_t sign = Chance(50) ? 1 : -1;
    if (kind_ == EchoCase::kWrongClock && pc == 1) return sign * Uniform(60000, 598000);
    // From a millisecond to seconds, spread evenly over the orders of magnitude.
    const std::int64_t magnitude = static_cast<std::int64_t>(
        std::pow(10.0, std::uniform_real_distribution<double>(0.0, 4.0)(rng_)));
    return sign * magnitude;
  }

  EchoHistories Render(const std::vector<Conversation>& conversations) {
    EchoHistories histories;
    for (int pc = 0; pc < pcs_; ++pc) {
      const std::int64_t offset = ClockOffset(pc);
      int session = static_cast<int>(Uniform(1, 40));
      std::string xml = "<?xml version=\"1.0\"?>\r\n<Log FirstSessionID=\"1\" LastSessionID=\"1\">";
      for (const Conversation& talk : conversations) {
        if (!talk.logged[static_cast<std::size_t>(pc)]) continue;
        const std::vector<bool> kept = Drops(talk.said.size());
        bool any = false;
        for (std::size_t k = 0; k < talk.said.size(); ++k) {
          if (!kept[k]) continue;
          const Said& said = talk.said[k];
          // The network's delay; a copy stamped like another message's copy (messages a
          // moment apart) would make the copies' keys ambiguous.
          std::int64_t ms = said.ms + offset + Uniform(0, 1000);
          while (histories.messageOf.count(
              EchoCopyKey(Stamp(ms, false, false, true), said.from, said.text))) {
            ++ms;
          }
          const std::string dateTime = Stamp(ms, false, false, true);
          xml += "<Message Date=\"" + Stamp(ms, true, false, false) + "\" Time=\"" +
                 Stamp(ms, false, true, false) + "\" DateTime=\"" + dateTime + "\" SessionID=\"" +
                 std::to_string(session) + "\"><From><User FriendlyName=\"" + said.from +
                 "\"/></From><To><User FriendlyName=\"" + (said.from == "Me" ? "Bob" : "Me") +
                 "\"/></To><Text Style=\"font-family:MS UI Gothic; color:#000000; \">" + said.text +
                 "</Text></Message>";
          histories.messageOf[EchoCopyKey(dateTime, said.from, said.text)] = said.message;
          any = true;
        }
        if (any) session += static_cast<int>(Uniform(1, 2));
      }
      histories.files.push_back(xml + "</Log>\r\n");
    }
    return histories;
  }

  std::mt19937 rng_;
  EchoCase kind_;
  int pcs_;
  int next_ = 0;
};

}  // namespace

EchoHistories MakeEchoHistories(std::uint32_t seed, EchoCase kind, int pcs) {
  return Generator(seed, kind, pcs).Make();
}

std::string EchoCopyKey(const std::string& dateTime, const std::string& from,
                        const std::string& text) {
  return dateTime + "|" + from + "|" + text;
}

const char* EchoCaseName(EchoCase kind) {
  switch (kind) {
    case EchoCase::kInStep:
      return "InStep";
    case EchoCase::kDrops:
      return "Drops";
    case EchoCase::kRepeatedTexts:
      return "RepeatedTexts";
    case EchoCase::kDroppedReplies:
      return "DroppedReplies";
    case EchoCase::kRealRepeats:
      return "RealRepeats";
    case EchoCase::kWrongClock:
      return "WrongClock";
    case EchoCase::kOwnSessions:
      return "OwnSessions";
  }
  return "";
}

}  // namespace palvarin::test

#include "history_generator.hpp"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <random>
#include <string_view>
#include <vector>

namespace palvarin::bench {
namespace {

constexpr std::int64_t kZoneOffset = 9 * 3600;     // Asia/Tokyo, no daylight saving
constexpr std::int64_t kFirstMoment = 1104537600;  // 2005-01-01 00:00:00 UTC
constexpr std::int64_t kSpan = 6 * 365 * 86400;    // the years a history covers, at any size
constexpr std::size_t kSessionBytes = 3600;        // a session's share of a file, roughly
constexpr std::string_view kOwner = "たろう";

constexpr std::array<std::string_view, 12> kJapaneseLines = {"こんにちは！",
                                                             "今日は空いてる？",
                                                             "了解です",
                                                             "また明日ね",
                                                             "写真見たよ、すごくきれい",
                                                             "ちょっと待ってて",
                                                             "週末の予定はどう？",
                                                             "ありがとう〜",
                                                             "(笑)",
                                                             "駅の改札で 3 時に",
                                                             "仕事が終わったら連絡するね",
                                                             "おやすみなさい"};
constexpr std::array<std::string_view, 12> kAsciiLines = {
    "hi!",
    "brb",
    "lol",
    "see you at 3",
    "Dinner on Friday &amp; a film?",
    "did you get the file?",
    "ok :)",
    "x &lt; y &amp;&amp; y &gt; z",
    "sounds \"great\"",
    "I'll bring the cake.",
    "http://www.example.com/photos?id=42&amp;page=2",
    "gtg, bye"};
constexpr std::array<std::string_view, 4> kContacts = {"はなこ♪", "Alice (away)", "ゆうき",
                                                       "Bob &amp; Co"};
constexpr std::array<std::string_view, 4> kStyles = {
    "font-family:MS UI Gothic; color:#000080; ", "font-family:Meiryo; color:#000000; ",
    "font-family:Segoe UI; color:#800000; ", "font-family:ＭＳ Ｐゴシック; color:#008000; "};

enum class Side { kBoth, kFirst, kSecond };
enum class Locale { kJapanese, kUs };

struct Calendar {
  int year, month, day, hour, minute, second;
};

Calendar CalendarOf(std::int64_t seconds) {
  using namespace std::chrono;
  const sys_seconds moment{std::chrono::seconds{seconds}};
  const sys_days date = floor<days>(moment);
  const year_month_day ymd{date};
  const hh_mm_ss clock{moment - date};
  return {static_cast<int>(ymd.year()),
          static_cast<int>(unsigned(ymd.month())),
          static_cast<int>(unsigned(ymd.day())),
          static_cast<int>(clock.hours().count()),
          static_cast<int>(clock.minutes().count()),
          static_cast<int>(clock.seconds().count())};
}

// One entry with its session number left open: each side fills in its own.
struct Entry {
  std::string head;  // up to and including SessionID="
  std::string tail;  // from the closing quote of SessionID to the end tag
};

class PairGenerator {
 public:
  explicit PairGenerator(std::uint32_t seed)
      : rng_(seed), contact_(kContacts[static_cast<std::size_t>(Uniform(0, 3))]) {}

  HistoryPair Generate(std::size_t targetBytes) {
    first_.reserve(targetBytes + targetBytes / 8);
    second_.reserve(targetBytes + targetBytes / 8);
    const std::int64_t sessions = static_cast<std::int64_t>(targetBytes / kSessionBytes) + 1;
    longestGap_ = static_cast<int>(std::max<std::int64_t>(1200, 2 * kSpan / sessions));
    while (first_.size() < targetBytes) Session();
    return {Document(first_, sessions1_), Document(second_, sessions2_)};
  }

  HistoryPair GenerateSession(int entries, int firstLacksEvery, int secondLacksEvery) {
    // Quick replies within one second: where one side lacks one of them, the order of the
    // others cannot be told from their times alone.
    sameSecondPercent_ = 33;
    // PC 2 numbers the session its own way, which also keeps two whole copies from having the
    // same size (a pair of equal size and time is skipped as unchanged).
    constexpr int kSecondSession = 12;
    clock_ += Uniform(600, 3600);
    int count = 0;
    while (count < entries) {
      for (const Entry& entry : NextEntries(Locale::kJapanese)) {
        if (++count > entries) break;
        if (!Lacks(count, firstLacksEvery)) Append(first_, entry, 1);
        if (!Lacks(count, secondLacksEvery)) Append(second_, entry, kSecondSession);
      }
    }
    return {Document(first_, 1), Document(second_, kSecondSession)};
  }

 private:
  int Uniform(int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng_); }
  bool Chance(int percent) { return Uniform(1, 100) <= percent; }
  template <std::size_t N>
  std::string_view Pick(const std::array<std::string_view, N>& pool) {
    return pool[static_cast<std::size_t>(Uniform(0, static_cast<int>(N) - 1))];
  }

  static std::string Document(const std::string& body, int lastSession) {
    std::string xml =
        "<?xml version=\"1.0\"?>\r\n"
        "<?xml-stylesheet type='text/xsl' href='MessageLog.xsl'?>\r\n"
        "<Log FirstSessionID=\"1\" LastSessionID=\"" +
        std::to_string(lastSession) + "\">";
    xml.reserve(xml.size() + body.size() + 16);
    return xml + body + "</Log>\r\n";
  }

  // A conversation: shared by both PCs, or held by one of them only.
  void Session() {
    clock_ += Uniform(600, longestGap_);
    const int roll = Uniform(1, 100);
    const Side side = roll <= 70 ? Side::kBoth : roll <= 85 ? Side::kFirst : Side::kSecond;
    const bool firstWrote = side == Side::kFirst || (side == Side::kBoth && Chance(50));
    const Locale locale = firstWrote ? Locale::kJapanese : Locale::kUs;
    bool in1 = false;
    bool in2 = false;
    for (int count = 1 + std::geometric_distribution<int>(0.08)(rng_) % 80; count > 0; --count) {
      Side where = side;
      // Now and then one message of a shared session reached one PC only.
      if (side == Side::kBoth && Chance(3)) where = Chance(50) ? Side::kFirst : Side::kSecond;
      for (const Entry& entry : NextEntries(locale)) {
        if (where != Side::kSecond) Append(first_, entry, sessions1_ + 1), in1 = true;
        if (where != Side::kFirst) Append(second_, entry, sessions2_ + 1), in2 = true;
      }
    }
    sessions1_ += in1;
    sessions2_ += in2;
  }

  static bool Lacks(int count, int every) { return every > 0 && count % every == 0; }

  static void Append(std::string& body, const Entry& entry, int session) {
    ((body += entry.head) += std::to_string(session)) += entry.tail;
  }

  // A message, or now and then an invitation followed by its answer.
  std::vector<Entry> NextEntries(Locale locale) {
    // The draw for the same second is made only where asked for, so that the other cases keep
    // their bytes.
    if (sameSecondPercent_ == 0 || !Chance(sameSecondPercent_)) clock_ += Uniform(2, 90);
    if (!Chance(4)) return {Message(locale)};
    const int photo = Uniform(1, 9999);
    std::vector<Entry> entries{Invitation(locale, "Invitation", photo)};
    clock_ += Uniform(5, 60);
    entries.push_back(Invitation(locale, "InvitationResponse", photo));
    return entries;
  }

  std::string Head(std::string_view name, Locale locale) {
    const Calendar local = CalendarOf(clock_ + kZoneOffset);
    const Calendar utc = CalendarOf(clock_);
    char text[160];
    if (locale == Locale::kJapanese) {
      std::snprintf(text, sizeof text, "<%.*s Date=\"%04d/%02d/%02d\" Time=\"%02d:%02d:%02d\"",
                    static_cast<int>(name.size()), name.data(), local.year, local.month, local.day,
                    local.hour, local.minute, local.second);
    } else {
      const int hour12 = local.hour % 12 == 0 ? 12 : local.hour % 12;
      std::snprintf(text, sizeof text, "<%.*s Date=\"%d/%d/%d\" Time=\"%d:%02d:%02d %s\"",
                    static_cast<int>(name.size()), name.data(), local.month, local.day, local.year,
                    hour12, local.minute, local.second, local.hour < 12 ? "AM" : "PM");
    }
    std::string head = text;
    std::snprintf(text, sizeof text,
                  " DateTime=\"%04d-%02d-%02dT%02d:%02d:%02d.%03dZ\" SessionID=\"", utc.year,
                  utc.month, utc.day, utc.hour, utc.minute, utc.second, Uniform(0, 999));
    return head + text;
  }

  static std::string User(std::string_view party, std::string_view name) {
    std::string xml = "<";
    ((((xml += party) += "><User FriendlyName=\"") += name) += "\"/></") += party;
    return xml += ">";
  }

  // One to three lines, Japanese or ASCII, joined as Messenger writes a line break.
  std::string MessageText() {
    std::string text;
    for (int lines = Chance(85) ? 1 : Uniform(2, 3); lines > 0; --lines) {
      text += Chance(60) ? Pick(kJapaneseLines) : Pick(kAsciiLines);
      if (lines > 1) text += "&#xD;&#xA;";
    }
    return text;
  }

  Entry Message(Locale locale) {
    const bool mine = Chance(50);
    std::string tail = "\">" + User("From", mine ? kOwner : contact_) +
                       User("To", mine ? contact_ : kOwner) + "<Text Style=\"";
    (((tail += Pick(kStyles)) += "\">") += MessageText()) += "</Text></Message>";
    return {Head("Message", locale), std::move(tail)};
  }

  // A file offered, or the answer to that offer.
  Entry Invitation(Locale locale, std::string_view name, int photo) {
    std::string tail = "\">" + User("From", contact_);
    char text[200];
    std::snprintf(text, sizeof text,
                  "<File>C:\\Documents and Settings\\taro\\My Documents\\photo%04d.jpg</File>"
                  "<Text Style=\"color:#545454; \">ファイル \"photo%04d.jpg\" %s</Text>",
                  photo, photo,
                  name == "Invitation" ? "を送信しようとしています。" : "を受信しました。");
    ((tail += text) += "</") += name;
    return {Head(name, locale), tail += ">"};
  }

  std::mt19937 rng_;
  std::string_view contact_;
  std::int64_t clock_ = kFirstMoment;
  int longestGap_ = 0;
  int sameSecondPercent_ = 0;  // of the entries that take the second of the one before
  std::string first_;
  std::string second_;
  int sessions1_ = 0;
  int sessions2_ = 0;
};

}  // namespace

HistoryPair GenerateHistoryPair(std::size_t targetBytes, std::uint32_t seed) {
  return PairGenerator(seed).Generate(targetBytes);
}

HistoryPair GenerateSessionPair(int entries, int firstLacksEvery, int secondLacksEvery,
                                std::uint32_t seed) {
  return PairGenerator(seed).GenerateSession(entries, firstLacksEvery, secondLacksEvery);
}

}  // namespace palvarin::bench

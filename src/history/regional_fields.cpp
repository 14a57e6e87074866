#include "regional_fields.hpp"

#include <cctype>
#include <string>

namespace palvarin {
namespace {

// A run of digits and how many there were.
struct Number {
  int value = 0;
  std::size_t digits = 0;
};

std::string_view TrimSpaces(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}

// Reads 1..4 digits at `at`; none without a digit or with a fifth, which no field has.
std::optional<Number> ReadNumber(std::string_view text, std::size_t& at) {
  Number number;
  for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
    if (++number.digits > 4) return std::nullopt;
    number.value = number.value * 10 + (text[at] - '0');
  }
  if (number.digits == 0) return std::nullopt;
  return number;
}

// Moves past `separator` and the spaces after it; false when it is not there.
bool SkipSeparator(std::string_view text, std::size_t& at, char separator) {
  if (at >= text.size() || text[at] != separator) return false;
  for (++at; at < text.size() && text[at] == ' ';) ++at;
  return true;
}

// Two-digit years: 00-69 in this century, 70-99 in the last one (no history is older).
int WidenYear(const Number& year) {
  if (year.digits == 4) return year.value;
  return year.value + (year.value < 70 ? 2000 : 1900);
}

enum class HalfDay { kNone, kMorning, kAfternoon };

// Takes an AM/PM marker ("am", "pm", "a.m.", "p.m.", any case) and the spaces before it off
// the end of `text`; none when other letters or dots end it.
std::optional<HalfDay> TakeMarker(std::string_view& text) {
  std::size_t start = text.size();
  while (start > 0 &&
         (std::isalpha(static_cast<unsigned char>(text[start - 1])) || text[start - 1] == '.')) {
    --start;
  }
  if (start == text.size()) return HalfDay::kNone;
  std::string marker;
  for (const char letter : text.substr(start)) {
    marker += static_cast<char>(std::tolower(static_cast<unsigned char>(letter)));
  }
  text = TrimSpaces(text.substr(0, start));
  if (marker == "am" || marker == "a.m.") return HalfDay::kMorning;
  if (marker == "pm" || marker == "p.m.") return HalfDay::kAfternoon;
  return std::nullopt;
}

// The hour on the 24-hour clock; -1 when it does not exist on the clock it was written for.
int DayHour(int hour, HalfDay half) {
  if (half == HalfDay::kNone) return hour <= 23 ? hour : -1;
  if (hour < 1 || hour > 12) return -1;
  return hour % 12 + (half == HalfDay::kAfternoon ? 12 : 0);
}

}  // namespace

std::optional<RegionalDate> ReadRegionalDate(std::string_view text) {
  text = TrimSpaces(text);
  if (!text.empty() && text.back() == '.') text = TrimSpaces(text.substr(0, text.size() - 1));
  std::size_t at = 0;
  const auto first = ReadNumber(text, at);
  if (!first || at >= text.size()) return std::nullopt;
  const char separator = text[at];
  if (separator != '/' && separator != '.' && separator != '-') return std::nullopt;
  const auto second = SkipSeparator(text, at, separator) ? ReadNumber(text, at) : std::nullopt;
  const auto third =
      second && SkipSeparator(text, at, separator) ? ReadNumber(text, at) : std::nullopt;
  if (!third || at != text.size() || second->digits > 2) return std::nullopt;
  if (first->digits == 4) {
    if (third->digits > 2) return std::nullopt;
    return RegionalDate{second->value, third->value, first->value, true};
  }
  if (first->digits > 2 || (third->digits != 2 && third->digits != 4)) return std::nullopt;
  return RegionalDate{first->value, second->value, WidenYear(*third), false};
}

std::optional<RegionalClock> ReadRegionalClock(std::string_view text) {
  text = TrimSpaces(text);
  const auto half = TakeMarker(text);
  if (!half) return std::nullopt;
  std::size_t at = 0;
  const auto hour = ReadNumber(text, at);
  if (!hour || hour->digits > 2 || at >= text.size()) return std::nullopt;
  const char separator = text[at];
  if ((separator != ':' && separator != '.') || !SkipSeparator(text, at, separator)) {
    return std::nullopt;
  }
  const auto minute = ReadNumber(text, at);
  if (!minute || minute->digits != 2 || minute->value > 59) return std::nullopt;
  Number second{0, 2};  // seconds may be left out
  if (at < text.size()) {
    const auto written = SkipSeparator(text, at, separator) ? ReadNumber(text, at) : std::nullopt;
    if (!written) return std::nullopt;
    second = *written;
  }
  if (at != text.size() || second.digits != 2 || second.value > 59) return std::nullopt;
  const int dayHour = DayHour(hour->value, *half);
  if (dayHour < 0) return std::nullopt;
  return RegionalClock{dayHour, minute->value, second.value};
}

}  // namespace palvarin

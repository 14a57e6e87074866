#include "page_mark.hpp"

#include <charconv>
#include <vector>

namespace palvarin {
namespace {

constexpr std::string_view kOpen = "<!-- palvarin-index 2 ";
constexpr std::string_view kClose = " -->\n";
// A mark holds at most this many bytes between kOpen and kClose: a name is short.
constexpr std::size_t kLongestMark = kPageMarkReach - kOpen.size() - kClose.size();

bool Unreserved(unsigned char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
         c == '.' || c == '~';
}

void AppendEncoded(std::string& out, std::string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (Unreserved(byte)) {
      out += c;
    } else {
      ((out += '%') += kHex[byte >> 4]) += kHex[byte & 15];
    }
  }
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::optional<std::string> Decoded(std::string_view field) {
  std::string text;
  for (std::size_t i = 0; i < field.size(); ++i) {
    if (Unreserved(static_cast<unsigned char>(field[i]))) {
      text += field[i];
      continue;
    }
    if (field[i] != '%' || i + 2 >= field.size()) return std::nullopt;
    const int high = HexDigit(field[i + 1]), low = HexDigit(field[i + 2]);
    if (high < 0 || low < 0) return std::nullopt;
    text += static_cast<char>(high * 16 + low);
    i += 2;
  }
  return text;
}

std::optional<int> Number(std::string_view field) {
  int value = 0;
  const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), value);
  if (error != std::errc() || end != field.data() + field.size() || value < 0) return std::nullopt;
  return value;
}

std::vector<std::string_view> Fields(std::string_view text) {
  std::vector<std::string_view> fields;
  for (std::size_t start = 0;;) {
    const std::size_t space = text.find(' ', start);
    fields.push_back(text.substr(start, space - start));
    if (space == std::string_view::npos) return fields;
    start = space + 1;
  }
}

}  // namespace

void AppendPageMark(std::string& out, const ExportOptions& options, const ExportSummary& summary) {
  out += kOpen;
  AppendEncoded(out, options.title);
  out += ' ';
  AppendEncoded(out, options.names.empty() ? std::string_view() : options.names.front());
  for (const int count : {summary.sessions, summary.entries, summary.messages}) {
    (out += ' ') += std::to_string(count);
  }
  for (const std::string* date : {&summary.firstDate, &summary.lastDate}) {
    out += ' ';
    AppendEncoded(out, *date);
  }
  out += kClose;
}

std::optional<IndexRow> ReadPageMark(std::string_view tail) {
  const std::size_t open = tail.rfind(kOpen);
  if (open == std::string_view::npos || !tail.ends_with(kClose)) return std::nullopt;
  const std::string_view mark =
      tail.substr(open + kOpen.size(), tail.size() - kClose.size() - open - kOpen.size());
  if (mark.size() > kLongestMark) return std::nullopt;
  const std::vector<std::string_view> fields = Fields(mark);
  if (fields.size() != 7) return std::nullopt;
  std::optional<std::string> name = Decoded(fields[0]), label = Decoded(fields[1]);
  const std::optional<int> sessions = Number(fields[2]), entries = Number(fields[3]),
                           messages = Number(fields[4]);
  std::optional<std::string> first = Decoded(fields[5]), last = Decoded(fields[6]);
  if (!name || name->empty() || !label || !sessions || !entries || !messages || !first || !last) {
    return std::nullopt;
  }
  IndexRow row;
  row.name = std::move(*name);
  row.label = std::move(*label);
  row.summary = {.sessions = *sessions,
                 .entries = *entries,
                 .messages = *messages,
                 .firstDate = std::move(*first),
                 .lastDate = std::move(*last)};
  return row;
}

}  // namespace palvarin

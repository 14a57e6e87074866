#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "base/reason.hpp"

namespace palvarin {

// The forms a history is exported in.
enum class ExportFormat { Html, Text, JsonLines };

// The file name ending of an export: ".html", ".txt", ".jsonl".
std::string_view ExportSuffix(ExportFormat format);

// The words an export writes beside what the history holds, in the user's language; the
// front end fills them (ExportWordsInUse).
struct ExportWords {
  std::string language;      // the pages' "lang": "en", "ja"
  std::string conversation;  // before a session's number: "Conversation"
  std::string contacts;      // the index's title, and the link to it from each page
  std::string contact;       // the index's columns
  std::string conversations;
  std::string messages;
  std::string first;
  std::string last;
  std::string period;  // the first column of a split contact's page: "Period"
  // The notice on the page of a history that breaks off (ReasonKind::BrokenOff...), from the
  // reason its load gave.
  std::function<std::string(const Reason&)> brokenOff;
};

// What one export found in its history, for the index.
struct ExportSummary {
  int sessions = 0;  // runs of entries with one "SessionID"
  int entries = 0;
  int messages = 0;  // entries named "Message"
  // The local day ("YYYY-MM-DD") of the first and last entry, on the clock its form shows;
  // an entry without a readable time gives its "Date" as written.
  std::string firstDate, lastDate;
};

}  // namespace palvarin

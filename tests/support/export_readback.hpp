#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "export/export_format.hpp"
#include "job/run_export_job.hpp"

namespace palvarin::test {

// A message as an export must show it: its sender and its text, line breaks as LF.
struct ShownMessage {
  std::string from;
  std::string text;
  bool operator==(const ShownMessage&) const = default;
};
inline void PrintTo(const ShownMessage& shown, std::ostream* out) {
  *out << ::testing::PrintToString(shown.from) << ": " << ::testing::PrintToString(shown.text);
}

// The messages of a history file, in order, read from the XML.
std::vector<ShownMessage> MessagesOfHistory(const std::filesystem::path& history);

// The messages an export shows, read back from it: the HTML parsed as XML (its markup is
// well-formed), the text by its lines, the JSON Lines object by object.
std::vector<ShownMessage> MessagesInExport(const std::filesystem::path& file, ExportFormat format);

// Exports `input` (a file or a folder) in `format` into `folder` in process, with the words of
// the language in use.
ExportResult ExportInProcess(const std::filesystem::path& input,
                             const std::filesystem::path& folder, ExportFormat format);

// A history whose names, texts and styles try to run script, load things, leave their element
// or reorder the page: what an export must show as inert text.
std::string HostileHistory();

// Runs `command` (a shell command line, redirections included) with a guard of `seconds`
// (timeout(1)); its standard output, and its exit status in `status` (124 when the guard ended
// it).
std::string RunCommand(const std::string& command, int seconds, int& status);

// True when `program` is found on PATH.
bool HasProgram(const std::string& program);

}  // namespace palvarin::test

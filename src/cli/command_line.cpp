#include "command_line.hpp"

#include <algorithm>
#include <cctype>
#include <initializer_list>
#include <string_view>

#include "base/integer_text.hpp"

namespace palvarin {
namespace {

std::string Lowered(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

bool IsOneOf(const std::string& lowered, std::initializer_list<std::string_view> forms) {
  return std::find(forms.begin(), forms.end(), lowered) != forms.end();
}

// The field a value switch fills; none for other arguments.
std::string* PathField(const std::string& lowered, MergeSettings& settings) {
  if (IsOneOf(lowered, {"/p1", "/path1", "-p1", "-path1"})) return &settings.Path1;
  if (IsOneOf(lowered, {"/p2", "/path2", "-p2", "-path2"})) return &settings.Path2;
  if (IsOneOf(lowered, {"/ps", "/pathsave", "-ps", "-pathsave"})) return &settings.PathSave;
  return nullptr;
}

// A switch without a value; false when the argument is none of them.
bool ApplyFlag(const std::string& lowered, MergeSettings& settings, CommandLine& line) {
  if (IsOneOf(lowered, {"/n", "/nowindow", "-n", "-nowindow"})) {
    line.headless = true;
  } else if (IsOneOf(lowered, {"/f", "-f"})) {
    settings.InTarget = InTarget::File;
  } else if (IsOneOf(lowered, {"/d", "-d"})) {
    settings.InTarget = InTarget::Folder;
  } else if (IsOneOf(lowered, {"/o", "-o"})) {
    settings.OutTarget = OutTarget::OverWrite;
  } else if (IsOneOf(lowered, {"/t", "-t"})) {
    settings.OutTarget = OutTarget::OtherFile;
  } else if (IsOneOf(lowered, {"/b", "-b"})) {
    settings.CreateBackup = true;
  } else if (IsOneOf(lowered, {"/nb", "-nb"})) {
    settings.CreateBackup = false;
  } else if (IsOneOf(lowered, {"/nt", "-nt"})) {
    settings.NotMergeSameDatetime = true;
  } else if (IsOneOf(lowered, {"/a", "-a"})) {
    settings.IgnoreOldMerge = false;
  } else if (IsOneOf(lowered, {"/na", "-na"})) {
    settings.IgnoreOldMerge = true;
  } else if (IsOneOf(lowered, {"/h", "/help", "-h", "-help"})) {
    line.help = true;
  } else if (IsOneOf(lowered, {"/dry", "-dry", "--dry-run"})) {
    line.dryRun = true;
  } else if (IsOneOf(lowered, {"/q", "-q", "--quiet"})) {
    line.quiet = true;
  } else {
    return false;
  }
  return true;
}

}  // namespace

std::uint32_t ParseBackupMax(const std::string& text) {
  return static_cast<std::uint32_t>(LeadingInteger(text));
}

CommandLine ParseCommandLine(const std::vector<std::string>& arguments, MergeSettings& settings) {
  CommandLine line;
  for (std::size_t at = 0; at < arguments.size(); ++at) {
    const std::string lowered = Lowered(arguments[at]);
    std::string* path = PathField(lowered, settings);
    // The report's file is a path switch like the others: the next argument as it stands.
    if (IsOneOf(lowered, {"/report", "-report", "--report"})) path = &line.reportFile;
    const bool isBackupMax = IsOneOf(lowered, {"/bm", "-bm"});
    if (path || isBackupMax) {
      if (at + 1 == arguments.size()) {
        line.error = true;
        break;
      }
      const std::string& value = arguments[++at];
      if (path) {
        *path = value;
      } else {
        settings.BackupMax = ParseBackupMax(value);
      }
    } else if (!ApplyFlag(lowered, settings, line)) {
      line.error = true;
    }
  }
  return line;
}

}  // namespace palvarin

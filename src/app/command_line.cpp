#include "app/command_line.hpp"

#include <algorithm>
#include <cctype>
#include <initializer_list>
#include <optional>

#include "app/job_settings.hpp"
#include "search/search_query.hpp"

namespace palvarin {
namespace {

std::string Lowered(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

using Apply = void (*)(MergeSettings&, CommandLine&, const std::string& value);

void Refuse(CommandLine& line, UsageProblem::Kind kind, std::string argument,
            std::string value = {}) {
  if (!line.problem) line.problem = UsageProblem{kind, std::move(argument), std::move(value)};
}

constexpr std::uint32_t kLargestBackupMax = 100;

// A whole number from 0 to 100 in decimal digits, blanks around it allowed, as the dialog's
// field takes it; none otherwise.
std::optional<std::uint32_t> BackupMaxOf(std::string_view value) {
  const std::size_t first = value.find_first_not_of(" \t");
  if (first == std::string_view::npos) return std::nullopt;
  value = value.substr(first, value.find_last_not_of(" \t") + 1 - first);
  std::uint32_t number = 0;
  for (const char digit : value) {
    if (digit < '0' || digit > '9') return std::nullopt;
    number = number * 10 + static_cast<std::uint32_t>(digit - '0');
    if (number > kLargestBackupMax) return std::nullopt;
  }
  return number;
}

std::optional<ExportFormat> ExportFormatOf(const std::string& value) {
  const std::string lowered = Lowered(value);
  if (lowered == "html") return ExportFormat::Html;
  if (lowered == "text") return ExportFormat::Text;
  if (lowered == "jsonl") return ExportFormat::JsonLines;
  return std::nullopt;
}

// One switch: its slash and dash forms (lower case), its long name, whether it takes a value.
struct Switch {
  std::initializer_list<std::string_view> forms;
  std::string_view longName;
  bool takesValue;
  Apply apply;
  // The value may be left out: the next argument is taken only when it is no switch.
  bool valueOptional = false;
};

// Every switch; the first row that matches takes effect.
const Switch kSwitches[] = {
    {{"/n", "/nowindow", "-n", "-nowindow"},
     "no-window",
     false,
     [](MergeSettings&, CommandLine& line, const std::string&) { line.headless = true; }},
    {{"/p1", "/path1", "-p1", "-path1"},
     "first",
     true,
     [](MergeSettings& s, CommandLine& line, const std::string& value) {
       s.Path1 = value;
       line.firstGiven = true;
     }},
    {{"/p2", "/path2", "-p2", "-path2"},
     "second",
     true,
     [](MergeSettings& s, CommandLine&, const std::string& value) { s.Path2 = value; }},
    {{"/ps", "/pathsave", "-ps", "-pathsave"},
     "output",
     true,
     [](MergeSettings& s, CommandLine&, const std::string& value) { s.PathSave = value; }},
    {{"/f", "-f"},
     "files",
     false,
     [](MergeSettings& s, CommandLine&, const std::string&) { s.InTarget = InTarget::File; }},
    {{"/d", "-d"},
     "folders",
     false,
     [](MergeSettings& s, CommandLine&, const std::string&) { s.InTarget = InTarget::Folder; }},
    {{"/o", "-o"},
     "overwrite",
     false,
     [](MergeSettings& s, CommandLine&, const std::string&) {
       s.OutTarget = OutTarget::OverWrite;
     }},
    {{"/t", "-t"},
     "separate-output",
     false,
     [](MergeSettings& s, CommandLine&, const std::string&) {
       s.OutTarget = OutTarget::OtherFile;
     }},
    {{"/b", "-b"},
     "backup",
     false,
     [](MergeSettings& s, CommandLine&, const std::string&) { s.CreateBackup = true; }},
    {{"/nb", "-nb"},
     "no-backup",
     false,
     [](MergeSettings& s, CommandLine&, const std::string&) { s.CreateBackup = false; }},
    {{"/bm", "-bm"},
     "backup-max",
     true,
     [](MergeSettings& s, CommandLine& line, const std::string& value) {
       if (const auto maximum = BackupMaxOf(value)) {
         s.BackupMax = *maximum;
       } else {
         Refuse(line, UsageProblem::Kind::BadNumber, "--backup-max", value);
       }
     }},
    {{"/nt", "-nt"},
     "skip-unchanged",
     false,
     [](MergeSettings& s, CommandLine&, const std::string&) { s.NotMergeSameDatetime = true; }},
    {{"/a", "-a"},
     "keep-all",
     false,
     [](MergeSettings& s, CommandLine&, const std::string&) { s.IgnoreOldMerge = false; }},
    {{"/na", "-na"},
     "archive-rule",
     false,
     [](MergeSettings& s, CommandLine&, const std::string&) { s.IgnoreOldMerge = true; }},
    {{},
     "keep-echoes",
     false,
     [](MergeSettings& s, CommandLine&, const std::string&) { s.FindEchoes = false; }},
    {{},
     "find-echoes",
     false,
     [](MergeSettings& s, CommandLine&, const std::string&) { s.FindEchoes = true; }},
    {{"/h", "/help", "-h", "-help"},
     "help",
     false,
     [](MergeSettings&, CommandLine& line, const std::string&) { line.help = true; }},
    {{},
     "version",
     false,
     [](MergeSettings&, CommandLine& line, const std::string&) { line.version = true; }},
    {{"/dry", "-dry"},
     "dry-run",
     false,
     [](MergeSettings&, CommandLine& line, const std::string&) { line.dryRun = true; }},
    {{"/q", "-q"},
     "quiet",
     false,
     [](MergeSettings&, CommandLine& line, const std::string&) { line.quiet = true; }},
    {{"/report", "-report"},
     "report",
     true,
     [](MergeSettings&, CommandLine& line, const std::string& value) { line.reportFile = value; }},
    {{"/mu", "-mu"},
     "merge-unchanged",
     false,
     [](MergeSettings&, CommandLine& line, const std::string&) { line.mergeUnchanged = true; }},
    {{"/r", "-r"},
     "rescue",
     false,
     [](MergeSettings&, CommandLine& line, const std::string&) { line.rescue = true; }},
    {{},
     "search",
     true,
     [](MergeSettings&, CommandLine& line, const std::string& value) { line.search = value; }},
    {{},
     "export",
     true,
     [](MergeSettings&, CommandLine& line, const std::string& value) {
       line.headless = true;
       line.exportFormat = ExportFormatOf(value);
       if (!line.exportFormat) Refuse(line, UsageProblem::Kind::BadFormat, "--export", value);
     }},
    {{},
     "read",
     true,
     [](MergeSettings&, CommandLine& line, const std::string& value) { line.read = value; },
     true},
    {{},
     "find",
     true,
     [](MergeSettings&, CommandLine& line, const std::string& value) { line.find = value; }},
    {{},
     "cross-devices",
     false,
     [](MergeSettings&, CommandLine& line, const std::string&) { line.crossDevices = true; }},
    {{},
     "any-account",
     false,
     [](MergeSettings&, CommandLine& line, const std::string&) { line.anyAccount = true; }},
    {{},
     "gather",
     false,
     [](MergeSettings&, CommandLine& line, const std::string&) {
       line.headless = true;
       line.gather = true;
     }},
    {{},
     "input",
     true,
     [](MergeSettings&, CommandLine& line, const std::string& value) {
       line.inputs.push_back(value);
     }},
};

const Switch* FindShort(const std::string& lowered) {
  for (const Switch& row : kSwitches) {
    if (std::find(row.forms.begin(), row.forms.end(), lowered) != row.forms.end()) return &row;
  }
  return nullptr;
}

const Switch* FindLong(std::string_view lowered) {
  for (const Switch& row : kSwitches) {
    if (row.longName == lowered) return &row;
  }
  return nullptr;
}

// "--name" or "--name=value" at `at`; moves `at` past a value taken from the next argument.
void ReadLong(const std::vector<std::string>& arguments, std::size_t& at, MergeSettings& settings,
              CommandLine& line) {
  const std::string& argument = arguments[at];
  const std::size_t equals = argument.find('=');
  const std::string name = argument.substr(0, equals);
  const Switch* row = FindLong(Lowered(name.substr(2)));
  if (row == nullptr) return Refuse(line, UsageProblem::Kind::UnknownSwitch, name);
  if (row == FindLong("help")) line.helpOnTerminal = true;
  if (!row->takesValue) {
    if (equals != std::string::npos) {
      return Refuse(line, UsageProblem::Kind::UnexpectedValue, name);
    }
    return row->apply(settings, line, {});
  }
  if (equals != std::string::npos) return row->apply(settings, line, argument.substr(equals + 1));
  if (row->valueOptional && (at + 1 == arguments.size() || arguments[at + 1].starts_with('-'))) {
    return row->apply(settings, line, {});
  }
  if (at + 1 == arguments.size()) return Refuse(line, UsageProblem::Kind::MissingValue, name);
  row->apply(settings, line, arguments[++at]);
}

}  // namespace

std::string VersionText() {
  return "palvarin " PALVARIN_VERSION
         "\n"
         "License GPL-3.0-or-later: <https://www.gnu.org/licenses/gpl-3.0.html>\n";
}

std::vector<std::string_view> LongSwitchNames() {
  std::vector<std::string_view> names;
  for (const Switch& row : kSwitches) names.push_back(row.longName);
  return names;
}

namespace {

// The first switch given that shapes a headless merge job and its report; null when none is.
const char* JobShapingSwitch(const CommandLine& line) {
  if (line.dryRun) return "--dry-run";
  if (line.quiet) return "--quiet";
  if (!line.reportFile.empty()) return "--report";
  if (line.mergeUnchanged) return "--merge-unchanged";
  if (line.rescue) return "--rescue";
  return nullptr;
}

// A search reads the first input only, and never the one the profile remembers.
void CheckSearchShape(CommandLine& line) {
  if (QueryWords(*line.search).empty()) Refuse(line, UsageProblem::Kind::EmptySearch, {});
  if (!line.firstGiven) Refuse(line, UsageProblem::Kind::SearchWithoutPath, {});
  if (const char* shaping = JobShapingSwitch(line)) {
    Refuse(line, UsageProblem::Kind::NotWithSearch, shaping);
  }
  if (line.exportFormat) Refuse(line, UsageProblem::Kind::NotWithSearch, "--export");
  if (line.gather) Refuse(line, UsageProblem::Kind::NotWithSearch, "--gather");
}

// The reader only reads the path it is given: it runs no job and no search.
void CheckReadShape(CommandLine& line) {
  const char* other = JobShapingSwitch(line);
  if (line.headless) other = line.exportFormat ? "--export" : "--no-window";
  if (line.search) other = "--search";
  if (line.gather) other = "--gather";
  if (other != nullptr) Refuse(line, UsageProblem::Kind::NotWithRead, other);
}

// A walk for histories only reads, and only the root it is given; it reports as a job does.
void CheckFindShape(CommandLine& line) {
  const char* other = nullptr;
  if (line.dryRun) other = "--dry-run";
  if (line.mergeUnchanged) other = "--merge-unchanged";
  if (line.firstGiven) other = "--first";
  if (line.exportFormat) other = "--export";
  if (line.search) other = "--search";
  if (line.read) other = "--read";
  if (line.gather) other = "--gather";
  if (other != nullptr) Refuse(line, UsageProblem::Kind::NotWithFind, other);
}

}  // namespace

void CheckRunShape(CommandLine& line, const MergeSettings& settings) {
  if (line.find) return CheckFindShape(line);
  if (line.crossDevices) Refuse(line, UsageProblem::Kind::NeedsFind, "--cross-devices");
  if (line.read) return CheckReadShape(line);
  if (line.search) return CheckSearchShape(line);
  if (!line.inputs.empty() && !line.gather) {
    Refuse(line, UsageProblem::Kind::InputWithoutGather, "--input");
  }
  if (line.anyAccount && !line.gather)
    Refuse(line, UsageProblem::Kind::NeedsGather, "--any-account");
  if (line.gather) {
    if (line.inputs.size() < 2 || settings.PathSave.empty()) {
      Refuse(line, UsageProblem::Kind::MissingGatherPaths, "--gather");
    }
  } else if (line.exportFormat) {
    if (settings.Path1.empty() || settings.PathSave.empty()) {
      Refuse(line, UsageProblem::Kind::MissingExportPaths, "--export");
    }
  } else if (line.headless && !HasRequiredPaths(JobOptionsOf(settings))) {
    Refuse(line, UsageProblem::Kind::MissingPaths, {});
  }
  // These shape a headless job and its report; the dialog has no use for them.
  if (const char* shaping = JobShapingSwitch(line); shaping != nullptr && !line.headless) {
    Refuse(line, UsageProblem::Kind::NeedsNoWindow, shaping);
  }
}

CommandLine ParseCommandLine(const std::vector<std::string>& arguments, MergeSettings& settings) {
  CommandLine line;
  for (std::size_t at = 0; at < arguments.size(); ++at) {
    if (arguments[at].starts_with("--")) {
      line.longForms = true;
      ReadLong(arguments, at, settings, line);
      continue;
    }
    const Switch* row = FindShort(Lowered(arguments[at]));
    if (row == nullptr) {
      // "/bogus" is a misspelt switch, "/home/a.xml" a path.
      const std::string& argument = arguments[at];
      const bool looksLikeSwitch =
          argument.starts_with('-') ||
          (argument.starts_with('/') && argument.find('/', 1) == std::string::npos);
      Refuse(line,
             looksLikeSwitch ? UsageProblem::Kind::UnknownSwitch
                             : UsageProblem::Kind::UnexpectedArgument,
             arguments[at]);
    } else if (!row->takesValue) {
      row->apply(settings, line, {});
    } else if (at + 1 == arguments.size()) {
      Refuse(line, UsageProblem::Kind::MissingValue, arguments[at]);
    } else {
      row->apply(settings, line, arguments[++at]);
    }
  }
  return line;
}

}  // namespace palvarin

#include "switches.hpp"

#include <algorithm>
#include <cctype>
#include <initializer_list>
#include <optional>

namespace palvarin {
namespace {

std::string Lowered(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

using Apply = void (*)(Switches&, const std::string& value);

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
     [](Switches& line, const std::string&) { line.headless = true; }},
    {{"/p1", "/path1", "-p1", "-path1"},
     "first",
     true,
     [](Switches& line, const std::string& value) { line.settings.Path1 = value; }},
    {{"/p2", "/path2", "-p2", "-path2"},
     "second",
     true,
     [](Switches& line, const std::string& value) { line.settings.Path2 = value; }},
    {{"/ps", "/pathsave", "-ps", "-pathsave"},
     "output",
     true,
     [](Switches& line, const std::string& value) { line.settings.PathSave = value; }},
    {{"/f", "-f"},
     "files",
     false,
     [](Switches& line, const std::string&) { line.settings.InTarget = InTarget::File; }},
    {{"/d", "-d"},
     "folders",
     false,
     [](Switches& line, const std::string&) { line.settings.InTarget = InTarget::Folder; }},
    {{"/o", "-o"},
     "overwrite",
     false,
     [](Switches& line, const std::string&) { line.settings.OutTarget = OutTarget::OverWrite; }},
    {{"/t", "-t"},
     "separate-output",
     false,
     [](Switches& line, const std::string&) { line.settings.OutTarget = OutTarget::OtherFile; }},
    {{"/b", "-b"},
     "backup",
     false,
     [](Switches& line, const std::string&) { line.settings.CreateBackup = true; }},
    {{"/nb", "-nb"},
     "no-backup",
     false,
     [](Switches& line, const std::string&) { line.settings.CreateBackup = false; }},
    {{"/bm", "-bm"},
     "backup-max",
     true,
     [](Switches& line, const std::string& value) {
       if (const auto maximum = BackupMaxOf(value)) {
         line.settings.BackupMax = *maximum;
       } else {
         Refuse(line, UsageProblem::Kind::BadNumber, "--backup-max", value);
       }
     }},
    {{"/nt", "-nt"},
     "skip-unchanged",
     false,
     [](Switches& line, const std::string&) { line.settings.NotMergeSameDatetime = true; }},
    {{"/a", "-a"},
     "keep-all",
     false,
     [](Switches& line, const std::string&) { line.settings.IgnoreOldMerge = false; }},
    {{"/na", "-na"},
     "archive-rule",
     false,
     [](Switches& line, const std::string&) { line.settings.IgnoreOldMerge = true; }},
    {{},
     "keep-echoes",
     false,
     [](Switches& line, const std::string&) { line.settings.FindEchoes = false; }},
    {{},
     "find-echoes",
     false,
     [](Switches& line, const std::string&) { line.settings.FindEchoes = true; }},
    {{"/h", "/help", "-h", "-help"},
     "help",
     false,
     [](Switches& line, const std::string&) { line.help = true; }},
    {{}, "version", false, [](Switches& line, const std::string&) { line.version = true; }},
    {{"/dry", "-dry"},
     "dry-run",
     false,
     [](Switches& line, const std::string&) { line.dryRun = true; }},
    {{"/q", "-q"}, "quiet", false, [](Switches& line, const std::string&) { line.quiet = true; }},
    {{"/report", "-report"},
     "report",
     true,
     [](Switches& line, const std::string& value) { line.reportFile = value; }},
    {{"/mu", "-mu"},
     "merge-unchanged",
     false,
     [](Switches& line, const std::string&) { line.mergeUnchanged = true; }},
    {{"/r", "-r"}, "rescue", false, [](Switches& line, const std::string&) { line.rescue = true; }},
    {{}, "search", true, [](Switches& line, const std::string& value) { line.search = value; }},
    {{},
     "export",
     true,
     [](Switches& line, const std::string& value) {
       line.headless = true;
       line.exportFormat = ExportFormatOf(value);
       if (!line.exportFormat) Refuse(line, UsageProblem::Kind::BadFormat, "--export", value);
     }},
    {{}, "read", true, [](Switches& line, const std::string& value) { line.read = value; }, true},
    {{}, "find", true, [](Switches& line, const std::string& value) { line.find = value; }},
    {{},
     "cross-devices",
     false,
     [](Switches& line, const std::string&) { line.crossDevices = true; }},
    {{}, "any-account", false, [](Switches& line, const std::string&) { line.anyAccount = true; }},
    {{},
     "gather",
     false,
     [](Switches& line, const std::string&) {
       line.headless = true;
       line.gather = true;
     }},
    {{},
     "input",
     true,
     [](Switches& line, const std::string& value) { line.inputs.push_back(value); }},
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
void ReadLong(const std::vector<std::string>& arguments, std::size_t& at, Switches& line) {
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
    return row->apply(line, {});
  }
  if (equals != std::string::npos) return row->apply(line, argument.substr(equals + 1));
  if (row->valueOptional && (at + 1 == arguments.size() || arguments[at + 1].starts_with('-'))) {
    return row->apply(line, {});
  }
  if (at + 1 == arguments.size()) return Refuse(line, UsageProblem::Kind::MissingValue, name);
  row->apply(line, arguments[++at]);
}

}  // namespace

std::vector<std::string_view> LongSwitchNames() {
  std::vector<std::string_view> names;
  for (const Switch& row : kSwitches) names.push_back(row.longName);
  return names;
}

Switches ReadSwitches(const std::vector<std::string>& arguments) {
  Switches line;
  for (std::size_t at = 0; at < arguments.size(); ++at) {
    if (arguments[at].starts_with("--")) {
      line.longForms = true;
      ReadLong(arguments, at, line);
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
      row->apply(line, {});
    } else if (at + 1 == arguments.size()) {
      Refuse(line, UsageProblem::Kind::MissingValue, arguments[at]);
    } else {
      row->apply(line, arguments[++at]);
    }
  }
  return line;
}

void Refuse(Switches& line, UsageProblem::Kind kind, std::string argument, std::string value) {
  if (!line.problem) line.problem = UsageProblem{kind, std::move(argument), std::move(value)};
}

}  // namespace palvarin

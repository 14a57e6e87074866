#include "texts/help_text.hpp"

#include <algorithm>

#include "texts/catalogue.hpp"

namespace palvarin {
namespace {

// Long spellings beside the switches they stand for, and what the switches that the help
// blocks do not name do; the value names are the help's own.
struct LongForm {
  std::string_view spelling;
  std::string_view slash;
  std::string_view what;  // empty: the help blocks say it
};

std::string Padded(std::string_view text, std::size_t width) {
  std::string padded(text);
  padded.resize(std::max(width, text.size() + 1), ' ');
  return padded;
}

}  // namespace

std::array<std::string_view, 5> HelpBlocks() {
  return {
      Tr("Command-line switches\n"
         "/h  : show this help\n"
         "/n  : run without a window\n"
         "/d  : the inputs are folders\n"
         "/f  : the inputs are files"),
      Tr("/p1 : the first input (its path follows the switch)\n"
         "/p2 : the second input (its path follows the switch)\n"
         "/ps : the output (its path follows the switch)\n"
         "/o  : overwrite both inputs with the result\n"
         "/t  : write the result to another file (or folder)\n"),
      Tr("/b  : back up the inputs before overwriting them\n"
         "/nb : make no backups\n"
         "/bm : the most backups kept per input\n"
         "      (the number follows the switch; 0 keeps them all)"),
      Tr("/mu : merge even when the size and last-write time are the same\n"
         "/nt : skip a pair whose files have the same size and last-write time\n"
         "/na : when one file holds messages older than the last merge"),
      Tr("      that the other no longer has, take them as archived there\n"
         "      and leave them out of the merged file\n"
         "/a  : keep every message, whatever the last merge"),
  };
}

std::string_view ShownHelpBlock(std::string_view block) {
  while (!block.empty()) {
    const std::size_t lineStart = block.find_last_of('\n');
    if (lineStart == std::string_view::npos) break;
    if (block.find_first_not_of(' ', lineStart + 1) != std::string_view::npos) break;
    block = block.substr(0, lineStart);
  }
  return block;
}

std::string HelpText() {
  std::string text;
  for (std::string_view block : HelpBlocks()) {
    if (!text.empty()) text += '\n';
    text += ShownHelpBlock(block);
  }
  return text;
}

std::string LongSwitchHelp() {
  std::string text(
      Tr("Long forms (a short switch may also start with \"-\", in any letter case):"));
  const LongForm forms[] = {
      {"--no-window", "/n", ""},
      {"--folders", "/d", ""},
      {"--files", "/f", ""},
      {"--first PATH", "/p1", ""},
      {"--second PATH", "/p2", ""},
      {"--output PATH", "/ps", ""},
      {"--overwrite", "/o", ""},
      {"--separate-output", "/t", ""},
      {"--backup", "/b", ""},
      {"--no-backup", "/nb", ""},
      {"--backup-max N", "/bm", ""},
      {"--skip-unchanged", "/nt", ""},
      {"--merge-unchanged", "/mu",
       Tr("merge unchanged pairs too, for this job only (an overwrite job skips them by default)")},
      {"--rescue", "/r",
       Tr("merge the whole entries of a history that breaks off (a cut copy, a crash), keeping "
          "the file as a backup before writing over it")},
      {"--archive-rule", "/na", ""},
      {"--keep-all", "/a", ""},
      {"--keep-echoes", "",
       Tr("keep both copies of what two PCs signed in at once both logged (each with its own "
          "clock); without it such a conversation is written once")},
      {"--find-echoes", "",
       Tr("write once what two PCs signed in at once both logged (the default)")},
      {"--help", "/h", ""},
      {"--dry-run", "/dry", Tr("read and merge, write nothing, and say what would be done")},
      {"--quiet", "/q", Tr("say nothing but failures")},
      {"--report FILE", "/report", Tr("write what the job did to FILE, as JSON")},
      {"--version", "", Tr("show the version")},
      {"--search QUERY", "",
       Tr("search instead of merging: print the messages of --first that hold every word of "
          "QUERY")},
      {"--export FORMAT", "",
       Tr("export the histories of --first (a file or a folder) to the folder --output as html "
          "(pages and index.html), text or jsonl")},
      {"--gather", "",
       Tr("gather every copy of every history of the --input folders (or files, given twice or "
          "more) into the folder (or file) --output, whatever their order")},
      {"--input PATH", "", Tr("one copy for --gather")},
      {"--any-account", "",
       Tr("let --gather take copies of different accounts (refused otherwise, as they would "
          "mix two people's conversations)")},
      {"--read [PATH]", "",
       Tr("open the reader window on a history file or a folder of them (without PATH: on "
          "none, to open one), to read and search without changing anything")},
      {"--find ROOT", "",
       Tr("list the folders under ROOT that hold message histories, grouped by account: the "
          "folder, the number of histories, the first and last date, the account folder's name "
          "and the owner (the user in every conversation), tab-separated")},
      {"--cross-devices", "",
       Tr("let --find walk onto other file systems (mounted disks) below ROOT")},
  };
  constexpr std::size_t kWidth = 20;
  for (const LongForm& form : forms) {
    std::string line = "  " + Padded(form.spelling, kWidth);
    if (!form.slash.empty()) line += form.slash;
    if (!form.slash.empty() && !form.what.empty()) line += ": ";
    line += form.what;
    text += '\n' + line;
  }
  text += '\n';
  text += Tr("A value may also follow an equals sign: --first=PATH.");
  return text;
}

std::string TerminalHelpText() {
  std::string text = Format(Tr("Usage: {0} [SWITCH]..."), {"palvarin"});
  text += "\n\n" + HelpText() + "\n\n" + LongSwitchHelp() + '\n';
  text +=
      Tr("Exit status: 0 done, 1 a pair, a copy or the report file failed, 2 the command line "
         "or the paths were refused, 130 or 143 stopped by SIGINT or SIGTERM.");
  text += '\n';
  text +=
      Tr("A search exits with 0 when a message matched, 1 when none did, 2 when the command "
         "line was refused or there is nothing at the path.");
  text += '\n';
  text +=
      Tr("--find exits with 0 when a folder of histories was found, 1 when none was, 2 when the "
         "command line was refused or the root is no folder that can be opened.");
  return text;
}

}  // namespace palvarin

#include <malloc.h>

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "app/command_line.hpp"
#include "app/start_up.hpp"
#include "cli/terminal_front_end.hpp"
#include "state/profile_store.hpp"
#include "texts/catalogue.hpp"
#ifdef PALVARIN_WITH_GUI
#include "ui/dialog_front_end.hpp"
#endif

namespace {

// Dialogs when the build has them and there is a display; never for a headless run.
std::unique_ptr<palvarin::WindowFace> MakeDialogs([[maybe_unused]] int& argc,
                                                  [[maybe_unused]] char** argv) {
#ifdef PALVARIN_WITH_GUI
  return palvarin::MakeDialogFrontEnd(argc, argv);
#else
  return nullptr;
#endif
}

}  // namespace

int main(int argc, char** argv) {
  // Folder merges and searches read thousands of small files one after another. Freed room
  // is kept for the next file instead of being handed back each time: on a virtual machine,
  // returning memory and touching fresh pages again cost more than reading the file.
  ::mallopt(M_TRIM_THRESHOLD, 32 << 20);
  // Without TZ the C library looks at /etc/localtime again at every local-time conversion,
  // under a lock all threads share: a folder job converts tens of thousands of times. Naming
  // the same zone file keeps the zone and lets it be read once.
  if (std::getenv("TZ") == nullptr) ::setenv("TZ", ":/etc/localtime", 0);
  // Before any text is read: the language follows LANGUAGE, LC_ALL, LC_MESSAGES and LANG.
  palvarin::UseLanguageOfEnvironment();
  const palvarin::Command command =
      palvarin::ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
  const std::filesystem::path profileFile = palvarin::ProfileLocation();
  palvarin::ProfileStore profile(profileFile, palvarin::ProfileAccessFor(command, profileFile));
  palvarin::TerminalFrontEnd terminal(std::cout, std::cerr);
  std::unique_ptr<palvarin::WindowFace> dialogs = MakeDialogs(argc, argv);
  return palvarin::StartUp(command, profile, terminal, dialogs.get());
}

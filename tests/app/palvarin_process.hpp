#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace palvarin::test {

// How one run of the built program ended.
struct ProcessResult {
  int status = -1;  // exit status, or 128 + signal when killed
  std::string out;
  std::string err;
};

// Runs the built `palvarin` with `arguments` in `workFolder`, with PALVARIN_PROFILE=`profile`,
// TZ=Asia/Tokyo, no display, and `environment` ("NAME=value") added.
ProcessResult RunPalvarin(const std::vector<std::string>& arguments,
                          const std::filesystem::path& workFolder,
                          const std::filesystem::path& profile,
                          const std::vector<std::string>& environment = {});

}  // namespace palvarin::test

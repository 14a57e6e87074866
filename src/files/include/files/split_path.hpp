#pragma once

#include <string>

namespace palvarin {

// A path cut after its last separator.
struct PathParts {
  std::string folder;  // up to and including the last "/"; empty for a bare name
  std::string name;
};

// Splits after the last "/"; on POSIX "\" and ":" are ordinary name characters.
PathParts SplitPath(const std::string& path);

}  // namespace palvarin

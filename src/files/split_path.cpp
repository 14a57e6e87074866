#include "files/split_path.hpp"

namespace palvarin {

PathParts SplitPath(const std::string& path) {
  const auto cut = path.rfind('/');
  if (cut == std::string::npos) return {"", path};
  return {path.substr(0, cut + 1), path.substr(cut + 1)};
}

}  // namespace palvarin

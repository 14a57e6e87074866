#include "files/absolute_path.hpp"

#include <filesystem>
#include <system_error>

namespace palvarin {

namespace fs = std::filesystem;

std::string AbsolutePath(const std::string& path) {
  if (path.empty()) return path;
  std::error_code error;
  const fs::path absolute = fs::absolute(path, error);
  if (error) return path;
  fs::path built = "/";
  for (const fs::path& part : absolute.relative_path()) {
    if (part.empty() || part == ".") continue;
    if (part != "..") {
      built /= part;
      continue;
    }
    // Only a link makes the lexical parent another place than the system's.
    if (fs::is_symlink(built, error)) {
      fs::path resolved = fs::weakly_canonical(built, error);
      if (!error) built = std::move(resolved);
    }
    built = built.parent_path();
  }
  return built.string();
}

}  // namespace palvarin

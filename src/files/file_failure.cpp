#include "file_failure.hpp"

namespace palvarin {

Result FileFailure(ReasonKind kind, const std::filesystem::path& path, int code) {
  return Result::Failure({.kind = kind, .path = path.string(), .code = code});
}

}  // namespace palvarin

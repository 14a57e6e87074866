#include "file_failure.hpp"

namespace palvarin {

Failure FileFailure(ReasonKind kind, const std::filesystem::path& path, int code) {
  return Failure{{.kind = kind, .path = path.string(), .code = code}};
}

}  // namespace palvarin

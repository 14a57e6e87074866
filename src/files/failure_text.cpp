#include "failure_text.hpp"

#include <string>
#include <system_error>

namespace palvarin {

Result FileFailure(std::string_view step, const std::filesystem::path& path, int code) {
  return Result::Failure("cannot " + std::string(step) + " " + path.string() + ": " +
                             std::generic_category().message(code),
                         code);
}

}  // namespace palvarin

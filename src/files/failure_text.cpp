#include "failure_text.hpp"

#include <system_error>

namespace palvarin {

std::string FailureText(std::string_view step, const std::filesystem::path& path, int code) {
  return "cannot " + std::string(step) + " " + path.string() + ": " +
         std::generic_category().message(code);
}

Result FileFailure(std::string_view step, const std::filesystem::path& path, int code) {
  return Result::Failure(FailureText(step, path, code), code);
}

}  // namespace palvarin

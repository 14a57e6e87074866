#pragma once

#include <string>
#include <utility>

namespace palvarin {

// Success, or what went wrong, in the manner of pugixml's xml_parse_result: a status to test
// (the object converts to bool), the system's error number, and a description for people.
struct Result {
  bool ok = true;
  int code = 0;             // errno of the failure; 0 on success
  std::string description;  // "cannot <step> <path>: <reason>"; empty on success

  explicit operator bool() const { return ok; }

  static Result Failure(std::string description, int code = 0) {
    return {false, code, std::move(description)};
  }
};

}  // namespace palvarin

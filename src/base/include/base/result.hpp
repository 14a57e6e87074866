#pragma once

#include <string>
#include <utility>

#include "base/phrase.hpp"

namespace palvarin {

// Success, or what went wrong, in the manner of pugixml's xml_parse_result: a status to test
// (the object converts to bool), the system's error number, and what to tell people.
struct Result {
  bool ok = true;
  int code = 0;   // errno of the failure; 0 on success
  Phrase reason;  // "cannot <step> <path>: <why>"; empty on success

  explicit operator bool() const { return ok; }
  std::string description() const { return reason.English(); }

  static Result Failure(Phrase reason, int code = 0) { return {false, code, std::move(reason)}; }
};

}  // namespace palvarin

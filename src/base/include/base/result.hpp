#pragma once

#include <utility>

#include "base/reason.hpp"

namespace palvarin {

// Success, or what went wrong, in the manner of pugixml's xml_parse_result: a status to test
// (the object converts to bool), the system's error number, and the reason as facts.
struct Result {
  bool ok = true;
  int code = 0;   // errno of the failure; 0 on success
  Reason reason;  // ReasonKind::None on success

  explicit operator bool() const { return ok; }

  static Result Failure(Reason reason) {
    const int code = reason.code;
    return {false, code, std::move(reason)};
  }
};

}  // namespace palvarin

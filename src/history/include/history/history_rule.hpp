#pragma once

#include "base/reason.hpp"

namespace palvarin {

// What every part of the program takes for a history: a regular file named "<something>.xml"
// (HasHistoryName; the folder listings of `files` leave out every other kind of file) that
// loads as a "Log" document (LoadLogDocument). Such a file that fails to load for a reason
// this says is no history (another root element, none at all) is left out, as a file of
// another name is, and never reported as a history that failed; any other failure (it could
// not be read, it is damaged, memory ran out) is the history's. `--find`, the gather, the folder
// merge and the reader all ask this one question.
bool SaysNoHistory(ReasonKind kind);

}  // namespace palvarin

#include "history/history_rule.hpp"

namespace palvarin {

bool SaysNoHistory(ReasonKind kind) {
  switch (kind) {
    // Another document, or none: a settings file, a page, an empty file.
    case ReasonKind::HasDocumentType:
    case ReasonKind::NoElement:
    case ReasonKind::RootNotLog:
      return true;
    // A "Log" damaged (cut off, a stray byte) is a history that could not be read: lost
    // without a word, its conversations would be too.
    default:
      return false;
  }
}

}  // namespace palvarin

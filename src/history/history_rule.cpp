#include "history/history_rule.hpp"

namespace palvarin {

bool SaysNoHistory(ReasonKind kind) {
  switch (kind) {
    case ReasonKind::NotWellFormed:
    case ReasonKind::HasDocumentType:
    case ReasonKind::TextOutsideRoot:
    case ReasonKind::NoElement:
    case ReasonKind::SeveralRoots:
    case ReasonKind::RootNotLog:
    case ReasonKind::HoldsNul:
    case ReasonKind::ForbiddenReference:
    case ReasonKind::RepeatedAttribute:
      return true;
    default:
      return false;
  }
}

}  // namespace palvarin

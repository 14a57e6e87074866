#pragma once

#include <pugixml.hpp>

namespace palvarin {

// True when two entries are identical apart from their own "SessionID": the same name, the
// same attributes with the same values in any order, and the same child nodes (elements,
// text, character data and the rest) in the same order, compared all the way down.
// Iterative, so any nesting depth is safe.
bool SameApartFromSession(pugi::xml_node a, pugi::xml_node b);

}  // namespace palvarin

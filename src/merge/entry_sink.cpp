#include "merge/entry_sink.hpp"

#include "history/xml_error.hpp"

namespace palvarin {

void DocumentSink::Append(pugi::xml_node entry, int session) {
  pugi::xml_node copy = output_.Root().append_copy(entry);
  if (!copy) throw XmlError(kErrorOutOfMemory, "no memory to copy an entry into the output");
  SetIntegerAttribute(copy, "SessionID", session);
}

}  // namespace palvarin

#include "merge/entry_sink.hpp"

#include "history/xml_error.hpp"

namespace palvarin {

void DocumentSink::Append(const MergedEntry& merged) {
  pugi::xml_node root = output_.Root();
  if (!root) throw XmlError(kErrorPointer, "the output document has no root");
  pugi::xml_node copy = root.append_copy(merged.entry);
  if (!copy) throw XmlError(kErrorOutOfMemory, "no memory to copy an entry into the output");
  SetIntegerAttribute(copy, "SessionID", merged.session);
}

}  // namespace palvarin

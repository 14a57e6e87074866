#include "support/reference_output.hpp"

#include <fstream>

#include "files/atomic_file.hpp"
#include "history/log_writer.hpp"
#include "history/xml_error.hpp"
#include "support/test_support.hpp"

namespace palvarin {

std::optional<LogDocument> CreateEmptyLog() {
  // A document can only come from a file: the program never builds one from nothing.
  static const test::TempFolder folder;
  static const std::filesystem::path path = [] {
    const std::filesystem::path file = folder.Path() / "empty.xml";
    std::ofstream(file, std::ios::binary) << "<Log/>";
    return file;
  }();
  auto log = LoadLogDocument(path);
  return log ? std::optional<LogDocument>(std::move(*log)) : std::nullopt;
}

void DocumentSink::Append(const MergedEntry& merged) {
  pugi::xml_node root = output_.Root();
  if (!root) throw XmlError(kErrorPointer, Reason{.detail = "the output document has no root"});
  pugi::xml_node copy = root.append_copy(merged.entry);
  if (!copy)
    throw XmlError(kErrorOutOfMemory,
                   Reason{.detail = "no memory to copy an entry into the output"});
  SetIntegerAttribute(copy, "SessionID", merged.session);
}

void SaveLogDocument(const LogDocument& document, int lastSession,
                     const std::filesystem::path& path) {
  AtomicFile file;
  if (!file.Open(path)) throw XmlError(kErrorFail, file.Status().reason());
  LogWriter writer(file);
  writer.BeginLog(lastSession);
  for (pugi::xml_node entry : document.Root().children()) {
    if (entry.type() == pugi::node_element) {
      writer.WriteEntry(entry, entry.attribute("SessionID").as_int());
    }
  }
  writer.EndLog();
  if (!writer.Flush() || !file.Commit()) throw XmlError(kErrorFail, file.Status().reason());
}

}  // namespace palvarin

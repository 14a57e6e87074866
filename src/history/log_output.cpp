#include "history/log_output.hpp"

#include "files/atomic_file.hpp"
#include "history/log_writer.hpp"
#include "history/xml_error.hpp"

namespace palvarin {

void AddLogSkeleton(LogDocument& document) {
  pugi::xml_document& xml = document.Xml();
  pugi::xml_node root = xml.first_child();
  if (!root) throw XmlError(kErrorPointer, "the output document has no root");
  pugi::xml_node declaration = xml.insert_child_before(pugi::node_declaration, root);
  pugi::xml_node stylesheet = xml.insert_child_before(pugi::node_pi, root);
  if (!declaration || !declaration.append_attribute("version").set_value("1.0") || !stylesheet ||
      !stylesheet.set_name("xml-stylesheet") ||
      !stylesheet.set_value("type='text/xsl' href='MessageLog.xsl'")) {
    throw XmlError(kErrorOutOfMemory, "no memory for the output prolog");
  }
}

void SetSessionRange(LogDocument& document, int lastSession) {
  SetIntegerAttribute(document.Root(), "FirstSessionID", 1);
  SetIntegerAttribute(document.Root(), "LastSessionID", lastSession);
}

void SaveLogDocument(const LogDocument& document, const std::filesystem::path& path) {
  AtomicFile file;
  if (!file.Open(path)) throw XmlError(kErrorFail, file.Error());
  LogWriter writer(file);
  writer.WriteDocument(document.Xml());
  if (!writer.Flush() || !file.Commit()) throw XmlError(kErrorFail, file.Error());
}

}  // namespace palvarin

#pragma once

#include <pugixml.hpp>
#include <string>
#include <string_view>

#include "files/atomic_file.hpp"

namespace palvarin {

// Writes history XML in Messenger's byte layout (CR LF after each top-level node, nothing
// between entries) to an AtomicFile through a buffer. Characters that a read would not give
// back (CR; tab and line feed inside attributes) are written as character references.
class LogWriter {
 public:
  explicit LogWriter(AtomicFile& file) : file_(file) {}

  // The prolog and root of a merge output, then its entries one by one, then the end.
  void BeginLog(int lastSession);
  // A deep copy of `entry` whose "SessionID" holds `session` (replaced in place or added last).
  void WriteEntry(pugi::xml_node entry, int session);
  void EndLog();

  // Appends to `out` what WriteEntry would write for the entry, touching no writer: long
  // outputs are formatted in parts on several threads.
  static void FormatEntry(std::string& out, pugi::xml_node entry, int session);
  // Writes entries formatted by FormatEntry, as if each had been given to WriteEntry.
  void WriteFormattedEntries(std::string_view entries);

  // Hands the buffered bytes to the file; false once the file has refused a write.
  bool Flush();

 private:
  void WriteTree(pugi::xml_node top, const char* sessionId);
  // Closes the root's start tag before its first entry; an output without entries ends "/>".
  void OpenRoot();
  void MaybeFlush();

  AtomicFile& file_;
  std::string buffer_;
  bool failed_ = false;
  bool rootHasEntries_ = false;
};

}  // namespace palvarin

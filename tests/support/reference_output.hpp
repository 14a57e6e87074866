#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>

#include "history/log_document.hpp"
#include "merge/entry_sink.hpp"

namespace palvarin {

// The statuses the in-memory path raises XmlError with, beside the layer's kErrorOutOfMemory.
inline constexpr std::uint32_t kErrorPointer = 0x80004003;  // asked of an empty handle
inline constexpr std::uint32_t kErrorFail = 0x80004005;     // the file could not be written

// The merge output built as a whole document in memory: the plain path the recorded merge is
// checked against. It chooses the entries its own way and shares only the byte layout.

// A new document holding only the empty root element "Log".
std::optional<LogDocument> CreateEmptyLog();

// Builds the output in memory: a deep copy of each entry at the end of the document's root.
class DocumentSink : public EntrySink {
 public:
  explicit DocumentSink(LogDocument output) : output_(std::move(output)) {}
  // Raises XmlError when memory runs out.
  void Append(const MergedEntry& merged) override;

 private:
  LogDocument output_;
};

// Saves the root's elements as a merge output of sessions 1 to `lastSession`, each entry in
// the session its "SessionID" names. Raises XmlError naming the file on failure.
void SaveLogDocument(const LogDocument& document, int lastSession,
                     const std::filesystem::path& path);

}  // namespace palvarin

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

// The merge output built as a whole document in memory and saved at once: the plain path the
// streaming pipeline is checked against.

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

// Puts the declaration and the stylesheet instruction ahead of the root of a document made
// by CreateEmptyLog. Raises XmlError when the document has no first node.
void AddLogSkeleton(LogDocument& document);

// Stamps "FirstSessionID" = 1 and "LastSessionID" = `lastSession` on the root.
void SetSessionRange(LogDocument& document, int lastSession);

// Saves the document in Messenger's byte layout, atomically: the file at `path` holds
// either its old content or the whole document. Raises XmlError naming the file on failure.
void SaveLogDocument(const LogDocument& document, const std::filesystem::path& path);

}  // namespace palvarin

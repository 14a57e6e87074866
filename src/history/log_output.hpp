#pragma once

#include <filesystem>

#include "history/log_document.hpp"

namespace palvarin {

// Puts the declaration and the stylesheet instruction ahead of the root of a document made
// by CreateEmptyLog. Raises XmlError when the document has no first node.
void AddLogSkeleton(LogDocument& document);

// Stamps "FirstSessionID" = 1 and "LastSessionID" = `lastSession` on the root.
void SetSessionRange(LogDocument& document, int lastSession);

// Saves the document in Messenger's byte layout, atomically: the file at `path` holds
// either its old content or the whole document. Raises XmlError naming the file on failure.
void SaveLogDocument(const LogDocument& document, const std::filesystem::path& path);

}  // namespace palvarin

#pragma once

#include <string>

#include "merge/entry_sink.hpp"

namespace palvarin {

// Writes the merged entries straight from the inputs into `output` through a flushed
// temporary file, without a copy of them in memory. A long output is formatted on two threads,
// in parts handed to the file in order. Throws XmlError when the file cannot be written.
void SaveMerged(const RecordingSink& merged, int lastSession, const std::string& output);

}  // namespace palvarin

#pragma once

#include <functional>
#include <string>

#include "base/result.hpp"
#include "merge/entry_sink.hpp"

namespace palvarin {

// Writes the merged entries straight from the inputs into `output` through a flushed
// temporary file, without a copy of them in memory. A long output is formatted on two threads,
// in parts handed to the file in order. `written` runs once every byte is with the file and
// before it is flushed to the disk: the inputs are no longer needed from then on. Fails, leaving
// `output` as it was, when the file cannot be written.
Result<> SaveMerged(const RecordingSink& merged, int lastSession, const std::string& output,
                    const std::function<void()>& written);

}  // namespace palvarin

#pragma once

#include <cstddef>
#include <filesystem>
#include <memory>
#include <string>

#include "base/result.hpp"

namespace palvarin {

// The bytes of a history file as read.
struct HistoryBytes {
  std::unique_ptr<char[]> data;  // size + 1 bytes, the last one free for the parser
  std::size_t size = 0;
};

// Reads the whole of a history file: a regular file or a link to one, never anything else
// (see RegularFile). A file larger than the machine's memory and swap is refused unread, with
// ENOMEM.
Result<HistoryBytes> ReadHistoryFile(const std::filesystem::path& path);

}  // namespace palvarin

#pragma once

#include <cstddef>
#include <filesystem>
#include <memory>
#include <string>

#include "base/result.hpp"

namespace palvarin {

// The bytes of a history file as read, or why they could not be read.
struct HistoryBytes {
  std::unique_ptr<char[]> data;  // size + 1 bytes, the last one free for the parser
  std::size_t size = 0;
  // "cannot <step> <path>: <reason>" and its errno (ENOMEM when the file does not fit in
  // memory) when the file could not be read.
  Result result;

  explicit operator bool() const { return result.ok; }
};

// Reads the whole of a history file: a regular file or a link to one, never anything else
// (see RegularFile). A file larger than the machine's memory and swap is refused unread.
HistoryBytes ReadHistoryFile(const std::filesystem::path& path);

}  // namespace palvarin

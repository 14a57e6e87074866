#pragma once

#include <cstddef>
#include <filesystem>
#include <memory>
#include <string>

#include "base/result.hpp"

namespace palvarin {

// The size of a huge page, in which large room is taken.
inline constexpr std::size_t kHugePage = std::size_t{2} << 20;

// Gives back room that AllocateBytes took.
struct FreeBytes {
  void operator()(char* bytes) const;
};
using ByteBuffer = std::unique_ptr<char[], FreeBytes>;

// `size` bytes of fresh room, none when there is not that much. Large room is asked for in
// huge pages where the system has them: touching each small page of a fresh buffer for the
// first time costs more than the work done with it, on a virtual machine several times more.
ByteBuffer AllocateBytes(std::size_t size);

// The bytes of a history file as read.
struct HistoryBytes {
  ByteBuffer data;  // size + 1 bytes, the last one free for the parser
  std::size_t size = 0;
};

// Reads the whole of a history file: a regular file or a link to one, never anything else
// (see RegularFile). A file larger than the machine's memory and swap is refused unread, with
// ENOMEM.
Result<HistoryBytes> ReadHistoryFile(const std::filesystem::path& path);

}  // namespace palvarin

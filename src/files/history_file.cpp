#include "files/history_file.hpp"

#include <sys/mman.h>
#include <sys/sysinfo.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>

#include "file_failure.hpp"
#include "files/io_faults.hpp"
#include "regular_file.hpp"

namespace palvarin {
namespace {

// Smaller than any memory this program runs in: not worth asking the system (a folder job
// reads thousands of files).
constexpr std::uint64_t kAlwaysFits = 16 << 20;

// A file beyond memory and swap together can never be loaded. Asking for its room anyway
// could make the system start killing processes before the allocation fails.
bool FitsInMemory(std::uint64_t size) {
  if (size < kAlwaysFits) return true;
  struct sysinfo machine {};
  if (::sysinfo(&machine) != 0) return true;
  const std::uint64_t total =
      (std::uint64_t{machine.totalram} + machine.totalswap) * machine.mem_unit;
  return size < total;
}

}  // namespace

void FreeBytes::operator()(char* bytes) const { std::free(bytes); }

ByteBuffer AllocateBytes(std::size_t size) {
  if (size < 2 * kHugePage) return ByteBuffer(static_cast<char*>(std::malloc(size)));
  const std::size_t rounded = (size + kHugePage - 1) / kHugePage * kHugePage;
  auto* bytes = static_cast<char*>(std::aligned_alloc(kHugePage, rounded));
  // Only advice: without huge pages the room is the same, merely slower to touch.
  if (bytes != nullptr) ::madvise(bytes, rounded, MADV_HUGEPAGE);
  return ByteBuffer(bytes);
}

Result<HistoryBytes> ReadHistoryFile(const std::filesystem::path& path) {
  const RegularFile file(path);
  if (!file.IsOpen()) return Failure{file.Status().reason()};
  const auto size = static_cast<std::uint64_t>(file.Info().st_size);
  if (!FitsInMemory(size)) return FileFailure(ReasonKind::CannotRead, path, ENOMEM);
  HistoryBytes bytes;
  bytes.size = static_cast<std::size_t>(size);
  bytes.data = AllocateBytes(bytes.size + 1);
  if (!bytes.data) return FileFailure(ReasonKind::CannotRead, path, ENOMEM);
  std::size_t done = 0;
  while (done < bytes.size) {
    const ssize_t got = faults::Read(file.Get(), bytes.data.get() + done, bytes.size - done);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      return FileFailure(ReasonKind::CannotRead, path, errno);
    }
    if (got == 0) break;
    done += static_cast<std::size_t>(got);
  }
  if (done < bytes.size) {
    return Failure{{.kind = ReasonKind::ShortenedWhileRead, .path = path.string(), .code = EIO}};
  }
  return bytes;
}

}  // namespace palvarin

#include "history/xml_arena.hpp"

#include <cstdlib>
#include <map>
#include <mutex>
#include <pugixml.hpp>

namespace palvarin {
namespace {

constexpr std::size_t kAlignment = alignof(std::max_align_t);

thread_local XmlArena* current = nullptr;

// The chunks of every arena alive, by start and size: what the parser gives back is freed
// only when it came from malloc. Asked once per parser page when a document goes.
std::mutex chunksLock;
std::map<const char*, std::size_t>& Chunks() {
  static std::map<const char*, std::size_t> chunks;
  return chunks;
}

bool InSomeChunk(const void* memory) {
  const auto* byte = static_cast<const char*>(memory);
  const std::lock_guard<std::mutex> hold(chunksLock);
  const auto& chunks = Chunks();
  auto after = chunks.upper_bound(byte);
  if (after == chunks.begin()) return false;
  --after;
  return byte < after->first + after->second;
}

void* Allocate(std::size_t size) {
  if (current != nullptr) {
    if (void* memory = current->Take(size)) return memory;
  }
  return std::malloc(size);
}

void Deallocate(void* memory) {
  if (memory != nullptr && !InSomeChunk(memory)) std::free(memory);
}

// Installed before main, while no document exists and no other thread runs: what the parser
// took from malloc before is still freed right, as Deallocate frees all but arena room.
const bool installed = [] {
  pugi::set_memory_management_functions(Allocate, Deallocate);
  return true;
}();

}  // namespace

XmlArena::XmlArena(std::size_t chunk)
    : chunk_((chunk + kHugePage - 1) / kHugePage * kHugePage), used_(chunk_) {
  static_cast<void>(installed);
}

XmlArena::~XmlArena() {
  const std::lock_guard<std::mutex> hold(chunksLock);
  for (const ByteBuffer& chunk : chunks_) Chunks().erase(chunk.get());
}

XmlArena::Use::Use(XmlArena* arena) : previous_(current) { current = arena; }

XmlArena::Use::~Use() { current = previous_; }

void* XmlArena::Take(std::size_t size) {
  size = (size + kAlignment - 1) / kAlignment * kAlignment;
  if (size > chunk_) return nullptr;
  if (chunk_ - used_ < size) {
    ByteBuffer chunk = AllocateBytes(chunk_);
    if (!chunk) return nullptr;
    {
      const std::lock_guard<std::mutex> hold(chunksLock);
      Chunks().emplace(chunk.get(), chunk_);
    }
    chunks_.push_back(std::move(chunk));
    used_ = 0;
  }
  void* memory = chunks_.back().get() + used_;
  used_ += size;
  return memory;
}

}  // namespace palvarin

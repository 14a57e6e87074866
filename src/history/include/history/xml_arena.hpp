#pragma once

#include <cstddef>
#include <vector>

#include "files/history_file.hpp"

namespace palvarin {

// Room for the tree of one large document, taken in huge pages where the system has them:
// the parser asks for its nodes in small pages, and touching each small page of fresh memory
// for the first time costs as much as parsing what goes into it (on a virtual machine, more).
// While an XmlArena::Use is held, the parser's requests on that thread are served from the
// arena; everything it hands out is given back at once when the arena goes, so it must
// outlive the document (declared before it). Requests made at other times, and those of
// other documents, go to malloc as usual.
class XmlArena {
 public:
  // `chunk`: the room to take at a time, rounded up to huge pages.
  explicit XmlArena(std::size_t chunk);
  ~XmlArena();
  XmlArena(const XmlArena&) = delete;
  XmlArena& operator=(const XmlArena&) = delete;

  class Use {
   public:
    explicit Use(XmlArena* arena);
    ~Use();
    Use(const Use&) = delete;
    Use& operator=(const Use&) = delete;

   private:
    XmlArena* previous_;
  };

  // Room for `size` bytes, aligned for any type; none when no more can be had.
  void* Take(std::size_t size);

 private:
  std::size_t chunk_;
  std::vector<ByteBuffer> chunks_;
  std::size_t used_ = 0;  // of the last chunk
};

}  // namespace palvarin

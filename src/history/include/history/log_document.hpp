#pragma once

#include <filesystem>
#include <memory>
#include <pugixml.hpp>
#include <span>
#include <string>
#include <vector>

#include "base/result.hpp"
#include "files/history_file.hpp"
#include "history/xml_arena.hpp"

namespace palvarin {

// What a load does with a history that breaks off (a copy cut short, a crash, zeros of a lost
// block): refuses it, saying where it breaks and how many entries are whole before that, or
// rescues those entries. Rescue keeps only entries whose end tag came before the break; the
// entry at the break and all that follows are left out, and the document's Damage says so.
enum class BrokenOff : std::uint8_t { Refuse, Rescue };

// One message-history XML document in memory: an input loaded from a file or the output
// being built. Copies are shared handles to the same document, which lives until the last
// handle goes. Nodes taken from it (pugi::xml_node) are valid while a handle is held.
class LogDocument {
 public:
  pugi::xml_document& Xml() { return data_->document; }
  const pugi::xml_document& Xml() const { return data_->document; }
  // The document element ("Log" in Messenger's files).
  pugi::xml_node Root() const { return data_->document.document_element(); }
  // Where a history that breaks off was cut, and how many whole entries it gave
  // (ReasonKind::BrokenOff...); ReasonKind::None for a whole one.
  const Reason& Damage() const { return data_->damage; }

 private:
  struct Data {
    ByteBuffer buffer;                // parsed in place: the tree points into it
    std::unique_ptr<XmlArena> arena;  // the tree's room when the file is large; outlives it
    pugi::xml_document document;
    Reason damage{};
  };
  explicit LogDocument(std::shared_ptr<Data> data) : data_(std::move(data)) {}
  // ParseLogDocument's work, keeping the last `tailKept` bytes as read for a rescue.
  static Result<LogDocument> Parse(HistoryBytes bytes, const std::filesystem::path& path,
                                   BrokenOff brokenOff, std::size_t tailKept);

  std::shared_ptr<Data> data_;

  friend Result<LogDocument> ParseLogDocument(HistoryBytes bytes, const std::filesystem::path& path,
                                              BrokenOff brokenOff);
};

// The children of a node in document order, all node kinds, read by index.
using NodeList = std::vector<pugi::xml_node>;

// Loads a history file; none when it is missing, unreadable, not a regular file (see
// ReadHistoryFile), or not one well-formed document whose one top-level element is "Log" (no
// top-level text, no document type declaration, no NUL, no repeated attribute); the result
// then says why, naming the file. Raises XmlError only when memory runs out.
Result<LogDocument> LoadLogDocument(const std::filesystem::path& path,
                                    BrokenOff brokenOff = BrokenOff::Refuse);

// LoadLogDocument in two steps, for a caller that looks at the bytes before they are parsed
// (the parse writes into them): ReadLogBytes reads the file, ParseLogDocument loads what was
// read from `path`. Each raises XmlError only when memory runs out.
Result<HistoryBytes> ReadLogBytes(const std::filesystem::path& path);
Result<LogDocument> ParseLogDocument(HistoryBytes bytes, const std::filesystem::path& path,
                                     BrokenOff brokenOff = BrokenOff::Refuse);

// The child nodes of `node`, in document order.
NodeList ChildNodes(pugi::xml_node node);

// Moves `index` forward to the first element node at or after it, or to the list's length.
void SkipToElement(const NodeList& list, int& index);

// The attribute `name` of `node`; empty when the node is empty or has no such attribute.
pugi::xml_attribute FindAttribute(pugi::xml_node node, const char* name);

// The single descendant element named `name` at any depth; empty when there are none or
// several, or when `node` is empty or no element.
pugi::xml_node FindUniqueElement(pugi::xml_node node, const char* name);

// FindUniqueElement for up to 32 names in one walk: `found[i]` for `names[i]`.
void FindUniqueElements(pugi::xml_node node, std::span<const char* const> names,
                        std::span<pugi::xml_node> found);

// All character data (text and CDATA) of `node` and below, in document order, unchanged; an
// element's own value is its leading text.
std::string ElementText(pugi::xml_node node);

// ElementText(a) == ElementText(b), without copying the texts where each is in one piece.
bool SameElementText(pugi::xml_node a, pugi::xml_node b);

// Sets the attribute `name` of `element` to the decimal text of `value`, replacing an
// existing one in its place or adding it last.
void SetIntegerAttribute(pugi::xml_node element, const char* name, int value);

}  // namespace palvarin

#include "history/log_document.hpp"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>
#include <string_view>

#include "broken_off.hpp"
#include "files/history_file.hpp"
#include "forbidden_characters.hpp"
#include "history/xml_error.hpp"
#include "history/xml_inline.hpp"

namespace palvarin {
namespace {

// Fragment parsing keeps top-level text visible, so that it can be refused below, and so is
// a document type declaration. Comments and processing instructions inside entries are kept
// so that copies carry them along. An element's leading text is kept as its own value rather
// than a node of its own: one node less per message, a large part of a file's memory.
constexpr unsigned kParseOptions =
    pugi::parse_default | pugi::parse_ws_pcdata | pugi::parse_fragment | pugi::parse_declaration |
    pugi::parse_pi | pugi::parse_comments | pugi::parse_doctype | pugi::parse_embed_pcdata;

constexpr std::size_t kArenaFrom = std::size_t{4} << 20;

bool IsWhiteSpace(const char* text) {
  return std::all_of(text, text + std::strlen(text),
                     [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; });
}

// Exactly one element at top level, named "Log", no text there but white space, and no
// document type declaration: the parser applies none of its entities and default attributes,
// so the entries read would differ from the document's own (and an external entity is never
// fetched). Any other root is another kind of document, whose elements must never be merged
// as entries. Why not, or ReasonKind::None.
ReasonKind TopLevelRefusal(const pugi::xml_document& document) {
  int elements = 0;
  for (pugi::xml_node node : document.children()) {
    if (node.type() == pugi::node_element) ++elements;
    if (node.type() == pugi::node_doctype) {
      return ReasonKind::HasDocumentType;
    }
    if (node.type() == pugi::node_cdata ||
        (node.type() == pugi::node_pcdata && !IsWhiteSpace(node.value()))) {
      return ReasonKind::TextOutsideRoot;
    }
  }
  if (elements == 0) return ReasonKind::NoElement;
  if (elements > 1) return ReasonKind::SeveralRoots;
  if (std::strcmp(document.document_element().name(), "Log") != 0) return ReasonKind::RootNotLog;
  return ReasonKind::None;
}

// The text as the parser read it: code units of the encoding it found.
CodeUnits UnitsOf(const char* bytes, std::size_t size, pugi::xml_encoding encoding) {
  CodeUnits units{.bytes = bytes, .size = size};
  if (encoding == pugi::encoding_utf16_le || encoding == pugi::encoding_utf16_be) units.unit = 2;
  if (encoding == pugi::encoding_utf32_le || encoding == pugi::encoding_utf32_be) units.unit = 4;
  units.bigEndian = encoding == pugi::encoding_utf16_be || encoding == pugi::encoding_utf32_be;
  return units;
}

// XML has no character U+0000, and the parser takes one, written or referred to, for the end
// of the text: whatever follows would be dropped without a word and lost at the next
// overwrite. References to the other characters XML forbids would come out as bytes that are
// no UTF-8. Both are looked for anywhere in the file, comments and CDATA included, where no
// history writes them: a file refused is better than a text cut short.
Reason ForbiddenCharacterIn(const CodeUnits& text) {
  if (const auto at = FindNulCharacter(text)) return {.kind = ReasonKind::HoldsNul, .offset = *at};
  if (const auto at = FindForbiddenReference(text)) {
    return {.kind = ReasonKind::ForbiddenReference, .offset = *at};
  }
  return {};
}

// Stops at the first element with two attributes of the same name. The library walks the
// tree itself, which is several times faster than stepping through it node by node here.
class RepeatedAttributeFinder : public pugi::xml_tree_walker {
 public:
  bool for_each(pugi::xml_node& node) override {
    if (node.type() != pugi::node_element) return true;
    entries += depth() == 1;
    return !HasRepeatedAttribute(node);
  }

  std::uint64_t entries = 0;  // elements met under the root

 private:
  bool HasRepeatedAttribute(pugi::xml_node element) {
    pugi::xml_attribute first = element.first_attribute();
    if (!Exists(first) || !Exists(first.next_attribute())) return false;
    names_.clear();  // reused: no allocation per element
    for (pugi::xml_attribute at = first; Exists(at); at = at.next_attribute()) {
      names_.push_back(at.name());
    }
    // An entry has a handful of attributes, mostly with different first letters: comparing
    // each pair is cheapest. Sorting keeps an element with very many of them from taking
    // quadratic time.
    const auto same = [](const char* a, const char* b) {
      return *a == *b && std::strcmp(a, b) == 0;
    };
    if (names_.size() <= 8) {
      for (auto a = names_.begin(); a != names_.end(); ++a) {
        for (auto b = a + 1; b != names_.end(); ++b) {
          if (same(*a, *b)) return true;
        }
      }
      return false;
    }
    std::sort(names_.begin(), names_.end(),
              [](const char* a, const char* b) { return std::strcmp(a, b) < 0; });
    return std::adjacent_find(names_.begin(), names_.end(), same) != names_.end();
  }

  std::vector<const char*> names_;
};

// The next node of a pre-order walk below `top`, without recursion.
pugi::xml_node NextInTree(pugi::xml_node node, pugi::xml_node top) {
  if (node.first_child()) return node.first_child();
  while (node != top) {
    if (node.next_sibling()) return node.next_sibling();
    node = node.parent();
  }
  return {};
}

// Also counts the entries, the elements under the root, into `entries`.
bool AnyRepeatedAttribute(pugi::xml_document& document, std::uint64_t& entries) {
  RepeatedAttributeFinder finder;
  const bool repeated = !document.traverse(finder);
  entries = finder.entries;
  return repeated;
}

}  // namespace

Result<HistoryBytes> ReadLogBytes(const std::filesystem::path& path) {
  Result<HistoryBytes> read = ReadHistoryFile(path);
  if (read.code() == ENOMEM) {
    throw XmlError(kErrorOutOfMemory, {.kind = ReasonKind::NoMemoryToRead, .path = path.string()});
  }
  return read;
}

Result<LogDocument> LoadLogDocument(const std::filesystem::path& path, BrokenOff brokenOff) {
  Result<HistoryBytes> read = ReadLogBytes(path);
  if (!read) return Failure{read.reason()};
  return ParseLogDocument(std::move(*read), path, brokenOff);
}

namespace {

// How much of the end of a file that may break off is kept as read: the parse writes into the
// bytes, and finding the break and whether the last entry before it ends needs them as they
// were from that entry's start on. Far more than an entry of Messenger's takes, and a small part
// of a large file, whose whole copy cost a tenth of its load.
constexpr std::size_t kRescueTail = std::size_t{256} << 10;

// The end of a text that may break off as it was read, up to the first NUL (else the end).
struct OriginalTail {
  ByteBuffer bytes;
  std::size_t from = 0;  // where in the text the copy starts
  std::size_t size = 0;
  std::string_view View() const { return {bytes.get(), size}; }
};

OriginalTail CopyTail(std::string_view text, std::size_t most) {
  OriginalTail tail;
  tail.from = text.size() > most ? text.size() - most : 0;
  tail.size = text.size() - tail.from;
  tail.bytes = AllocateBytes(tail.size + 1);
  if (!tail.bytes) throw XmlError(kErrorOutOfMemory, {.kind = ReasonKind::NoMemoryToLoad});
  std::memcpy(tail.bytes.get(), text.data() + tail.from, tail.size);
  return tail;
}

// What a rescue found of a text that breaks off: where it breaks (kNoBreak when it does not,
// or cannot be rescued), or that the tail kept does not reach back to where the rescue reads.
constexpr std::size_t kNoBreak = std::string_view::npos;
struct BreakFound {
  std::size_t at = kNoBreak;
  bool tailTooShort = false;
};

// Where the well-formedness breaks: the first NUL, else where the parser found the fault (the
// end of a text that merely ran out: BreakAt), else none.
BreakFound BreakOf(const pugi::xml_parse_result& parsed, const Reason& asBytes,
                   const pugi::xml_document& document, const OriginalTail& tail,
                   const char* inPlace) {
  const bool holdsNul = asBytes.kind == ReasonKind::HoldsNul;
  if (!holdsNul && parsed) return {};
  const std::optional<std::size_t> from = RescueReadsFrom(document, inPlace);
  if (!from) return {};
  const auto fault = static_cast<std::size_t>(parsed.offset);
  if (*from < tail.from || (!holdsNul && fault < tail.from)) return {kNoBreak, true};
  if (holdsNul) return {.at = asBytes.offset};
  return {.at = tail.from + BreakAt(document, tail.View(), inPlace + tail.from, fault - tail.from)};
}

// The file read again, for a rescue that must reach back further than the tail kept; none when
// it changed meanwhile: what was read first is then refused as it stands.
std::optional<HistoryBytes> ReadAgain(const std::filesystem::path& path, std::size_t size,
                                      const OriginalTail& tail) {
  Result<HistoryBytes> again = ReadLogBytes(path);
  if (!again || again->size != size ||
      std::string_view(again->data.get() + tail.from, tail.size) != tail.View()) {
    return std::nullopt;
  }
  return std::move(*again);
}

}  // namespace

Result<LogDocument> LogDocument::Parse(HistoryBytes bytes, const std::filesystem::path& path,
                                       BrokenOff brokenOff, std::size_t tailKept) {
  const auto refuse = [&path](Reason why) {
    why.path = path.string();
    return Failure{std::move(why)};
  };
  auto data = std::make_shared<LogDocument::Data>();
  data->buffer = std::move(bytes.data);
  // The tree takes about twice the file's size; a small file's tree is left to malloc.
  if (bytes.size >= kArenaFrom) data->arena = std::make_unique<XmlArena>(2 * bytes.size);
  const XmlArena::Use arena(data->arena.get());
  // An in-place parse of UTF-8 writes terminators into the buffer: look at its bytes first.
  // Other encodings are converted into a buffer of the parser's, leaving this one as read.
  Reason asBytes =
      ForbiddenCharacterIn(UnitsOf(data->buffer.get(), bytes.size, pugi::encoding_utf8));
  const std::string_view text(data->buffer.get(), bytes.size);
  const bool holdsNul = asBytes.kind == ReasonKind::HoldsNul;
  std::optional<OriginalTail> tail;
  Reason beforeNul;
  if (MayBreakOff(text, holdsNul)) {
    // The text a rescue reads ends at the first NUL, and only what comes before it must be free
    // of forbidden references: looked through before the parse writes into it.
    const std::size_t end = holdsNul ? asBytes.offset : bytes.size;
    tail = CopyTail(text.substr(0, end), tailKept);
    if (holdsNul) beforeNul = ForbiddenCharacterIn(UnitsOf(text.data(), end, pugi::encoding_utf8));
  }
  pugi::xml_parse_result parsed =
      data->document.load_buffer_inplace(data->buffer.get(), bytes.size, kParseOptions);
  if (parsed.status == pugi::status_out_of_memory) {
    throw XmlError(kErrorOutOfMemory, {.kind = ReasonKind::NoMemoryToLoad, .path = path.string()});
  }
  if (tail && parsed.encoding == pugi::encoding_utf8) {
    const BreakFound found = BreakOf(parsed, asBytes, data->document, *tail, data->buffer.get());
    if (found.tailTooShort) {
      // Once only: the whole text is kept the second time.
      if (std::optional<HistoryBytes> again = ReadAgain(path, bytes.size, *tail)) {
        return Parse(std::move(*again), path, brokenOff, bytes.size);
      }
    }
    // Without a NUL the whole text was looked through already: only a reference at or after
    // the break is let be.
    const bool breaks = found.at != kNoBreak;
    if (breaks) asBytes = holdsNul || asBytes.offset >= found.at ? beforeNul : asBytes;
    if (breaks && asBytes.kind == ReasonKind::None) {
      const std::size_t breakAt = found.at - tail->from;
      data->damage = KeepWholeEntries(data->document, tail->View().substr(0, breakAt),
                                      data->buffer.get() + tail->from, breakAt);
      data->damage.offset += tail->from;
      data->damage.path = path.string();
      if (data->damage.kind != ReasonKind::None) parsed.status = pugi::status_ok;
    }
  }
  if (!parsed) {
    return refuse({.kind = ReasonKind::NotWellFormed,
                   .detail = parsed.description(),
                   .offset = static_cast<std::uint64_t>(parsed.offset)});
  }
  if (const ReasonKind why = TopLevelRefusal(data->document); why != ReasonKind::None) {
    const bool named = why == ReasonKind::RootNotLog;
    return refuse({.kind = why, .detail = named ? data->document.document_element().name() : ""});
  }
  const CodeUnits read = UnitsOf(data->buffer.get(), bytes.size, parsed.encoding);
  if (Reason why = read.unit == 1 ? asBytes : ForbiddenCharacterIn(read);
      why.kind != ReasonKind::None) {
    return refuse(std::move(why));
  }
  std::uint64_t entries = 0;
  if (AnyRepeatedAttribute(data->document, entries)) {
    return refuse({.kind = ReasonKind::RepeatedAttribute});
  }
  if (data->damage.kind != ReasonKind::None) data->damage.count = entries;
  if (data->damage.kind != ReasonKind::None && brokenOff == BrokenOff::Refuse) {
    return Failure{data->damage};
  }
  return LogDocument(std::move(data));
}

Result<LogDocument> ParseLogDocument(HistoryBytes bytes, const std::filesystem::path& path,
                                     BrokenOff brokenOff) {
  return LogDocument::Parse(std::move(bytes), path, brokenOff, kRescueTail);
}

NodeList ChildNodes(pugi::xml_node node) {
  // Counted first: a list grown step by step holds up to twice the room, and copies itself.
  std::size_t count = 0;
  for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling()) ++count;
  NodeList list;
  list.reserve(count);
  for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling()) {
    list.push_back(child);
  }
  return list;
}

void SkipToElement(const NodeList& list, int& index) {
  const int length = static_cast<int>(list.size());
  while (index < length && list[static_cast<std::size_t>(index)].type() != pugi::node_element) {
    ++index;
  }
}

pugi::xml_attribute FindAttribute(pugi::xml_node node, const char* name) {
  return node.attribute(name);
}

pugi::xml_node FindUniqueElement(pugi::xml_node node, const char* name) {
  pugi::xml_node found;
  FindUniqueElements(node, {&name, 1}, {&found, 1});
  return found;
}

namespace {

// Remembers, for each name, the first element of that name met and whether there were more.
class UniqueElementFinder : public pugi::xml_tree_walker {
 public:
  UniqueElementFinder(std::span<const char* const> names, std::span<pugi::xml_node> found)
      : names_(names), found_(found) {}

  bool for_each(pugi::xml_node& node) override {
    if (node.type() != pugi::node_element) return true;
    const char* name = node.name();
    for (std::size_t i = 0; i < names_.size(); ++i) {
      if (name[0] != names_[i][0] || std::strcmp(name, names_[i]) != 0) continue;
      if (found_[i]) several_ |= 1u << i;
      found_[i] = node;
    }
    return true;
  }

  // Empties the names met more than once.
  void DropSeveral() {
    for (std::size_t i = 0; i < names_.size(); ++i) {
      if (several_ & (1u << i)) found_[i] = {};
    }
  }

 private:
  std::span<const char* const> names_;
  std::span<pugi::xml_node> found_;
  std::uint32_t several_ = 0;
};

}  // namespace

void FindUniqueElements(pugi::xml_node node, std::span<const char* const> names,
                        std::span<pugi::xml_node> found) {
  std::fill(found.begin(), found.end(), pugi::xml_node{});
  if (node.type() != pugi::node_element) return;
  UniqueElementFinder finder(names, found);
  node.traverse(finder);
  finder.DropSeveral();
}

std::string ElementText(pugi::xml_node node) {
  std::string text;
  for (pugi::xml_node at = node; at; at = NextInTree(at, node)) {
    // An element's value is the text before its first child.
    const pugi::xml_node_type type = at.type();
    if (type == pugi::node_element || type == pugi::node_pcdata || type == pugi::node_cdata) {
      text += at.value();
    }
  }
  return text;
}

namespace {

// The whole text of an element when it is in one piece: its own value with no children, or
// the value of its one text child; null otherwise.
const char* SoleText(pugi::xml_node element) {
  pugi::xml_node child = element.first_child();
  if (!child) return element.value();
  if (child.next_sibling() || *element.value()) return nullptr;
  const pugi::xml_node_type type = child.type();
  return type == pugi::node_pcdata || type == pugi::node_cdata ? child.value() : nullptr;
}

}  // namespace

bool SameElementText(pugi::xml_node a, pugi::xml_node b) {
  const char* soleA = SoleText(a);
  const char* soleB = SoleText(b);
  if (soleA && soleB) return std::strcmp(soleA, soleB) == 0;
  return ElementText(a) == ElementText(b);
}

void SetIntegerAttribute(pugi::xml_node element, const char* name, int value) {
  pugi::xml_attribute attribute = element.attribute(name);
  if (!attribute) attribute = element.append_attribute(name);
  if (!attribute || !attribute.set_value(value)) {
    throw XmlError(kErrorOutOfMemory, {.kind = ReasonKind::NoMemoryToSet, .detail = name});
  }
}

}  // namespace palvarin

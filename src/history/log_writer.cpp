#include "history/log_writer.hpp"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>

#include "history/xml_inline.hpp"

namespace palvarin {
namespace {

constexpr std::size_t kFlushSize = 1 << 20;
constexpr std::string_view kLogProlog =
    "<?xml version=\"1.0\"?>\r\n"
    "<?xml-stylesheet type='text/xsl' href='MessageLog.xsl'?>\r\n"
    "<Log FirstSessionID=\"1\" LastSessionID=\"";

// The decimal text of `value`, ended by a NUL.
std::array<char, 16> DecimalText(int value) {
  std::array<char, 16> digits{};
  std::to_chars(digits.data(), digits.data() + digits.size() - 1, value);
  return digits;
}

// Appends to a string through room made ahead of the writing: an entry is dozens of short
// names and values, and std::string's append costs a call, a check and an end mark for each.
// The room is made a little at a time, as each new byte of it is first set to zero.
class Out {
 public:
  explicit Out(std::string& text) : text_(text), used_(text.size()) {}
  ~Out() { text_.resize(used_); }
  Out(const Out&) = delete;
  Out& operator=(const Out&) = delete;

  Out& operator+=(char c) {
    *Room(1) = c;
    ++used_;
    return *this;
  }
  Out& operator+=(std::string_view text) {
    Append(text.data(), text.size());
    return *this;
  }
  void Append(const char* bytes, std::size_t count) {
    std::memcpy(Room(count), bytes, count);
    used_ += count;
  }

 private:
  char* Room(std::size_t count) {
    if (text_.size() - used_ < count) text_.resize(used_ + std::max<std::size_t>(count, 256));
    return text_.data() + used_;
  }

  std::string& text_;
  std::size_t used_;
};

// Text content: markup characters and CR (which a read would turn into LF) as references.
const char* TextReference(char c) {
  switch (c) {
    case '&':
      return "&amp;";
    case '<':
      return "&lt;";
    case '>':
      return "&gt;";
    case '\r':
      return "&#xD;";
    default:
      return nullptr;
  }
}

// Attribute values in double quotes; a read turns raw tab, LF and CR into blanks.
const char* AttributeReference(char c) {
  switch (c) {
    case '"':
      return "&quot;";
    case '\t':
      return "&#x9;";
    case '\n':
      return "&#xA;";
    default:
      return TextReference(c);
  }
}

// Appends `text` with the characters of `special` replaced by their `reference`, the runs
// between them in one piece each.
template <const char* (*reference)(char)>
void AppendEscaped(Out& out, const char* text, const char* special) {
  if (*text == '\0') return;  // most elements hold no text of their own
  while (true) {
    const std::size_t run = std::strcspn(text, special);
    out.Append(text, run);
    text += run;
    if (*text == '\0') return;
    out += reference(*text++);
  }
}

void AppendText(Out& out, const char* text) { AppendEscaped<TextReference>(out, text, "&<>\r"); }

void AppendAttributeValue(Out& out, const char* text) {
  AppendEscaped<AttributeReference>(out, text, "&<>\"\t\n\r");
}

void OpenTag(Out& out, pugi::xml_node element, const char* sessionId) {
  out += '<';
  out += element.name();
  bool sessionWritten = false;
  for (pugi::xml_attribute attribute = element.first_attribute(); Exists(attribute);
       attribute = attribute.next_attribute()) {
    const char* name = attribute.name();
    (out += ' ') += name;
    out += "=\"";
    const bool isSession = sessionId && std::strcmp(name, "SessionID") == 0;
    AppendAttributeValue(out, isSession ? sessionId : attribute.value());
    sessionWritten |= isSession;
    out += '"';
  }
  if (sessionId && !sessionWritten) {
    out += " SessionID=\"";
    out += sessionId;
    out += '"';
  }
}

// A pre-order walk with explicit climbing, so that no nesting depth can exhaust the stack.
// Each node's links are asked once: every accessor is a call into the library.
void AppendTree(std::string& text, pugi::xml_node top, const char* sessionId) {
  Out out(text);
  pugi::xml_node node = top;
  while (true) {
    switch (node.type()) {
      case pugi::node_element: {
        OpenTag(out, node, Same(node, top) ? sessionId : nullptr);
        const pugi::xml_node child = node.first_child();
        const char* value = node.value();  // the element's text before its first child
        if (!Exists(child) && !*value) {
          out += "/>";
          break;
        }
        out += '>';
        AppendText(out, value);
        if (Exists(child)) {
          node = child;
          continue;
        }
        ((out += "</") += node.name()) += '>';
        break;
      }
      case pugi::node_pcdata:
        AppendText(out, node.value());
        break;
      case pugi::node_cdata:  // a read turns any CR in a section into LF, so none is left
        ((out += "<![CDATA[") += node.value()) += "]]>";
        break;
      case pugi::node_comment:
        ((out += "<!--") += node.value()) += "-->";
        break;
      case pugi::node_pi:
        out += "<?";
        out += node.name();
        if (*node.value()) (out += ' ') += node.value();
        out += "?>";
        break;
      case pugi::node_declaration:  // always UTF-8, whatever the input declared
        out += "<?xml version=\"1.0\"?>";
        break;
      default:
        break;
    }
    // Climb until a node with a next sibling, closing the elements left behind.
    if (Same(node, top)) break;
    pugi::xml_node next = node.next_sibling();
    while (!Exists(next)) {
      node = node.parent();
      ((out += "</") += node.name()) += '>';
      if (Same(node, top)) return;
      next = node.next_sibling();
    }
    node = next;
  }
}

}  // namespace

void LogWriter::WriteTree(pugi::xml_node top, const char* sessionId) {
  AppendTree(buffer_, top, sessionId);
  MaybeFlush();
}

void LogWriter::BeginLog(int lastSession) {
  buffer_ += kLogProlog;
  buffer_ += DecimalText(lastSession).data();
  buffer_ += '"';
}

void LogWriter::OpenRoot() {
  if (!rootHasEntries_) buffer_ += '>';
  rootHasEntries_ = true;
}

void LogWriter::WriteEntry(pugi::xml_node entry, int session) {
  OpenRoot();
  WriteTree(entry, DecimalText(session).data());
}

void LogWriter::FormatEntry(std::string& out, pugi::xml_node entry, int session) {
  AppendTree(out, entry, DecimalText(session).data());
}

void LogWriter::WriteFormattedEntries(std::string_view entries) {
  if (entries.empty()) return;
  OpenRoot();
  Flush();
  if (!failed_) failed_ = !file_.Write(entries);
}

void LogWriter::EndLog() { buffer_ += rootHasEntries_ ? "</Log>\r\n" : "/>\r\n"; }

void LogWriter::MaybeFlush() {
  if (buffer_.size() >= kFlushSize) Flush();
}

bool LogWriter::Flush() {
  if (!failed_ && !buffer_.empty()) failed_ = !file_.Write(buffer_);
  buffer_.clear();
  return !failed_;
}

}  // namespace palvarin

#include <algorithm>
#include <cstring>
#include <optional>

#include "base/json_string.hpp"
#include "entry_writer.hpp"
#include "inert_text.hpp"
#include "time/utc_stamp.hpp"

namespace palvarin {
namespace {

void AppendOptional(std::string& out, const std::optional<std::string_view>& value) {
  if (value) {
    AppendJsonString(out, *value);
  } else {
    out += "null";
  }
}

bool IsReadAlready(const char* name) {
  for (const char* read : {"Date", "Time", "DateTime", "SessionID", "From", "To", "Text", "User"}) {
    if (std::strcmp(name, read) == 0) return true;
  }
  return false;
}

// Who joined or left: the "FriendlyName" of a "User" right below the entry, which "Join" and
// "Leave" entries hold instead of a "From".
std::optional<std::string_view> DirectUser(pugi::xml_node node) {
  const pugi::xml_node user = node.child("User");
  if (!user) return std::nullopt;
  return std::string_view(user.attribute("FriendlyName").value());
}

// An entry of another kind than a message: its attributes and the text of its other elements
// ("Application", ...), each under its name, the first of a name kept.
void AppendAttributes(std::string& out, pugi::xml_node node) {
  out += ",\"attributes\":{";
  std::vector<std::string_view> names;
  const auto add = [&](const char* name, std::string_view value) {
    if (IsReadAlready(name) || std::find(names.begin(), names.end(), name) != names.end()) return;
    if (!names.empty()) out += ',';
    names.emplace_back(name);
    AppendJsonString(out, name);
    out += ':';
    AppendJsonString(out, value);
  };
  for (const pugi::xml_attribute attribute : node.attributes()) {
    add(attribute.name(), attribute.value());
  }
  for (const pugi::xml_node child : node.children()) {
    if (child.type() == pugi::node_element) add(child.name(), ElementText(child));
  }
  out += '}';
}

// One JSON object per entry, on one line each.
class JsonLinesWriter : public EntryWriter {
 public:
  void Begin(std::string& /*out*/) override {}
  void Session(std::string& /*out*/, const ExportedEntry& /*first*/) override {}

  void Entry(std::string& out, const ExportedEntry& exported) override {
    const ReadableEntry& entry = exported.readable;
    out += "{\"session\":";
    out += entry.session >= 0 ? std::to_string(entry.session) : "null";
    out += ",\"kind\":";
    AppendJsonString(out, entry.kind);
    out += ",\"time\":";
    const bool utc = entry.dateTime && ParseUtcStamp(*entry.dateTime);
    AppendOptional(out, utc ? entry.dateTime : std::nullopt);
    out += ",\"date\":";
    AppendOptional(out, entry.date);
    out += ",\"clock\":";
    AppendOptional(out, entry.clock);
    out += ",\"from\":";
    AppendOptional(out, entry.from ? entry.from : DirectUser(exported.entry.node));
    out += ",\"to\":[";
    for (std::size_t i = 0; i < entry.to.size(); ++i) {
      if (i > 0) out += ',';
      AppendJsonString(out, entry.to[i]);
    }
    out += "],\"text\":";
    if (entry.text) {
      // Most texts hold no CR: those need no copy.
      const bool lf = entry.text->find('\r') == std::string::npos;
      AppendJsonString(out, lf ? *entry.text : LineBreaksAsLf(*entry.text));
    } else {
      out += "null";
    }
    out += ",\"style\":";
    AppendOptional(out, entry.style);
    if (entry.kind != "Message") AppendAttributes(out, exported.entry.node);
    out += "}\n";
  }

  void End(std::string& /*out*/) override {}
};

}  // namespace

std::unique_ptr<EntryWriter> MakeJsonLinesWriter() { return std::make_unique<JsonLinesWriter>(); }

}  // namespace palvarin

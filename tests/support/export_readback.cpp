#include "support/export_readback.hpp"

#include <cstdio>
#include <nlohmann/json.hpp>
#include <pugixml.hpp>
#include <sstream>

#include "history/log_document.hpp"
#include "history/readable_entry.hpp"
#include "support/test_support.hpp"
#include "texts/export_text.hpp"

namespace palvarin::test {
namespace {

std::string WithLf(std::string text) {
  std::string out;
  for (std::size_t at = 0; at < text.size(); ++at) {
    if (text[at] != '\r') {
      out += text[at];
    } else {
      out += '\n';
      if (at + 1 < text.size() && text[at + 1] == '\n') ++at;
    }
  }
  return out;
}

bool HasClass(pugi::xml_node node, const char* wanted) {
  std::istringstream classes(node.attribute("class").value());
  for (std::string name; classes >> name;) {
    if (name == wanted) return true;
  }
  return false;
}

pugi::xml_node ChildOfClass(pugi::xml_node node, const char* wanted) {
  for (pugi::xml_node child : node.children()) {
    if (HasClass(child, wanted)) return child;
    if (pugi::xml_node below = ChildOfClass(child, wanted)) return below;
  }
  return {};
}

std::vector<ShownMessage> FromHtml(const std::filesystem::path& file) {
  pugi::xml_document page;
  if (!page.load_file(file.c_str(), pugi::parse_default | pugi::parse_ws_pcdata)) return {};
  std::vector<ShownMessage> shown;
  for (pugi::xpath_node found : page.select_nodes("//div")) {
    const pugi::xml_node entry = found.node();
    if (!HasClass(entry, "e")) continue;
    shown.push_back({ChildOfClass(entry, "f").text().get(), ChildOfClass(entry, "t").text().get()});
  }
  return shown;
}

// "YYYY-MM-DD HH:MM:SS  Sender: text", the text's further lines indented by four spaces.
std::vector<ShownMessage> FromText(const std::filesystem::path& file) {
  std::istringstream lines(ReadFile(file));
  std::vector<ShownMessage> shown;
  bool inMessage = false;
  std::string line;
  std::getline(lines, line);  // the title
  while (std::getline(lines, line)) {
    if (line.starts_with("    ")) {
      if (inMessage) shown.back().text += "\n" + line.substr(4);
      continue;
    }
    inMessage = false;
    if (line.empty() || line.starts_with("== ") || line.size() < 21) continue;
    const std::string rest = line.substr(21);
    if (rest.starts_with("* ")) continue;  // not a message
    const std::size_t colon = rest.find(": ");
    if (colon == std::string::npos) {
      shown.push_back({"", rest});
    } else {
      shown.push_back({rest.substr(0, colon), rest.substr(colon + 2)});
    }
    inMessage = true;
  }
  return shown;
}

std::vector<ShownMessage> FromJsonLines(const std::filesystem::path& file) {
  std::istringstream lines(ReadFile(file));
  std::vector<ShownMessage> shown;
  for (std::string line; std::getline(lines, line);) {
    const nlohmann::json entry = nlohmann::json::parse(line);
    if (entry.at("kind") != "Message") continue;
    shown.push_back({entry.at("from").is_null() ? "" : entry.at("from").get<std::string>(),
                     entry.at("text").is_null() ? "" : entry.at("text").get<std::string>()});
  }
  return shown;
}

}  // namespace

std::vector<ShownMessage> MessagesOfHistory(const std::filesystem::path& history) {
  std::vector<ShownMessage> messages;
  const Result<LogDocument> loaded = LoadLogDocument(history);
  if (!loaded) return messages;
  for (pugi::xml_node node : loaded->Root().children()) {
    if (node.type() != pugi::node_element) continue;
    const ReadableEntry entry = ReadReadableEntry(LogEntry{node});
    if (entry.kind != "Message") continue;
    messages.push_back(
        {std::string(entry.from.value_or("")), WithLf(entry.text.value_or(std::string()))});
  }
  return messages;
}

std::vector<ShownMessage> MessagesInExport(const std::filesystem::path& file, ExportFormat format) {
  switch (format) {
    case ExportFormat::Html:
      return FromHtml(file);
    case ExportFormat::Text:
      return FromText(file);
    case ExportFormat::JsonLines:
      break;
  }
  return FromJsonLines(file);
}

ExportResult ExportInProcess(const std::filesystem::path& input,
                             const std::filesystem::path& folder, ExportFormat format) {
  struct Silent : JobObserver {
    void WaitingForOtherJob() override {}
  } observer;
  return RunExportJob(
      {.format = format, .inputs = {input}, .outputFolder = folder, .words = ExportWordsInUse()},
      observer);
}

std::string HostileHistory() {
  // Each payload would, if it ran, write "PWNED" into the page or load something.
  const char* const payloads[] = {
      "&lt;script&gt;document.title='PWNED'&lt;/script&gt;",
      "&lt;img src=x onerror=\"document.body.setAttribute('data-pwned','1')\"&gt;",
      "&lt;a href=\"javascript:document.title='PWNED'\"&gt;click&lt;/a&gt;",
      "&lt;/div&gt;&lt;/section&gt;&lt;script&gt;document.title='PWNED'&lt;/script&gt;",
      "&lt;![CDATA[&lt;script&gt;document.title='PWNED'&lt;/script&gt;]]&gt;",
      "<![CDATA[<svg onload=\"document.title='PWNED'\"></svg>]]>",
      "&lt;iframe src=\"https://example.com/\"&gt;&lt;/iframe&gt;&lt;link rel=stylesheet "
      "href=https://example.com/x.css&gt;",
      "bidi \xE2\x80\xAE"
      "txt.exe \xE2\x81\xA6isolate\xE2\x81\xA9 end",
      "controls &#x1b;[31mred&#x1b;[0m bell&#x7; c1:\xC2\x9B"
      "31m",
      "&lt;style&gt;body{background:url(https://example.com/x.png)}&lt;/style&gt;",
  };
  const char* const names[] = {
      "&lt;script&gt;document.title='PWNED'&lt;/script&gt;",
      "&quot;&gt;&lt;img src=x onerror=document.title='PWNED'&gt;",
      "O'Brien &quot;quoted&quot; \xE2\x80\xAEreversed",
  };
  const char* const styles[] = {
      "font-family:x;background:url(https://example.com/a.png); color:red",
      "color:expression(document.title='PWNED')",
      "font-family:\\&quot;a\\&quot;;color:#123456",
      "font-family:&quot;&gt;&lt;script&gt;x&lt;/script&gt;",
      "color: #ff0000; font-weight: bold; font-style: italic; text-decoration: underline "
      "line-through; behavior:url(x.htc); -moz-binding:url(x.xml)",
      "font-family:a/**/b;color:rgb(1,2,3)",
  };
  std::string history = "<?xml version=\"1.0\"?>\r\n<Log FirstSessionID=\"1\" LastSessionID=\"2\">";
  int n = 0;
  for (const char* payload : payloads) {
    const char* name = names[n % std::size(names)];
    const char* style = styles[n % std::size(styles)];
    const std::string session = n < 5 ? "1" : "2";
    history += "<Message Date=\"2009/03/0" + std::to_string(1 + n % 9) +
               "\" Time=\"10:00:00\" DateTime=\"2009-03-01T01:00:00.000Z\" SessionID=\"" + session +
               "\"><From><User FriendlyName=\"" + name +
               "\"/></From><To><User FriendlyName=\"&lt;b onmouseover=alert(1)&gt;\"/></To>"
               "<Text Style=\"" +
               style + "\">" + payload + "</Text></Message>";
    ++n;
  }
  history +=
      "<Invitation Date=\"2009/03/02\" Time=\"&lt;script&gt;x&lt;/script&gt;\" "
      "DateTime=\"javascript:alert(1)\" SessionID=\"2\"><From><User FriendlyName=\""
      "&lt;svg onload=alert(1)&gt;\"/></From><Application>&lt;script&gt;&lt;/script&gt;"
      "</Application><Text Style=\"color:url(x)\">&lt;img src=x onerror=alert(1)&gt;</Text>"
      "</Invitation></Log>\r\n";
  return history;
}

std::string RunCommand(const std::string& command, int seconds, int& status) {
  const std::string guarded = "timeout -k 5 " + std::to_string(seconds) + " " + command;
  std::string out;
  FILE* pipe = ::popen(guarded.c_str(), "r");
  if (pipe == nullptr) {
    status = -1;
    return out;
  }
  char buffer[4096];
  for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
    out.append(buffer, got);
  }
  const int raw = ::pclose(pipe);
  status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  return out;
}

bool HasProgram(const std::string& program) {
  int status = 0;
  RunCommand("sh -c 'command -v " + program + "' >/dev/null", 10, status);
  return status == 0;
}

}  // namespace palvarin::test

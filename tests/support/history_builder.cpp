#include "support/history_builder.hpp"

#include "history/log_document.hpp"
#include "history/log_entry.hpp"

namespace palvarin::test {

std::string HistoryText(const std::vector<TestMessage>& messages) {
  std::string text =
      "<?xml version=\"1.0\"?>\r\n"
      "<?xml-stylesheet type='text/xsl' href='MessageLog.xsl'?>\r\n"
      "<Log FirstSessionID=\"1\" LastSessionID=\"9\">";
  for (const TestMessage& m : messages) {
    text += "<Message Date=\"" + m.date + "\" Time=\"" + m.time + "\" DateTime=\"" + m.date + "T" +
            m.time + "Z\" SessionID=\"" + std::to_string(m.session) +
            "\"><From><User FriendlyName=\"" + m.from + "\"/></From><To><User FriendlyName=\"" +
            m.to + "\"/></To><Text Style=\"x\">" + m.text + "</Text></Message>";
  }
  return text + "</Log>\r\n";
}

std::string OneMessageHistory(const std::string& text, const char* time) {
  return HistoryText({{"2006/01/23", time, text, 1}});
}

std::vector<std::string> MessageTexts(const std::string& historyFile) {
  std::vector<std::string> texts;
  if (auto document = LoadLogDocument(historyFile)) {
    for (pugi::xml_node entry : document->Root().children("Message")) {
      texts.push_back(ElementText(FindUniqueElement(entry, "Text")));
    }
  }
  return texts;
}

std::vector<int> SessionIds(const std::string& historyFile) {
  std::vector<int> sessions;
  if (auto document = LoadLogDocument(historyFile)) {
    for (pugi::xml_node entry : document->Root().children()) {
      if (entry.type() == pugi::node_element) sessions.push_back(ReadSessionId(LogEntry{entry}));
    }
  }
  return sessions;
}

}  // namespace palvarin::test

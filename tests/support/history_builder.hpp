#pragma once

#include <string>
#include <vector>

namespace palvarin::test {

// One message of a test history; Date is year first, so that it reads as local time.
struct TestMessage {
  std::string date;  // "2006/01/23"
  std::string time;  // "12:34:56"
  std::string text;
  int session = 1;
  std::string from = "Alice";
  std::string to = "Me";
};

// A history file in Messenger's layout holding `messages` in order.
std::string HistoryText(const std::vector<TestMessage>& messages);

// A history of one message on 2006/01/23 at `time`.
std::string OneMessageHistory(const std::string& text, const char* time = "12:00:00");

// The texts of the messages of a history file, in order.
std::vector<std::string> MessageTexts(const std::string& historyFile);

// The "SessionID" values of the entries of a history file, in order.
std::vector<int> SessionIds(const std::string& historyFile);

}  // namespace palvarin::test

#pragma once

#include <pugixml.hpp>
#include <vector>

#include "history/log_document.hpp"

namespace palvarin {

// Receives the merged entries in output order, each with its new session number.
class EntrySink {
 public:
  virtual ~EntrySink() = default;
  // One entry of an input, to be written with "SessionID" = `session`.
  virtual void Append(pugi::xml_node entry, int session) = 0;
};

// Builds the output in memory: a deep copy of each entry at the end of the document's root.
class DocumentSink : public EntrySink {
 public:
  explicit DocumentSink(LogDocument output) : output_(std::move(output)) {}
  // Raises XmlError when memory runs out.
  void Append(pugi::xml_node entry, int session) override;

 private:
  LogDocument output_;
};

// Remembers the entries and their numbers, so that they can be streamed out later with
// LogWriter while the input documents are still held.
class RecordingSink : public EntrySink {
 public:
  struct Record {
    pugi::xml_node entry;
    int session;
  };
  void Append(pugi::xml_node entry, int session) override { records_.push_back({entry, session}); }
  // Makes room for `count` entries at once, so that the list never grows by copying itself.
  void Reserve(std::size_t count) { records_.reserve(count); }
  // The entries received, in order.
  const std::vector<Record>& Records() const { return records_; }

 private:
  std::vector<Record> records_;
};

}  // namespace palvarin

#pragma once

#include <deque>
#include <filesystem>
#include <memory>
#include <pugixml.hpp>
#include <string>
#include <string_view>
#include <vector>

#include "history/log_document.hpp"
#include "merge/archive_rule.hpp"
#include "merge/entry_list.hpp"
#include "merge/entry_sink.hpp"
#include "merge/merge_counts.hpp"
#include "time/local_time_cache.hpp"
#include "time/time_value.hpp"

namespace palvarin::test {

// A message that carries every compared item, labelled by its text, on 2010/09/16 at
// `time` ("HH:MM:SS"); a negative session leaves "SessionID" out.
std::string Message(std::string_view label, std::string_view time, int session);

// A "Join" entry whose elements nest `depth` deep around the text `leaf`.
std::string DeepEntry(int depth, std::string_view leaf);

// `entries` inside a "Log" root.
std::string Log(std::string_view entries);

// Parses history XML with white-space text, comments and processing instructions kept.
std::unique_ptr<pugi::xml_document> ParseLog(std::string_view text);

// The element children of the document's root.
NodeList Elements(const pugi::xml_document& document);

// For each entry, the number of its session run counted from 1: what a history merged with
// itself or with an empty log gets as "SessionID".
std::vector<int> RunNumbers(const NodeList& entries);

// Histories parsed and read as entry lists, held in place: the records a merge or a gather
// makes point into them.
class Copies {
 public:
  const EntryList& Add(const std::string& xml) {
    documents_.push_back(ParseLog(xml));
    nodes_.push_back(ChildNodes(documents_.back()->document_element()));
    return lists_.emplace_back(nodes_.back(), EntrySource::kInput1, hours_);
  }

 private:
  LocalTimeCache hours_;
  std::deque<std::unique_ptr<pugi::xml_document>> documents_;
  std::deque<NodeList> nodes_;
  std::deque<EntryList> lists_;
};

// The local time of `hh:mm:ss` on 2010/09/16.
TimeValue TestDay(int hour, int minute, int second = 0);

// The archive rule after a merge at `lastMerge` that left every entry of both inputs in both
// files; one that leaves out nothing for 0.
ArchiveRule HeldByBothSince(TimeValue lastMerge, const pugi::xml_document& input1,
                            const pugi::xml_document& input2);

// Recorded entries as "side:label@session", blank separated; side 1 when the entry belongs
// to `input1`, else 2; the label is the entry's text.
std::string Describe(const RecordingSink& sink, const pugi::xml_document& input1);

// The bytes saved by the in-memory path: DocumentSink, then SaveLogDocument.
std::string SaveThroughDocument(const pugi::xml_document& input1, const pugi::xml_document& input2,
                                TimeValue cutoff, const std::filesystem::path& path);

// The bytes saved by the streaming path: RecordingSink, then LogWriter.
std::string SaveThroughRecords(const pugi::xml_document& input1, const pugi::xml_document& input2,
                               TimeValue cutoff, const std::filesystem::path& path);

}  // namespace palvarin::test

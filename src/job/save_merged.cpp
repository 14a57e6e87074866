#include "save_merged.hpp"

#include <algorithm>
#include <future>
#include <string>
#include <vector>

#include "files/atomic_file.hpp"
#include "history/log_writer.hpp"

namespace palvarin {
namespace {

using Records = std::vector<RecordingSink::Record>;

// Entries per part: a few hundred kilobytes of output, so that the three parts in flight add
// little to the merge's peak memory, which they reach beside the documents and the records.
constexpr std::size_t kPartEntries = 1024;
// Below two parts a second thread costs more than it saves.
constexpr std::size_t kParallelEntries = 2 * kPartEntries;

// Formats one part into `formatted`, whose room is kept from part to part.
void FormatPart(const Records& records, std::size_t part, std::string& formatted) {
  const std::size_t begin = part * kPartEntries;
  const std::size_t end = std::min(records.size(), begin + kPartEntries);
  formatted.clear();
  for (std::size_t i = begin; i < end; ++i) {
    LogWriter::FormatEntry(formatted, records[i].entry, records[i].session);
  }
}

// This thread formats the even parts and writes every part; a helper formats the odd ones,
// one part ahead, into two buffers in turn. Only reads of the loaded documents happen on both
// threads.
void WriteInParts(LogWriter& writer, const Records& records) {
  const std::size_t parts = (records.size() + kPartEntries - 1) / kPartEntries;
  std::string even;
  std::string odd[2];
  const auto formatAhead = [&records](std::size_t part, std::string& into) {
    return std::async(std::launch::async,
                      [&records, part, &into] { FormatPart(records, part, into); });
  };
  std::future<void> ahead = formatAhead(1, odd[0]);
  for (std::size_t part = 0, turn = 0; part < parts; part += 2, turn ^= 1) {
    FormatPart(records, part, even);
    writer.WriteFormattedEntries(even);
    if (part + 1 < parts) {
      ahead.get();
      if (part + 3 < parts) ahead = formatAhead(part + 3, odd[turn ^ 1]);
      writer.WriteFormattedEntries(odd[turn]);
    }
  }
}

}  // namespace

Result<> SaveMerged(const RecordingSink& merged, int lastSession, const std::string& output,
                    const std::function<void()>& written) {
  AtomicFile file;
  if (!file.Open(output)) return file.Status();
  LogWriter writer(file);
  writer.BeginLog(lastSession);
  const Records& records = merged.Records();
  if (records.size() >= kParallelEntries) {
    WriteInParts(writer, records);
  } else {
    for (const RecordingSink::Record& record : records) {
      writer.WriteEntry(record.entry, record.session);
    }
  }
  writer.EndLog();
  if (!writer.Flush()) return file.Status();
  written();
  file.Commit();
  return file.Status();
}

}  // namespace palvarin

#include "bench_report.hpp"

#include <cmath>
#include <cstdio>

#include "bench_cases.hpp"

namespace palvarin::bench {
namespace {

constexpr double kMegabyte = 1e6;
constexpr Tool kTools[] = {Tool::kMerge,     Tool::kBaseline, Tool::kFloor,
                           Tool::kLoadFloor, Tool::kXmllint,  Tool::kWriteFloor};

const char* ToolName(Tool tool) {
  switch (tool) {
    case Tool::kMerge:
      return "palvarin merge";
    case Tool::kFloor:
      return "pugixml parse floor";
    case Tool::kLoadFloor:
      return "load floor (both at once)";
    case Tool::kXmllint:
      return "xmllint --noout";
    case Tool::kWriteFloor:
      return "durable write floor";
    case Tool::kBaseline:
      return "baseline merge";
  }
  return "";
}

const char* Verdict(bool met) { return met ? "met" : "**NOT met**"; }

// The figures of `tool` on `name`; none when that case was not run.
const Figures* Find(const Results& results, const std::string& name, Tool tool) {
  const auto at = results.find(name);
  if (at == results.end()) return nullptr;
  const auto figures = at->second.find(tool);
  return figures == at->second.end() ? nullptr : &figures->second;
}

void PrintRuns(const Results& results) {
  std::printf(
      "| case | tool | input MB | best s | CPU s | input MB/s | peak RSS MB | RSS / input |\n");
  std::printf("|---|---|---:|---:|---:|---:|---:|---:|\n");
  for (const BenchCase& bench : BenchCases()) {
    for (Tool tool : kTools) {
      const Figures* f = Find(results, bench.name, tool);
      if (!f) continue;
      const double input = static_cast<double>(f->inputBytes) / kMegabyte;
      const double peak = static_cast<double>(f->peakKilobytes) * 1024 / kMegabyte;
      char perInput[32] = "-";  // meaningless for inputs of a few bytes
      if (input >= 0.1) std::snprintf(perInput, sizeof perInput, "%.2f", peak / input);
      std::printf("| %s | %s | %.1f | %.3f | %.3f | %.0f | %.1f | %s |%s\n", bench.name.c_str(),
                  ToolName(tool), input, f->bestSeconds, f->cpuSeconds, input / f->bestSeconds,
                  peak, perInput, f->failures ? " (some runs FAILED)" : "");
    }
  }
}

void PrintRatioTarget(const Results& results, const char* name, Tool base, double limit) {
  const Figures* merge = Find(results, name, Tool::kMerge);
  const Figures* other = Find(results, name, base);
  if (!merge || !other) return;
  const double ratio = merge->bestSeconds / other->bestSeconds;
  std::printf("- %s: merge / %s = %.2f (target at most %.2f): %s; in CPU time %.2f\n", name,
              ToolName(base), ratio, limit, Verdict(ratio <= limit),
              merge->cpuSeconds / other->cpuSeconds);
}

// How far the merge stands above what it cannot avoid: loading its inputs (`load`: both at
// once for a file pair, one after another for folders) and writing its output durably.
void PrintFloorsTarget(const Results& results, const char* name, Tool load, double limit) {
  const Figures* merge = Find(results, name, Tool::kMerge);
  const Figures* loaded = Find(results, name, load);
  const Figures* write = Find(results, name, Tool::kWriteFloor);
  if (!merge || !loaded || !write) return;
  const double ratio = merge->bestSeconds / (loaded->bestSeconds + write->bestSeconds);
  std::printf(
      "- %s: merge / (%s + durable write floor) = %.2f (target at most %.2f): %s; write floor "
      "/ load = %.2f; peak RSS merge / %s = %.2f\n",
      name, ToolName(load), ratio, limit, Verdict(ratio <= limit),
      write->bestSeconds / loaded->bestSeconds, ToolName(load),
      static_cast<double>(merge->peakKilobytes) / static_cast<double>(loaded->peakKilobytes));
}

// The merge of one case against the merge of another: what the harder shape of input costs.
void PrintCaseRatio(const Results& results, const char* name, const char* base, double limit) {
  const Figures* merge = Find(results, name, Tool::kMerge);
  const Figures* other = Find(results, base, Tool::kMerge);
  if (!merge || !other) return;
  const double ratio = merge->bestSeconds / other->bestSeconds;
  std::printf("- merge %s / merge %s = %.2f (target at most %.2f): %s; in CPU time %.2f\n", name,
              base, ratio, limit, Verdict(ratio <= limit), merge->cpuSeconds / other->cpuSeconds);
}

// The merge against the other build on every case both ran: time, processor time and peak
// memory, each within 10 %.
void PrintBaseline(const Results& results) {
  for (const BenchCase& bench : BenchCases()) {
    const Figures* merge = Find(results, bench.name, Tool::kMerge);
    const Figures* base = Find(results, bench.name, Tool::kBaseline);
    if (!merge || !base) continue;
    const double time = merge->bestSeconds / base->bestSeconds;
    const double memory =
        static_cast<double>(merge->peakKilobytes) / static_cast<double>(base->peakKilobytes);
    std::printf(
        "- %s: merge / baseline merge: wall %.2f, CPU %.2f, peak RSS %.2f (target at most 1.10 "
        "in wall time and peak RSS): %s\n",
        bench.name.c_str(), time, merge->cpuSeconds / base->cpuSeconds, memory,
        Verdict(time <= 1.1 && memory <= 1.1));
  }
}

void PrintMemoryTarget(const Results& results, const char* name) {
  const Figures* merge = Find(results, name, Tool::kMerge);
  if (!merge) return;
  const double ratio =
      static_cast<double>(merge->peakKilobytes) * 1024 / static_cast<double>(merge->inputBytes);
  std::printf("- %s: merge peak RSS / input = %.2f (target at most 3.5): %s\n", name, ratio,
              Verdict(ratio <= 3.5));
}

// Time of the doubled case over the time of the case: wall time as it is, wall time net of
// the fixed cost of a run (the merge of two empty histories: process start, profile, output
// file), and processor time.
void PrintLinearity(const Results& results, const char* single, const char* doubled) {
  const Figures* empty = Find(results, "empty", Tool::kMerge);
  const Figures* one = Find(results, single, Tool::kMerge);
  const Figures* two = Find(results, doubled, Tool::kMerge);
  if (!empty || !one || !two) return;
  const auto within = [](double ratio) { return Verdict(std::abs(ratio / 2 - 1) <= 0.2); };
  const double raw = two->bestSeconds / one->bestSeconds;
  const double net =
      (two->bestSeconds - empty->bestSeconds) / (one->bestSeconds - empty->bestSeconds);
  std::printf(
      "- %s -> %s (target x2 +- 20 %%): wall x%.2f: %s; net of the fixed %.3f s x%.2f: %s; "
      "CPU x%.2f\n",
      single, doubled, raw, within(raw), empty->bestSeconds, net, within(net),
      two->cpuSeconds / one->cpuSeconds);
}

}  // namespace

void PrintReport(const Results& results) {
  PrintRuns(results);
  std::printf("\nTargets:\n\n");
  PrintRatioTarget(results, "file-100mb", Tool::kFloor, 1.5);
  PrintRatioTarget(results, "file-100mb", Tool::kXmllint, 1.0);
  PrintMemoryTarget(results, "file-100mb");
  PrintMemoryTarget(results, "file-200mb");
  PrintRatioTarget(results, "folder-1000", Tool::kFloor, 2.0);
  PrintFloorsTarget(results, "file-28mb", Tool::kLoadFloor, 1.3);
  PrintFloorsTarget(results, "file-100mb", Tool::kLoadFloor, 1.3);
  PrintFloorsTarget(results, "folder-1000", Tool::kFloor, 1.1);
  PrintFloorsTarget(results, "folder-2000", Tool::kFloor, 1.1);
  PrintLinearity(results, "file-1mb", "file-2mb");
  PrintLinearity(results, "file-10mb", "file-20mb");
  PrintLinearity(results, "file-100mb", "file-200mb");
  PrintLinearity(results, "folder-1000", "folder-2000");
  PrintCaseRatio(results, "session-200k", "session-200k-same", 2.0);
  PrintBaseline(results);
}

}  // namespace palvarin::bench

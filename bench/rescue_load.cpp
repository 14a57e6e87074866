// Rescuing a history that breaks off, against loading a whole one of the same bytes:
//   palvarin_rescue_load [megabytes] [repetitions]
// Generates a history of about that size (10 MB unless given; the first file of the generator's
// pair), then times, best of the repetitions (9 unless given), its load as every job loads it,
// and the rescue of the same bytes cut inside the last entry: with nothing after the cut, and
// with the rest of the file zeros (a lost block). Prints each time in milliseconds and its ratio
// to the whole load. The bytes are copied before each clock starts: a load parses its own copy
// in place. Exits with 1 when a load does not give what it should.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "history/log_document.hpp"
#include "history_generator.hpp"

namespace {

using palvarin::BrokenOff;

// The best time of `repetitions` loads of `text`, in milliseconds; negative when a load fails
// or its damage is not what `mode` should give.
double BestLoad(const std::string& text, BrokenOff mode, int repetitions) {
  double best = -1;
  for (int i = 0; i < repetitions; ++i) {
    palvarin::HistoryBytes bytes{palvarin::AllocateBytes(text.size() + 1), text.size()};
    std::memcpy(bytes.data.get(), text.data(), text.size());
    const auto start = std::chrono::steady_clock::now();
    const auto loaded = palvarin::ParseLogDocument(std::move(bytes), "bench.xml", mode);
    const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
    const bool damaged = loaded && loaded->Damage().kind != palvarin::ReasonKind::None;
    if (!loaded || damaged != (mode == BrokenOff::Rescue)) return -1;
    best = best < 0 ? took.count() : std::min(best, took.count());
  }
  return best;
}

}  // namespace

int main(int argc, char** argv) {
  const std::size_t megabytes = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 10;
  const int repetitions = argc > 2 ? std::atoi(argv[2]) : 9;
  const std::string whole = palvarin::bench::GenerateHistoryPair(megabytes << 20, 40).first;
  // Inside the last entry: just past its start tag's name.
  const std::size_t cut = whole.rfind("<Message") + 5;
  std::string zeros = whole;
  std::fill(zeros.begin() + static_cast<std::ptrdiff_t>(cut), zeros.end(), '\0');
  const struct {
    const char* name;
    std::string text;
    BrokenOff mode;
  } loads[] = {
      {"whole, loaded", whole, BrokenOff::Refuse},
      {"cut in its last entry, rescued", whole.substr(0, cut), BrokenOff::Rescue},
      {"zeros after the cut, rescued", zeros, BrokenOff::Rescue},
  };
  std::printf("%zu bytes, best of %d\n", whole.size(), repetitions);
  double base = 0;
  for (const auto& load : loads) {
    const double ms = BestLoad(load.text, load.mode, repetitions);
    if (ms < 0) {
      std::fprintf(stderr, "%s: not loaded as it should be\n", load.name);
      return 1;
    }
    if (base == 0) base = ms;
    std::printf("%-32s %9.2f ms  %.3fx\n", load.name, ms, ms / base);
  }
  return 0;
}

#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace palvarin::bench {

// One benchmark input: a pair of files, or a pair of folders of many contacts. Each case has
// its own folder under the data folder, holding "pc1" and "pc2".
struct BenchCase {
  std::string name;
  std::size_t bytesPerFile = 0;
  int contacts = 0;  // 0: a file pair of the one contact kContactFile
  // When above 0, the file pair holds one session of that many entries instead, of which PC 1
  // lacks every `firstLacksEvery`-th and PC 2 every `secondLacksEvery`-th (0: none).
  int sessionEntries = 0;
  int firstLacksEvery = 0;
  int secondLacksEvery = 0;
};

// The name of the history file of a file case, in both "pc1" and "pc2".
inline constexpr const char* kContactFile = "hanako9876543210.xml";

// Every size twice over (1 and 2 MB, 10 and 20, 100 and 200; 1,000 and 2,000 contacts of
// 30 KB), so that each doubling can be timed, and an empty pair for the fixed cost of a run;
// 28 MB, the size the merge's floors were first measured at.
// Then one session of 200,000 entries, once with entries missing on either side and once
// whole on both, so that aligning a long session can be timed against interleaving it.
std::vector<BenchCase> BenchCases();

}  // namespace palvarin::bench

#pragma once

namespace palvarin {

// What one merge did, for the job report.
struct MergeCounts {
  int fromInput1 = 0;  // entries written that were met in input 1 only
  int fromInput2 = 0;  // entries written that were met in input 2 only
  int fromBoth = 0;    // entries met in both inputs and written once
  int echoes = 0;      // of those, copies two PCs signed in at once logged, each on its own clock
  int cutOff = 0;      // entries left out as older than the cut-off, met on one side only
  int sessions = 0;    // output sessions written, numbered 1..sessions
};

}  // namespace palvarin

#pragma once

#include <cstddef>

// A seam for proving data safety: every file-system operation that changes or creates a
// file asks here first, so tests can make the N-th one fail or kill the process there.
// Unarmed, it only counts. Armed from a test, or from the environment for a whole process:
//   PALVARIN_FAULT_AT=N     the N-th operation fails (as if the disk refused it)
//   PALVARIN_CRASH_AT=N     the process dies (SIGKILL) just before the N-th operation
namespace palvarin::faults {

// Counts one operation; false when this one is to fail.
bool Allow(const char* what);

// Bytes that the current write may still put out before it fails; `wanted` when unarmed.
std::size_t WritableBytes(std::size_t wanted);

// Arms in-process faults: operation `failAt` fails (0: none), and after `failAfterBytes`
// bytes every write fails (negative: no limit). Also resets the operation count.
void Arm(long failAt, long long failAfterBytes = -1);

// Operations counted since the last Arm (or since start).
long OperationCount();

}  // namespace palvarin::faults

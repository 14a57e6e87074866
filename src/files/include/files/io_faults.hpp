#pragma once

#include <dirent.h>
#include <sys/types.h>

#include <cstddef>

// A seam for proving data safety: every file-system operation that changes or creates a
// file asks here first (or, where the call itself must fail, goes through here), so tests
// can make the N-th one fail or kill the process there; reading a history goes through Read,
// listing a folder through ReadMember.
// A walk for histories asks before it opens each folder below its root (failing: EACCES).
// Unarmed, it only counts. Armed from a test, or from the environment for a whole process:
//   PALVARIN_FAULT_AT=N     the N-th operation fails (as if the disk refused it)
//   PALVARIN_CRASH_AT=N     the process dies (SIGKILL) just before the N-th operation
// Only a build with PALVARIN_FAULT_HOOKS (the test builds) can be armed; in any other, Arm and
// the environment do nothing.
namespace palvarin::faults {

// Counts one operation; false when this one is to fail.
bool Allow(const char* what);

// Bytes that the current write may still put out before it fails; `wanted` when unarmed.
std::size_t WritableBytes(std::size_t wanted);

// fsync(2) of `fd`, counted as one operation: when it is the one to fail, it fails with EIO
// and does not flush.
int Flush(int fd);

// read(2), except that once armed with `readableBytes` every file seems to end there: what
// a file shortened while it is read gives.
ssize_t Read(int fd, void* buffer, std::size_t size);

// readdir(3) for the folder listings, `given` being how many members ("." and ".." too) this
// listing gave so far: once armed with `listableMembers`, a listing fails (EIO) after that
// many, as a folder that cannot be read to the end does.
dirent* ReadMember(DIR* folder, std::size_t given);

// Arms in-process faults: operation `failAt` fails (0: none), after `failAfterBytes` bytes
// every write fails, Read finds every file `readableBytes` long and ReadMember ends every
// listing in an error after `listableMembers` (negative: no limit). Also resets the operation
// count.
void Arm(long failAt, long long failAfterBytes = -1, long long readableBytes = -1,
         long listableMembers = -1);

// Operations counted since the last Arm (or since start).
long OperationCount();

}  // namespace palvarin::faults

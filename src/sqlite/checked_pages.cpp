#include "sqlite/checked_pages.hpp"

#include <sqlite3.h>

#include <cstdint>
#include <cstring>
#include <new>

namespace palvarin {
namespace {

constexpr int kChecksumBytes = 8;
// Where the database header keeps the bytes reserved at the end of each page.
constexpr int kReservedBytesAt = 20;
constexpr int kHeaderBytes = 100;
constexpr const char* kVfsName = "palvarin-checked-pages";
// The file controls this VFS answers itself, numbered far above SQLite's own.
constexpr int kAskChecked = 0x50560001;
constexpr int kAskFailed = 0x50560002;

// Running sums over the page as 64-bit words, and sums of those: every flipped bit moves a sum,
// and words that swap places move a sum of sums. Four lanes side by side, which the compiler
// does with vector instructions: checking each page read costs a search nothing it can measure.
std::uint64_t Checksum(const unsigned char* bytes, int size) {
  constexpr int kLanes = 4;
  std::uint64_t sum[kLanes] = {}, sumOfSums[kLanes] = {};
  int at = 0;
  for (; at + 8 * kLanes <= size; at += 8 * kLanes) {
    for (int lane = 0; lane < kLanes; ++lane) {
      std::uint64_t word = 0;
      std::memcpy(&word, bytes + at + 8 * lane, sizeof word);
      sum[lane] += word;
      sumOfSums[lane] += sum[lane];
    }
  }
  for (int lane = 0; at < size; at += 8, ++lane) {
    std::uint64_t word = 0;
    std::memcpy(&word, bytes + at, sizeof word);
    sum[lane] += word;
    sumOfSums[lane] += sum[lane];
  }
  std::uint64_t checksum = 0;
  for (int lane = 0; lane < kLanes; ++lane) {
    checksum = (checksum ^ sum[lane]) * 0x9E3779B97F4A7C15ULL;
    checksum = (checksum ^ sumOfSums[lane]) * 0x9E3779B97F4A7C15ULL;
  }
  return checksum;
}

// A whole page of a database: pages are powers of two from 512 bytes, read and written whole.
bool IsPage(int size, sqlite3_int64 offset) {
  return size >= 512 && (size & (size - 1)) == 0 && offset % size == 0;
}

// A database file: the checking state, then the system VFS's own file.
struct CheckedFile {
  sqlite3_file base;
  bool checked;  // the header reserves the checksum's bytes
  bool failed;   // a page read did not match its checksum
  sqlite3_file* Inner() { return reinterpret_cast<sqlite3_file*>(this + 1); }
  // The header, read or written whole, says whether the pages carry checksums.
  void SeeHeader(const void* bytes, int size, sqlite3_int64 offset) {
    if (offset == 0 && size >= kHeaderBytes) {
      checked = static_cast<const unsigned char*>(bytes)[kReservedBytesAt] == kChecksumBytes;
    }
  }
};

CheckedFile* Checked(sqlite3_file* file) { return reinterpret_cast<CheckedFile*>(file); }
sqlite3_file* Inner(sqlite3_file* file) { return Checked(file)->Inner(); }
sqlite3_vfs* System(sqlite3_vfs* vfs) { return static_cast<sqlite3_vfs*>(vfs->pAppData); }

int Close(sqlite3_file* file) { return Inner(file)->pMethods->xClose(Inner(file)); }

int Read(sqlite3_file* file, void* bytes, int size, sqlite3_int64 offset) {
  const int read = Inner(file)->pMethods->xRead(Inner(file), bytes, size, offset);
  if (read != SQLITE_OK) return read;
  CheckedFile* checked = Checked(file);
  checked->SeeHeader(bytes, size, offset);
  if (!checked->checked || !IsPage(size, offset)) return SQLITE_OK;
  const auto* page = static_cast<const unsigned char*>(bytes);
  const std::uint64_t expected = Checksum(page, size - kChecksumBytes);
  if (std::memcmp(page + size - kChecksumBytes, &expected, kChecksumBytes) == 0) return SQLITE_OK;
  checked->failed = true;
  return SQLITE_IOERR_DATA;
}

// The page is SQLite's own buffer, and its reserved bytes are unused by it: the checksum goes
// there in place.
int Write(sqlite3_file* file, const void* bytes, int size, sqlite3_int64 offset) {
  CheckedFile* checked = Checked(file);
  checked->SeeHeader(bytes, size, offset);
  if (checked->checked && IsPage(size, offset)) {
    auto* page = static_cast<unsigned char*>(const_cast<void*>(bytes));
    const std::uint64_t sum = Checksum(page, size - kChecksumBytes);
    std::memcpy(page + size - kChecksumBytes, &sum, kChecksumBytes);
  }
  return Inner(file)->pMethods->xWrite(Inner(file), bytes, size, offset);
}

int Truncate(sqlite3_file* file, sqlite3_int64 size) {
  return Inner(file)->pMethods->xTruncate(Inner(file), size);
}
int Sync(sqlite3_file* file, int flags) { return Inner(file)->pMethods->xSync(Inner(file), flags); }
int FileSize(sqlite3_file* file, sqlite3_int64* size) {
  return Inner(file)->pMethods->xFileSize(Inner(file), size);
}
int Lock(sqlite3_file* file, int level) { return Inner(file)->pMethods->xLock(Inner(file), level); }
int Unlock(sqlite3_file* file, int level) {
  return Inner(file)->pMethods->xUnlock(Inner(file), level);
}
int CheckReservedLock(sqlite3_file* file, int* held) {
  return Inner(file)->pMethods->xCheckReservedLock(Inner(file), held);
}

int FileControl(sqlite3_file* file, int op, void* argument) {
  if (op == kAskChecked || op == kAskFailed) {
    *static_cast<int*>(argument) =
        op == kAskChecked ? Checked(file)->checked : Checked(file)->failed;
    return SQLITE_OK;
  }
  return Inner(file)->pMethods->xFileControl(Inner(file), op, argument);
}
int SectorSize(sqlite3_file* file) { return Inner(file)->pMethods->xSectorSize(Inner(file)); }
int DeviceCharacteristics(sqlite3_file* file) {
  return Inner(file)->pMethods->xDeviceCharacteristics(Inner(file));
}
int ShmMap(sqlite3_file* file, int region, int size, int extend, void volatile** memory) {
  return Inner(file)->pMethods->xShmMap(Inner(file), region, size, extend, memory);
}
int ShmLock(sqlite3_file* file, int offset, int count, int flags) {
  return Inner(file)->pMethods->xShmLock(Inner(file), offset, count, flags);
}
void ShmBarrier(sqlite3_file* file) { Inner(file)->pMethods->xShmBarrier(Inner(file)); }
int ShmUnmap(sqlite3_file* file, int remove) {
  return Inner(file)->pMethods->xShmUnmap(Inner(file), remove);
}
// No page is read through a memory map, which would pass by Read and its check.
int Fetch(sqlite3_file*, sqlite3_int64, int, void** page) {
  *page = nullptr;
  return SQLITE_OK;
}
int Unfetch(sqlite3_file*, sqlite3_int64, void*) { return SQLITE_OK; }

const sqlite3_io_methods kFileMethods = {
    3,
    Close,
    Read,
    Write,
    Truncate,
    Sync,
    FileSize,
    Lock,
    Unlock,
    CheckReservedLock,
    FileControl,
    SectorSize,
    DeviceCharacteristics,
    ShmMap,
    ShmLock,
    ShmBarrier,
    ShmUnmap,
    Fetch,
    Unfetch,
};

// Only the database itself is checked: a journal keeps page images with checksums of its own
// over them, which a change in place would break, and the log is SQLite's (see the header).
int Open(sqlite3_vfs* vfs, const char* name, sqlite3_file* file, int flags, int* outFlags) {
  sqlite3_vfs* system = System(vfs);
  if ((flags & SQLITE_OPEN_MAIN_DB) == 0) return system->xOpen(system, name, file, flags, outFlags);
  CheckedFile* checked = new (file) CheckedFile{{nullptr}, false, false};
  const int opened = system->xOpen(system, name, checked->Inner(), flags, outFlags);
  if (opened == SQLITE_OK) checked->base.pMethods = &kFileMethods;
  return opened;
}

int Delete(sqlite3_vfs* vfs, const char* name, int syncFolder) {
  return System(vfs)->xDelete(System(vfs), name, syncFolder);
}
int Access(sqlite3_vfs* vfs, const char* name, int flags, int* result) {
  return System(vfs)->xAccess(System(vfs), name, flags, result);
}
int FullPathname(sqlite3_vfs* vfs, const char* name, int size, char* out) {
  return System(vfs)->xFullPathname(System(vfs), name, size, out);
}
void* DlOpen(sqlite3_vfs* vfs, const char* name) { return System(vfs)->xDlOpen(System(vfs), name); }
void DlError(sqlite3_vfs* vfs, int size, char* message) {
  System(vfs)->xDlError(System(vfs), size, message);
}
void (*DlSym(sqlite3_vfs* vfs, void* library, const char* symbol))() {
  return System(vfs)->xDlSym(System(vfs), library, symbol);
}
void DlClose(sqlite3_vfs* vfs, void* library) { System(vfs)->xDlClose(System(vfs), library); }
int Randomness(sqlite3_vfs* vfs, int size, char* out) {
  return System(vfs)->xRandomness(System(vfs), size, out);
}
int Sleep(sqlite3_vfs* vfs, int microseconds) {
  return System(vfs)->xSleep(System(vfs), microseconds);
}
int CurrentTime(sqlite3_vfs* vfs, double* now) {
  return System(vfs)->xCurrentTime(System(vfs), now);
}
int GetLastError(sqlite3_vfs* vfs, int size, char* out) {
  return System(vfs)->xGetLastError(System(vfs), size, out);
}
int CurrentTimeInt64(sqlite3_vfs* vfs, sqlite3_int64* now) {
  return System(vfs)->xCurrentTimeInt64(System(vfs), now);
}
int SetSystemCall(sqlite3_vfs* vfs, const char* name, sqlite3_syscall_ptr call) {
  return System(vfs)->xSetSystemCall(System(vfs), name, call);
}
sqlite3_syscall_ptr GetSystemCall(sqlite3_vfs* vfs, const char* name) {
  return System(vfs)->xGetSystemCall(System(vfs), name);
}
const char* NextSystemCall(sqlite3_vfs* vfs, const char* name) {
  return System(vfs)->xNextSystemCall(System(vfs), name);
}

sqlite3_vfs* Register() {
  sqlite3_vfs* system = ::sqlite3_vfs_find(nullptr);
  static sqlite3_vfs vfs = {
      3,
      static_cast<int>(sizeof(CheckedFile)) + system->szOsFile,
      system->mxPathname,
      nullptr,
      kVfsName,
      system,
      Open,
      Delete,
      Access,
      FullPathname,
      DlOpen,
      DlError,
      DlSym,
      DlClose,
      Randomness,
      Sleep,
      CurrentTime,
      GetLastError,
      CurrentTimeInt64,
      SetSystemCall,
      GetSystemCall,
      NextSystemCall,
  };
  ::sqlite3_vfs_register(&vfs, 0);
  return &vfs;
}

// What the database file of `db` answers `op`; 0 when it is none of this VFS's.
int Ask(sqlite3* db, int op) {
  int answer = 0;
  return ::sqlite3_file_control(db, "main", op, &answer) == SQLITE_OK ? answer : 0;
}

}  // namespace

const char* CheckedPagesVfs() {
  static const sqlite3_vfs* registered = Register();
  return registered->zName;
}

bool HasPageChecksums(sqlite3* db) { return Ask(db, kAskChecked) != 0; }

bool PageChecksumFailed(sqlite3* db) { return Ask(db, kAskFailed) != 0; }

void ReservePageChecksums(sqlite3* db) {
  int bytes = kChecksumBytes;
  ::sqlite3_file_control(db, "main", SQLITE_FCNTL_RESERVE_BYTES, &bytes);
}

}  // namespace palvarin

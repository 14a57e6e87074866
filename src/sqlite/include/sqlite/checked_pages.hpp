#pragma once

struct sqlite3;

namespace palvarin {

// The name of a VFS over the system's own (registered on the first call) that keeps a checksum
// of every page of a database in the page's last 8 bytes, when the database's header reserves
// them, and fails a read of a page that does not match with SQLITE_IOERR_DATA. SQLite checks
// the structure of its files, not what a page holds: a flipped bit in a stored value reads back
// as another value. Pages waiting in the write-ahead log carry SQLite's own frame checksums
// instead, and get theirs when they are written back into the database.
const char* CheckedPagesVfs();

// Asks for the checksums' bytes in the database `db`, opened with CheckedPagesVfs: it takes
// effect only while the database holds nothing yet, so call it before anything is written.
void ReservePageChecksums(sqlite3* db);

// Whether the pages of the database `db`, opened with CheckedPagesVfs, carry checksums that
// every read checks (as its header says, once SQLite has read it).
bool HasPageChecksums(sqlite3* db);

// Whether a page of the database `db`, opened with CheckedPagesVfs, has failed its checksum
// since it was opened: SQLite may pass that on as another error (a virtual table's that could
// not read its own tables, say).
bool PageChecksumFailed(sqlite3* db);

}  // namespace palvarin

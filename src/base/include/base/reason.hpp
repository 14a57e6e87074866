#pragma once

#include <cstdint>
#include <string>

namespace palvarin {

// What stood in the way of something, as a kind and its facts. The core only states reasons;
// `texts` words each kind for the terminal, the dialog and the JSON.
enum class ReasonKind : std::uint8_t {
  None,
  // A step on `path` failed with the system's error `code`.
  CannotOpen,
  CannotExamine,
  CannotRead,
  CannotCreate,
  CannotCreateBeside,
  CannotWrite,
  CannotSetAttributes,
  CannotFlush,
  CannotClose,
  CannotReplace,
  CannotDelete,
  CannotList,
  CannotOpenLockFile,
  CannotLock,
  CannotCreateLockFolder,
  CannotExamineLockFolder,
  // `path` is a `fileKind` where a regular file must be read or replaced.
  ReadNotRegular,
  ReplaceNotRegular,
  ShortenedWhileRead,
  StoppedWhileWaiting,
  LockFolderNotPrivate,
  // Memory ran out reading, loading or writing `path` (or setting the attribute `detail`).
  NoMemoryToRead,
  NoMemoryToLoad,
  NoMemoryToSet,
  // `path` is no message history.
  NotWellFormed,  // `detail`: the parser's own words, at byte `offset`
  HasDocumentType,
  TextOutsideRoot,
  NoElement,
  SeveralRoots,
  RootNotLog,          // `detail`: the root element's name
  HoldsNul,            // at byte `offset`
  ForbiddenReference,  // a reference to a character XML forbids, at byte `offset`
  RepeatedAttribute,
  // `path` is a history that breaks off at byte `offset` (a cut copy, a crash, a lost block):
  // `count` entries are whole before the break, and the entry at the break is cut (InEntry)
  // or the break falls between entries.
  BrokenOffInEntry,
  BrokenOffBetweenEntries,
  // The profile `path` cannot be used, for the reason `detail` (the database's words).
  ProfileFolderNotCreated,
  ProfileFileNotCreated,
  ProfileDamaged,
  ProfileUnusable,
  ProfileNewer,
  ProfileNotRead,
  ProfileNotWritten,  // `detail`, or the system's error `code` when it has none
  // The search index `path` cannot be used, and the histories were read into memory instead.
  SearchFolderNotCreated,  // its folder cannot be made: `code`
  SearchFolderNotPrivate,  // its folder is a link, or a folder others may enter
  SearchIndexNotPrivate,   // it is a link, or no file of this user's alone
  SearchIndexOtherVersion,
  SearchIndexUnusable,  // `detail`: the database's words, else the system's error `code`
  // The search index `path` was damaged and has been made anew.
  SearchIndexDamaged,
  // Not even an index in memory could be made: `detail`.
  SearchImpossible,
  // A job writes no file through the link `path` in its output folder.
  WriteThroughLink,
  // Not a reason: one past the last, so that a loop over every kind stays whole.
  EndOfKinds,
};

// What a path turned out to be where a regular file was wanted.
enum class FileKind : std::uint8_t { Other, Pipe, Device, Socket, Folder };

struct Reason {
  ReasonKind kind = ReasonKind::None;
  std::string path{};
  int code = 0;          // errno, 0 when none applies
  std::string detail{};  // words given by something else, shown as they are
  std::uint64_t offset = 0;
  std::uint64_t count = 0;  // how many, where a kind counts something
  FileKind fileKind = FileKind::Other;
};

}  // namespace palvarin

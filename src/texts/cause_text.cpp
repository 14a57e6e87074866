#include "texts/cause_text.hpp"

#include <cerrno>
#include <system_error>

#include "texts/catalogue.hpp"

namespace palvarin {
namespace {

// What stands after the colon of a failed step: words given with the reason, or the system's.
std::string Why(const Reason& reason) {
  return reason.detail.empty() ? SystemReason(reason.code) : reason.detail;
}

std::string_view FileKindText(FileKind kind) {
  switch (kind) {
    case FileKind::Pipe:
      return Tr("a named pipe");
    case FileKind::Device:
      return Tr("a device");
    case FileKind::Socket:
      return Tr("a socket");
    case FileKind::Folder:
      return Tr("a folder");
    case FileKind::Other:
      break;
  }
  return Tr("no regular file");
}

// The step that failed, for the reasons worded "cannot <step> {0}: {1}"; empty for others.
std::string_view StepPattern(ReasonKind kind) {
  switch (kind) {
    case ReasonKind::CannotOpen:
      return Tr("cannot open {0}: {1}");
    case ReasonKind::CannotExamine:
      return Tr("cannot examine {0}: {1}");
    case ReasonKind::CannotRead:
      return Tr("cannot read {0}: {1}");
    case ReasonKind::CannotCreate:
      return Tr("cannot create {0}: {1}");
    case ReasonKind::CannotCreateBeside:
      return Tr("cannot create a file beside {0}: {1}");
    case ReasonKind::CannotWrite:
      return Tr("cannot write {0}: {1}");
    case ReasonKind::CannotSetAttributes:
      return Tr("cannot set the attributes of {0}: {1}");
    case ReasonKind::CannotFlush:
      return Tr("cannot flush {0}: {1}");
    case ReasonKind::CannotClose:
      return Tr("cannot close {0}: {1}");
    case ReasonKind::CannotReplace:
      return Tr("cannot replace {0}: {1}");
    case ReasonKind::CannotDelete:
      return Tr("cannot delete {0}: {1}");
    case ReasonKind::CannotList:
      return Tr("cannot list {0}: {1}");
    case ReasonKind::CannotOpenLockFile:
      return Tr("cannot open the lock file {0}: {1}");
    case ReasonKind::CannotLock:
      return Tr("cannot lock {0}: {1}");
    case ReasonKind::CannotCreateLockFolder:
      return Tr("cannot create the lock folder {0}: {1}");
    case ReasonKind::CannotExamineLockFolder:
      return Tr("cannot examine the lock folder {0}: {1}");
    case ReasonKind::ProfileNotRead:
      return Tr("cannot read the profile {0}: {1}");
    case ReasonKind::ProfileNotWritten:
      return Tr("cannot write to the profile {0}: {1}");
    default:
      return {};
  }
}

// Why a file is no message history; empty for the reasons that do not say so.
std::string NotAHistory(const Reason& reason) {
  switch (reason.kind) {
    case ReasonKind::NotWellFormed:
      return Format(Tr("it is no well-formed XML ({0} at byte {1})"),
                    {reason.detail, std::to_string(reason.offset)});
    case ReasonKind::HasDocumentType:
      return std::string(
          Tr("it has a document type declaration, whose entities and default attributes would "
             "not be applied"));
    case ReasonKind::TextOutsideRoot:
      return std::string(Tr("it has text outside its root element"));
    case ReasonKind::NoElement:
      return std::string(Tr("it holds no element"));
    case ReasonKind::SeveralRoots:
      return std::string(Tr("it has several root elements"));
    case ReasonKind::RootNotLog:
      return Format(Tr("its root element is <{0}>, not <Log>"), {reason.detail});
    case ReasonKind::HoldsNul:
      return Format(Tr("it holds a NUL character at byte {0}, behind which nothing would be read"),
                    {std::to_string(reason.offset)});
    case ReasonKind::ForbiddenReference:
      return Format(Tr("at byte {0} it refers to a character that XML does not allow, which "
                       "would cut its text short or change it"),
                    {std::to_string(reason.offset)});
    case ReasonKind::RepeatedAttribute:
      return std::string(Tr("an element in it has the same attribute twice"));
    default:
      return {};
  }
}

// Why the profile cannot be used at all; empty for the other reasons.
std::string_view ProfileUnusable(const Reason& reason) {
  switch (reason.kind) {
    case ReasonKind::ProfileFolderNotCreated:
      return Tr("the folder cannot be created");
    case ReasonKind::ProfileFileNotCreated:
      return Tr("the file cannot be created");
    case ReasonKind::ProfileDamaged:
      return Tr("the file is damaged");
    case ReasonKind::ProfileUnusable:
      return reason.detail;
    default:
      return {};
  }
}

}  // namespace

std::string Word(const Reason& reason) {
  if (const std::string_view step = StepPattern(reason.kind); !step.empty()) {
    return Format(step, {reason.path, Why(reason)});
  }
  if (const std::string why = NotAHistory(reason); !why.empty()) {
    return Format(Tr("{0} is not a message history: {1}"), {reason.path, why});
  }
  if (const std::string_view why = ProfileUnusable(reason); !why.empty()) {
    return Format(Tr("cannot use the profile {0}: {1}; settings start from their defaults, "
                     "nothing is saved to it, and the file is left as it is"),
                  {reason.path, why});
  }
  switch (reason.kind) {
    case ReasonKind::None:
      return reason.detail;
    case ReasonKind::ReadNotRegular:
      return Format(Tr("cannot read {0}: it is {1}, not a regular file"),
                    {reason.path, FileKindText(reason.fileKind)});
    case ReasonKind::ReplaceNotRegular:
      return Format(Tr("cannot replace {0}: it is {1}, not a regular file"),
                    {reason.path, FileKindText(reason.fileKind)});
    case ReasonKind::ShortenedWhileRead:
      return Format(Tr("cannot read {0}: it became shorter while it was read"), {reason.path});
    case ReasonKind::StoppedWhileWaiting:
      return std::string(Tr("stopped while waiting for another Palvarin job"));
    case ReasonKind::LockFolderNotPrivate:
      return Format(
          Tr("the lock folder {0} is not a folder of this user's that only this user may enter"),
          {reason.path});
    case ReasonKind::NoMemoryToRead:
      return Format(Tr("no memory to read {0}"), {reason.path});
    case ReasonKind::NoMemoryToLoad:
      return Format(Tr("no memory to load {0}"), {reason.path});
    case ReasonKind::NoMemoryToSet:
      return Format(Tr("no memory to set the attribute {0}"), {reason.detail});
    case ReasonKind::SearchFolderNotCreated:
      return Format(Tr("cannot create the folder of the search index {0}: {1}; the histories "
                       "were read into memory instead"),
                    {reason.path, SystemReason(reason.code)});
    case ReasonKind::SearchFolderNotPrivate:
      return Format(Tr("cannot use the search index {0}: its folder is a link, or not a folder "
                       "of this user's that only this user may enter; the histories were read "
                       "into memory instead"),
                    {reason.path});
    case ReasonKind::SearchIndexNotPrivate:
      return Format(Tr("cannot use the search index {0}: it is a link, or not a file of this "
                       "user's alone; the histories were read into memory instead"),
                    {reason.path});
    case ReasonKind::SearchIndexOtherVersion:
      return Format(Tr("cannot use the search index {0}: it was made by another version of "
                       "Palvarin; the histories were read into memory instead"),
                    {reason.path});
    case ReasonKind::SearchIndexUnusable:
      return Format(Tr("cannot use the search index {0}: {1}; the histories were read into "
                       "memory instead"),
                    {reason.path, Why(reason)});
    case ReasonKind::SearchIndexDamaged:
      return Format(Tr("the search index {0} was damaged; it was made anew from the histories"),
                    {reason.path});
    case ReasonKind::SearchImpossible:
      return Format(Tr("cannot search: {0}"), {reason.detail});
    case ReasonKind::WriteThroughLink:
      return Format(Tr("{0} is a link; no file is written through a link in an output folder"),
                    {reason.path});
    case ReasonKind::BrokenOffInEntry:
      return Format(TrN("{0} is cut off at byte {1}: {2} whole entry before it, the entry at the "
                        "cut left out",
                        "{0} is cut off at byte {1}: {2} whole entries before it, the entry at "
                        "the cut left out",
                        static_cast<unsigned long>(reason.count)),
                    {reason.path, std::to_string(reason.offset), std::to_string(reason.count)});
    case ReasonKind::BrokenOffBetweenEntries:
      return Format(TrN("{0} is cut off at byte {1}: {2} whole entry before it",
                        "{0} is cut off at byte {1}: {2} whole entries before it",
                        static_cast<unsigned long>(reason.count)),
                    {reason.path, std::to_string(reason.offset), std::to_string(reason.count)});
    case ReasonKind::ProfileNewer:
      return Format(Tr("the profile {0} was written by a newer version of Palvarin; settings are "
                       "read from it, but nothing is saved to it and the file is left as it is"),
                    {reason.path});
    default:
      return Why(reason);
  }
}

std::string SystemReason(int code) {
  switch (code) {
    case ENOENT:
      return std::string(Tr("No such file or directory"));
    case EACCES:
      return std::string(Tr("Permission denied"));
    case EPERM:
      return std::string(Tr("Operation not permitted"));
    case ENOSPC:
      return std::string(Tr("No space left on device"));
    case EDQUOT:
      return std::string(Tr("Disk quota exceeded"));
    case EROFS:
      return std::string(Tr("Read-only file system"));
    case EIO:
      return std::string(Tr("Input/output error"));
    case ENOMEM:
      return std::string(Tr("Cannot allocate memory"));
    case EEXIST:
      return std::string(Tr("File exists"));
    case ENOTDIR:
      return std::string(Tr("Not a directory"));
    case EISDIR:
      return std::string(Tr("Is a directory"));
    case ELOOP:
      return std::string(Tr("Too many levels of symbolic links"));
    case ENAMETOOLONG:
      return std::string(Tr("File name too long"));
    case EMFILE:
      return std::string(Tr("Too many open files"));
    case EBUSY:
      return std::string(Tr("Device or resource busy"));
    case EFBIG:
      return std::string(Tr("File too large"));
    default:
      return std::generic_category().message(code);
  }
}

}  // namespace palvarin

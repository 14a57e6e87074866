#include "find/find_history_folders.hpp"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <map>
#include <tuple>

#include "device_rule.hpp"
#include "files/folder_listing.hpp"
#include "files/io_faults.hpp"
#include "find/folder_account.hpp"
#include "history/history_owner.hpp"
#include "history/history_rule.hpp"
#include "history/xml_error.hpp"
#include "history_sniff.hpp"

namespace palvarin {
namespace {

// Enough for the prolog and the start of the root element of any history Messenger writes.
constexpr std::size_t kHeadSize = 4096;

// The last name of `path`, trailing slashes left out.
std::string_view LastName(std::string_view path) {
  while (path.size() > 1 && path.ends_with('/')) path.remove_suffix(1);
  const std::size_t slash = path.find_last_of('/');
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

std::string Joined(const std::string& folder, const std::string& name) {
  if (folder.empty() || folder.ends_with('/')) return folder + name;
  return folder + '/' + name;
}

// One open folder of the way down.
struct Frame {
  DIR* dir = nullptr;
  std::string path;
  dev_t device = 0;
  ino_t inode = 0;
  bool account = false;
  std::vector<std::string> subfolders{};  // in byte order
  std::size_t next = 0;                   // the next of them to walk
};

class Walk {
 public:
  Walk(const FindOptions& options, FindObserver* observer, dev_t rootDevice)
      : options_(options), observer_(observer), rootDevice_(rootDevice) {}

  FindReport Run(int rootFd, const std::string& root, const struct stat& info) {
    if (Enter(rootFd, root, info)) {
      while (!stack_.empty()) Step();
    }
    report_.problems.reserve(problems_.size());
    for (auto& [folder, problem] : problems_) report_.problems.push_back(std::move(problem));
    std::sort(report_.damaged.begin(), report_.damaged.end(),
              [](const Reason& a, const Reason& b) { return a.path < b.path; });
    // Grouped by account, those of no known account last; each group in byte order.
    std::sort(report_.folders.begin(), report_.folders.end(),
              [](const HistoryFolder& a, const HistoryFolder& b) {
                const std::string& keyA = AccountKey(a.account);
                const std::string& keyB = AccountKey(b.account);
                if (keyA.empty() != keyB.empty()) return keyB.empty();
                return std::tie(keyA, a.folder) < std::tie(keyB, b.folder);
              });
    return std::move(report_);
  }

 private:
  // Walks into the next subfolder of the innermost folder, or leaves it when none is left.
  void Step() {
    Frame& top = stack_.back();
    if (top.next == top.subfolders.size()) {
      ::closedir(top.dir);
      stack_.pop_back();
      return;
    }
    const std::string& name = top.subfolders[top.next++];
    const std::string path = Joined(top.path, name);
    // O_NOFOLLOW: a name turned into a link since it was listed is not followed either. The
    // seam lets tests refuse a folder even to root, who can open any.
    int fd = -1;
    if (faults::Allow("open folder")) {
      fd = ::openat(::dirfd(top.dir), name.c_str(),
                    O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    } else {
      errno = EACCES;
    }
    if (fd < 0) {
      if (errno != ELOOP && errno != ENOTDIR && errno != ENOENT) {
        Problem(path, {.kind = ReasonKind::CannotOpen, .path = path, .code = errno});
      }
      return;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
      Problem(path, {.kind = ReasonKind::CannotExamine, .path = path, .code = errno});
      ::close(fd);
      return;
    }
    // Another file system (unless asked for), or a folder met again below itself through a
    // bind mount: not walked.
    const bool otherDevice = !WalksOnto(rootDevice_, info.st_dev, options_);
    const bool again = std::any_of(stack_.begin(), stack_.end(), [&info](const Frame& frame) {
      return frame.device == info.st_dev && frame.inode == info.st_ino;
    });
    if (otherDevice || again) {
      ::close(fd);
      return;
    }
    Enter(fd, path, info);
  }

  // Lists the folder open as `fd`, examines its files and, unless the walk is to stop, makes
  // it the innermost folder. Takes `fd` over.
  bool Enter(int fd, const std::string& path, const struct stat& info) {
    if (observer_ != nullptr && observer_->ShouldStop()) {
      report_.stopped = true;
      ::close(fd);
      for (Frame& frame : stack_) frame.next = frame.subfolders.size();
      return false;
    }
    ++report_.foldersWalked;
    if (observer_ != nullptr) {
      observer_->FolderEntered({.folders = report_.foldersWalked,
                                .files = report_.filesExamined,
                                .histories = histories_,
                                .folder = path});
    }
    DIR* dir = ::fdopendir(fd);
    if (dir == nullptr) {
      Problem(path, {.kind = ReasonKind::CannotList, .path = path, .code = errno});
      ::close(fd);
      return false;
    }
    Frame frame{.dir = dir, .path = path, .device = info.st_dev, .inode = info.st_ino};
    std::vector<std::string> files;
    bool holdsHistoryFolder = false;
    for (;;) {
      errno = 0;
      const dirent* entry = ::readdir(dir);
      if (entry == nullptr) {
        if (errno != 0) {
          Problem(path, {.kind = ReasonKind::CannotList, .path = path, .code = errno});
        }
        break;
      }
      const std::string_view name = entry->d_name;
      if (name == "." || name == "..") continue;
      unsigned char type = entry->d_type;
      if (type == DT_UNKNOWN) {
        struct stat named {};
        if (::fstatat(fd, entry->d_name, &named, AT_SYMLINK_NOFOLLOW) != 0) continue;
        type = S_ISDIR(named.st_mode) ? DT_DIR : S_ISREG(named.st_mode) ? DT_REG : DT_UNKNOWN;
      }
      // Links, pipes, sockets and devices are left alone.
      if (type == DT_DIR) {
        frame.subfolders.emplace_back(name);
        holdsHistoryFolder |= IsHistoryFolderName(name);
      } else if (type == DT_REG) {
        files.emplace_back(name);
      }
    }
    std::sort(frame.subfolders.begin(), frame.subfolders.end());
    ExamineFiles(fd, path, files);
    frame.account = holdsHistoryFolder && HasAccountName(LastName(path));
    stack_.push_back(std::move(frame));
    return true;
  }

  void ExamineFiles(int folderFd, const std::string& folder,
                    const std::vector<std::string>& files) {
    HistoryFolder found{.folder = folder};
    HistoryOwner owner;
    for (const std::string& name : files) {
      ++report_.filesExamined;
      // Only what the jobs take for a history: a file of another name is never one.
      if (!HasHistoryName(name)) continue;
      const std::optional<HistoryFacts> facts = Examine(folderFd, folder, name, owner);
      if (!facts) continue;
      ++found.histories;
      if (facts->first && (!found.first || *facts->first < *found.first))
        found.first = facts->first;
      if (facts->last && (!found.last || *facts->last > *found.last)) found.last = facts->last;
    }
    if (found.histories == 0) return;
    histories_ += found.histories;
    for (auto frame = stack_.rbegin(); frame != stack_.rend(); ++frame) {
      if (frame->account) {
        found.accountFolder = frame->path;
        found.account.name = LastName(frame->path);
        break;
      }
    }
    found.account.owner = owner.Owner().value_or(std::string());
    report_.folders.push_back(std::move(found));
  }

  // The facts of the file `name` when it is a history; none when it is not, or cannot be read
  // (a problem of its folder then).
  std::optional<HistoryFacts> Examine(int folderFd, const std::string& folder,
                                      const std::string& name, HistoryOwner& owner) {
    const std::string path = Joined(folder, name);
    const int fd =
        ::openat(folderFd, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
      if (errno != ELOOP && errno != ENOENT) {
        Problem(folder, {.kind = ReasonKind::CannotOpen, .path = path, .code = errno});
      }
      return std::nullopt;
    }
    struct stat info {};
    ssize_t got = -1;
    int error = 0;
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
      const auto wanted =
          static_cast<std::size_t>(std::min<off_t>(info.st_size, static_cast<off_t>(head_.size())));
      got = wanted == 0 ? 0 : ::pread(fd, head_.data(), wanted, 0);
      error = errno;
    }
    ::close(fd);
    if (!S_ISREG(info.st_mode)) return std::nullopt;
    if (got < 0) {
      Problem(folder, {.kind = ReasonKind::CannotRead, .path = path, .code = error});
      return std::nullopt;
    }
    const HeadVerdict verdict =
        ReadHead({head_.data(), static_cast<std::size_t>(got)}, got == info.st_size);
    if (verdict == HeadVerdict::NotHistory) return std::nullopt;
    const Result<HistoryFacts> facts = LoadFacts(path, owner);
    if (facts && facts->damage.kind != ReasonKind::None) report_.damaged.push_back(facts->damage);
    if (facts) return *facts;
    // A file that begins as a history but is none is worth a word; one that only might have
    // been one is not.
    if (!facts && (verdict == HeadVerdict::LogRoot || !SaysNoHistory(facts.reason().kind))) {
      Problem(folder, facts.reason());
    }
    return std::nullopt;
  }

  Result<HistoryFacts> LoadFacts(const std::string& path, HistoryOwner& owner) {
    try {
      return ReadHistoryFacts(path, hours_, owner);
    } catch (const XmlError& noMemory) {
      // Memory ran out for this one file: the walk goes on with the others.
      return Failure{noMemory.Why()};
    }
  }

  void Problem(const std::string& folder, Reason why) {
    FolderProblem& problem = problems_[folder];
    if (problem.count++ == 0) {
      problem.folder = folder;
      problem.first = std::move(why);
    }
  }

  const FindOptions& options_;
  FindObserver* observer_;
  dev_t rootDevice_;
  std::vector<Frame> stack_;
  std::map<std::string, FolderProblem> problems_;
  std::array<char, kHeadSize> head_{};
  LocalTimeCache hours_;
  std::size_t histories_ = 0;
  FindReport report_;
};

}  // namespace

Result<FindReport> FindHistoryFolders(const std::string& root, const FindOptions& options,
                                      FindObserver* observer) {
  // The root is followed when it is a link: it is the folder the user named.
  const int fd =
      ::open(root.empty() ? "." : root.c_str(), O_RDONLY | O_DIRECTORY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return Failure{{.kind = ReasonKind::CannotOpen, .path = root, .code = errno}};
  struct stat info {};
  if (::fstat(fd, &info) != 0) {
    const int error = errno;
    ::close(fd);
    return Failure{{.kind = ReasonKind::CannotExamine, .path = root, .code = error}};
  }
  return Walk(options, observer, info.st_dev).Run(fd, root, info);
}

}  // namespace palvarin

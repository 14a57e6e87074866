#include "history_listing.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <condition_variable>
#include <cstdint>
#include <ctime>
#include <exception>
#include <filesystem>
#include <mutex>

#include "files/folder_listing.hpp"
#include "files/split_path.hpp"
#include "history_messages.hpp"

namespace palvarin {
namespace {

std::int64_t Nanoseconds(const timespec& time) {
  return static_cast<std::int64_t>(time.tv_sec) * 1'000'000'000 + time.tv_nsec;
}

// What tells a history file apart from an earlier state of itself: its status. None when the
// file is gone or no regular file.
std::optional<HistoryStamp> StampOf(int folder, const char* path) {
  struct stat info {};
  if (::fstatat(folder, path, &info, 0) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
  return HistoryStamp{static_cast<std::int64_t>(info.st_size), Nanoseconds(info.st_mtim),
                      Nanoseconds(info.st_ctim), static_cast<std::int64_t>(info.st_ino)};
}

// Histories stamped at a time by one thread: few enough to share the work out evenly.
constexpr std::size_t kStampedAtOnce = 16;

}  // namespace

// A folder's histories being stamped, shared by the thread that stamps them and the caller.
struct HistoryListing::Lister {
  std::string folder;   // ending with "/"
  int descriptor = -1;  // the folder open, to stamp each history by its name in it
  std::mutex lock;
  std::condition_variable changed;
  bool named = false;  // `histories` named and `listed` known: the stamping may begin
  std::vector<HistoryToSearch> histories;
  Result<> listed;
  std::exception_ptr raised;  // what naming them raised
  std::size_t claimed = 0, stamped = 0;

  ~Lister() {
    if (descriptor >= 0) ::close(descriptor);
  }

  void Name(std::optional<std::vector<std::string>> known) {
    {
      const std::lock_guard<std::mutex> hold(lock);
      if (named) return;
    }
    try {
      Result<std::vector<std::string>> names =
          known ? Result<std::vector<std::string>>(std::move(*known)) : ListHistoryNames(folder);
      if (!names) listed = Failure{names.reason()};
      if (names) {
        histories.reserve(names->size());
        for (std::string& name : *names) histories.push_back({std::move(name), std::nullopt});
      }
    } catch (...) {
      histories.clear();
      raised = std::current_exception();
    }
    {
      const std::lock_guard<std::mutex> hold(lock);
      named = true;
    }
    changed.notify_all();
  }

  // Stamps histories, once they are named, until none is left to claim.
  void Stamp() {
    {
      std::unique_lock<std::mutex> hold(lock);
      changed.wait(hold, [this] { return named; });
    }
    std::string path;  // when the folder could not be opened
    for (;;) {
      std::size_t first = 0, end = 0;
      {
        const std::lock_guard<std::mutex> hold(lock);
        if (claimed >= histories.size()) return;
        first = claimed;
        end = claimed = std::min(histories.size(), claimed + kStampedAtOnce);
      }
      for (std::size_t at = first; at < end; ++at) {
        HistoryToSearch& history = histories[at];
        if (descriptor >= 0) {
          history.stamp = StampOf(descriptor, history.name.c_str());
        } else {
          path.assign(folder).append(history.name);
          history.stamp = StampOf(AT_FDCWD, path.c_str());
        }
      }
      bool all = false;
      {
        const std::lock_guard<std::mutex> hold(lock);
        stamped += end - first;
        all = stamped == histories.size();
      }
      if (all) changed.notify_all();
    }
  }
};

Result<HistoryListing> HistoryListing::Start(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) {
    std::vector<SearchHit> none;
    Reason damage;
    if (Result<> read = SearchHistoryFile(path, {}, none, nullptr, damage); !read) {
      return Failure{read.reason()};
    }
  }
  const std::string absolute = std::filesystem::absolute(path).lexically_normal().string();
  HistoryListing listing;
  if (!S_ISDIR(info.st_mode)) {
    PathParts parts = SplitPath(path);
    listing.folder_ = std::move(parts.folder);
    listing.absoluteFolder_ = SplitPath(absolute).folder;
    listing.histories_.push_back({std::move(parts.name), StampOf(AT_FDCWD, path.c_str())});
    return listing;
  }
  listing.isFolder_ = true;
  listing.folder_ = path.ends_with('/') ? path : path + '/';
  listing.absoluteFolder_ = absolute.ends_with('/') ? absolute : absolute + '/';
  auto lister = std::make_shared<Lister>();
  lister->folder = listing.folder_;
  // Each history is stamped by its name in the open folder: one step of a path each, not the
  // whole path again. The folder's state is read before it is named, so that a change while it
  // is listed shows next time.
  lister->descriptor = ::open(listing.folder_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  timespec now{};
  ::clock_gettime(CLOCK_REALTIME, &now);
  listing.listedAt_ = Nanoseconds(now);
  if (lister->descriptor >= 0 && ::fstat(lister->descriptor, &info) == 0) {
    listing.state_ = FolderState{Nanoseconds(info.st_mtim), Nanoseconds(info.st_ctim),
                                 static_cast<std::int64_t>(info.st_ino)};
  }
  listing.lister_ = lister;
  listing.thread_ = std::thread([lister] { lister->Stamp(); });
  return listing;
}

HistoryListing::~HistoryListing() {
  if (lister_) lister_->Name(std::vector<std::string>{});  // lets the thread end
  if (thread_.joinable()) thread_.join();
}

void HistoryListing::Name(std::optional<std::vector<std::string>> known) {
  if (lister_) lister_->Name(std::move(known));
}

void HistoryListing::Wait() {
  if (!lister_) return;
  const std::shared_ptr<Lister> lister = std::move(lister_);
  lister->Name(std::nullopt);
  lister->Stamp();
  // The thread is joined at the end: it may not even have begun, and has nothing left to do.
  std::unique_lock<std::mutex> hold(lister->lock);
  lister->changed.wait(hold, [&lister] { return lister->stamped == lister->histories.size(); });
  if (lister->raised) std::rethrow_exception(lister->raised);
  histories_ = std::move(lister->histories);
  listed_ = lister->listed;
}

const std::vector<HistoryToSearch>& HistoryListing::Histories() {
  Wait();
  return histories_;
}

Result<> HistoryListing::Listed() {
  Wait();
  return listed_;
}

}  // namespace palvarin

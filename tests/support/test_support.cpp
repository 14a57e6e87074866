#include "support/test_support.hpp"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/sysinfo.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <sstream>
#include <thread>

#include "entry_identity.hpp"
#include "history/log_document.hpp"

namespace palvarin::test {

bool Eventually(const std::function<bool()>& condition, std::chrono::seconds guard) {
  const auto end = std::chrono::steady_clock::now() + guard;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return true;
}

void RunGuarded(std::chrono::seconds guard, const std::function<void()>& body) {
  std::fflush(nullptr);  // nothing buffered is written twice
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    body();
    std::fflush(nullptr);
    ::_exit(::testing::Test::HasFailure() ? 1 : 0);
  }
  int status = 0;
  const bool ended = Eventually([&] { return ::waitpid(child, &status, WNOHANG) == child; }, guard);
  if (!ended) {
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
  }
  const bool passed = ended && WIFEXITED(status) && WEXITSTATUS(status) == 0;
  EXPECT_TRUE(ended) << "still running after " << guard.count() << " s";
  EXPECT_TRUE(!ended || passed) << "failed in its child process";
}

std::function<bool()> GiveUpAfter(std::chrono::seconds guard) {
  const auto end = std::chrono::steady_clock::now() + guard;
  return [end] { return std::chrono::steady_clock::now() <= end; };
}

TempFolder::TempFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "palvarin-test-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

TempFolder::~TempFolder() {
  std::error_code ec;
  // Read-only folders made by tests must not keep their contents alive.
  for (auto it = std::filesystem::recursive_directory_iterator(path_, ec);
       it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
    std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
  }
  std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                               std::filesystem::perm_options::add, ec);
  std::filesystem::remove_all(path_, ec);
}

ScopedEnvironment::ScopedEnvironment(const char* name, const char* value) : name_(name) {
  if (const char* old = std::getenv(name)) old_ = old;
  if (value != nullptr) {
    ::setenv(name, value, 1);
  } else {
    ::unsetenv(name);
  }
}

ScopedEnvironment::~ScopedEnvironment() {
  if (old_) {
    ::setenv(name_.c_str(), old_->c_str(), 1);
  } else {
    ::unsetenv(name_.c_str());
  }
}

ScopedWorkingFolder::ScopedWorkingFolder(const std::filesystem::path& folder)
    : old_(std::filesystem::current_path()) {
  std::filesystem::current_path(folder);
}

ScopedWorkingFolder::~ScopedWorkingFolder() { std::filesystem::current_path(old_); }

ScopedTimeZone::ScopedTimeZone(const char* zone) {
  zone_.emplace("TZ", zone);
  ::tzset();
}

ScopedTimeZone::~ScopedTimeZone() {
  zone_.reset();  // the old zone back, then read again
  ::tzset();
}

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

void WriteFile(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

namespace {

bool SetImmutable(const std::filesystem::path& folder, bool on) {
  int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
  if (fd < 0) return false;
  int flags = 0;
  bool done = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
  flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
  done = done && ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
  ::close(fd);
  return done;
}

bool RefusesNewFiles(const std::filesystem::path& folder) {
  const auto probe = folder / "probe";
  int fd = ::open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600);
  if (fd < 0) return true;
  ::close(fd);
  ::unlink(probe.c_str());
  return false;
}

}  // namespace

void MakeSocket(const std::filesystem::path& path) {
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  ASSERT_GE(fd, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  ASSERT_LT(path.string().size(), sizeof address.sun_path);
  std::strcpy(address.sun_path, path.c_str());
  EXPECT_EQ(::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
  ::close(fd);  // the name stays
}

bool MakeReadOnly(const std::filesystem::path& folder) {
  std::filesystem::permissions(
      folder, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
  if (RefusesNewFiles(folder)) return true;
  return SetImmutable(folder, true) && RefusesNewFiles(folder);
}

void MakeWritable(const std::filesystem::path& folder) {
  SetImmutable(folder, false);
  std::filesystem::permissions(folder, std::filesystem::perms::owner_all);
}

bool MakeFileLargerThanMemory(const std::filesystem::path& path) {
  WriteFile(path, "");
  struct sysinfo machine {};
  if (::sysinfo(&machine) != 0) return false;
  std::error_code error;
  std::filesystem::resize_file(
      path, (std::uintmax_t{machine.totalram} + machine.totalswap) * machine.mem_unit + (1u << 30),
      error);
  return !error;
}

std::filesystem::path CorpusFolder() {
  // Only where the build was told to look.
  const std::filesystem::path folder = PALVARIN_CORPUS;
  return std::filesystem::is_directory(folder) ? folder : std::filesystem::path();
}

std::vector<std::filesystem::path> CorpusFiles() {
  std::vector<std::filesystem::path> files;
  if (auto folder = CorpusFolder(); !folder.empty()) {
    for (const auto& item : std::filesystem::directory_iterator(folder)) {
      if (item.path().extension() == ".xml") files.push_back(item.path());
    }
  }
  std::sort(files.begin(), files.end());
  return files;
}

std::vector<EntryIdentity> Identities(const pugi::xml_document& document) {
  IdentityDigest digest;
  std::vector<EntryIdentity> identities;
  for (pugi::xml_node entry : document.document_element().children()) {
    if (entry.type() == pugi::node_element) {
      identities.push_back(digest.Of(WithTime(LogEntry{entry})));
    }
  }
  return identities;
}

std::vector<EntryIdentity> Identities(const std::vector<MergedEntry>& records) {
  IdentityDigest digest;
  std::vector<EntryIdentity> identities;
  for (const MergedEntry& record : records) {
    identities.push_back(digest.Of(WithTime(LogEntry{record.entry})));
  }
  return identities;
}

std::vector<EntryIdentity> Identities(const std::filesystem::path& history) {
  const auto document = LoadLogDocument(history);
  return document ? Identities(document->Xml()) : std::vector<EntryIdentity>{};
}

std::string CanonicalTree(pugi::xml_node top) {
  std::string out;
  pugi::xml_node node = top;
  while (node) {
    switch (node.type()) {
      case pugi::node_element:
        out += "<" + std::string(node.name());
        for (auto attribute : node.attributes()) {
          out += " " + std::string(attribute.name()) + "=[" + attribute.value() + "]";
        }
        out += ">";
        // An element's own value is its leading text: shown as a text node would be.
        if (*node.value()) out += "T[" + std::string(node.value()) + "]";
        break;
      case pugi::node_pcdata:
        out += "T[" + std::string(node.value()) + "]";
        break;
      case pugi::node_cdata:
        out += "C[" + std::string(node.value()) + "]";
        break;
      case pugi::node_comment:
        out += "!--[" + std::string(node.value()) + "]";
        break;
      default:
        out += "?" + std::to_string(node.type());
        break;
    }
    if (node.first_child()) {
      node = node.first_child();
      continue;
    }
    if (node.type() == pugi::node_element) out += "</>";
    while (node != top && !node.next_sibling()) {
      node = node.parent();
      out += "</>";
    }
    node = node == top ? pugi::xml_node{} : node.next_sibling();
  }
  return out;
}

int Occurrences(std::string_view text, std::string_view needle) {
  // Found by a short slice around the needle's rarest character, then compared whole: find
  // compares the whole needle wherever its first character stands, which for a needle of 700 KB
  // of nested tags took minutes under the thread sanitizer, whose memcmp looks at every byte it
  // is given.
  std::size_t counts[256] = {};
  for (const char c : needle) ++counts[static_cast<unsigned char>(c)];
  const auto rarest = std::min_element(needle.begin(), needle.end(), [&counts](char a, char b) {
    return counts[static_cast<unsigned char>(a)] < counts[static_cast<unsigned char>(b)];
  });
  const auto pivot = static_cast<std::size_t>(rarest - needle.begin());
  const std::size_t from = pivot - std::min<std::size_t>(pivot, 32);
  const std::string_view slice = needle.substr(from, 64);
  int count = 0;
  std::size_t free = 0;  // where the next occurrence may start: they do not overlap
  for (auto at = text.find(slice, from); at != text.npos; at = text.find(slice, at + 1)) {
    const std::size_t start = at - from;
    if (start >= free && text.substr(start, needle.size()) == needle) {
      ++count;
      free = start + needle.size();
    }
  }
  return count;
}

}  // namespace palvarin::test

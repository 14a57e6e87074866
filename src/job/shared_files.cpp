#include "shared_files.hpp"

#include <algorithm>
#include <thread>
#include <tuple>

namespace palvarin {
namespace {

// The file of each of `names` (in byte order) in `folder`, looking only for those it listed.
std::vector<std::optional<NamedFile>> FilesIn(const JobFolder& folder,
                                              const std::vector<std::string>& names) {
  if (folder.listed == nullptr) return ReadNamedFiles(folder.prefix, names);
  std::vector<std::string> held;
  std::vector<std::size_t> at;
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (std::binary_search(folder.listed->begin(), folder.listed->end(), names[i])) {
      held.push_back(names[i]);
      at.push_back(i);
    }
  }
  std::vector<std::optional<NamedFile>> found = ReadNamedFiles(folder.prefix, held);
  std::vector<std::optional<NamedFile>> files(names.size());
  for (std::size_t k = 0; k < at.size(); ++k) files[at[k]] = std::move(found[k]);
  return files;
}

}  // namespace

FolderFiles::FolderFiles(const std::vector<JobFolder>& folders,
                         const std::set<std::string>& allNames)
    : names(allNames.begin(), allNames.end()), files(folders.size()) {
  std::vector<std::jthread> helpers;
  for (std::size_t f = 0; f < folders.size(); ++f) {
    prefixes.push_back(folders[f].prefix);
    const auto look = [this, &folders, f] { files[f] = FilesIn(folders[f], names); };
    const bool little = folders[f].listed != nullptr && folders[f].listed->empty();
    if (f == 0 || little) {
      look();
    } else {
      helpers.emplace_back(look);
    }
  }
}

std::uint64_t FolderFiles::Size(std::size_t folder, const std::string& name) const {
  const auto at = std::lower_bound(names.begin(), names.end(), name);
  if (at == names.end() || *at != name) return 0;
  const std::optional<NamedFile>& file =
      files[folder][static_cast<std::size_t>(at - names.begin())];
  return file ? file->size : 0;
}

std::map<std::string, SharedPaths> NamesSharingAFile(const FolderFiles& found) {
  struct Use {
    FileIdentity file;
    std::size_t folder;
    std::size_t name;
  };
  std::vector<Use> uses;
  for (std::size_t f = 0; f < found.prefixes.size(); ++f) {
    for (std::size_t n = 0; n < found.names.size(); ++n) {
      if (const auto& file = found.files[f][n]) uses.push_back({file->identity, f, n});
    }
  }
  const auto key = [](const Use& use) {
    return std::tuple(use.file.device, use.file.inode, use.folder, use.name);
  };
  std::sort(uses.begin(), uses.end(),
            [&key](const Use& a, const Use& b) { return key(a) < key(b); });
  const auto path = [&found](const Use& use) {
    return found.prefixes[use.folder] + found.names[use.name];
  };
  std::map<std::string, SharedPaths> shared;
  for (auto begin = uses.begin(); begin != uses.end();) {
    const auto end =
        std::find_if(begin, uses.end(), [&](const Use& use) { return use.file != begin->file; });
    for (auto use = begin; use != end; ++use) {
      for (auto other = begin; other != end; ++other) {
        if (other->name != use->name) {
          shared.emplace(found.names[use->name], std::pair(path(*use), path(*other)));
        }
      }
    }
    begin = end;
  }
  return shared;
}

void FailAsShared(PairReport& pair, const SharedPaths& paths) {
  pair.outcome = PairOutcome::Failed;
  pair.problem = PairProblem::SharedFile;
  pair.problemPath = paths.first;
  pair.otherPath = paths.second;
}

}  // namespace palvarin

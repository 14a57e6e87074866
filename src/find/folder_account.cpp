#include "find/folder_account.hpp"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <optional>

#include "files/folder_listing.hpp"
#include "history/history_owner.hpp"
#include "history/log_document.hpp"
#include "history/xml_error.hpp"

namespace palvarin {
namespace {

namespace fs = std::filesystem;

// Whether `folder` holds a folder named "History" in any case.
bool HoldsHistoryFolder(const fs::path& folder) {
  std::error_code error;
  for (fs::directory_iterator at(folder, error), end; !error && at != end; at.increment(error)) {
    if (IsHistoryFolderName(at->path().filename().string()) && at->is_directory(error)) {
      return true;
    }
  }
  return false;
}

std::string AccountNameOf(const std::string& folder) {
  std::error_code error;
  fs::path path = fs::absolute(folder, error).lexically_normal();
  if (error) return {};
  if (!path.has_filename()) path = path.parent_path();
  // Walked up, not down: the depth is that of the path given.
  for (; !path.empty() && path != path.root_path(); path = path.parent_path()) {
    const std::string name = path.filename().string();
    if (HasAccountName(name) && HoldsHistoryFolder(path)) return name;
  }
  return {};
}

std::string OwnerOf(const std::string& folder) {
  const Result<std::vector<std::string>> names = ListHistoryNames(folder);
  if (!names) return {};
  const std::string prefix = folder.ends_with('/') ? folder : folder + '/';
  HistoryOwner owner;
  for (const std::string& name : *names) {
    try {
      const Result<LogDocument> log = LoadLogDocument(prefix + name);
      if (log) owner.AddHistory(log->Root());
    } catch (const XmlError&) {
      // Memory ran out for this one file: the others still tell.
    }
  }
  return owner.Owner().value_or(std::string());
}

}  // namespace

bool HasAccountName(std::string_view name) {
  const std::size_t digits = name.find_last_not_of("0123456789");
  return digits != std::string_view::npos && digits + 1 < name.size();
}

bool IsHistoryFolderName(std::string_view name) {
  constexpr std::string_view kHistory = "history";
  return std::equal(name.begin(), name.end(), kHistory.begin(), kHistory.end(), [](char a, char b) {
    return std::tolower(static_cast<unsigned char>(a)) == b;
  });
}

const std::string& AccountKey(const FolderAccount& account) {
  return account.name.empty() ? account.owner : account.name;
}

bool DifferentAccounts(const FolderAccount& a, const FolderAccount& b) {
  if (!a.name.empty() && !b.name.empty()) return a.name != b.name;
  return !a.owner.empty() && !b.owner.empty() && a.owner != b.owner;
}

FolderAccount ReadFolderAccount(const std::string& folder) {
  FolderAccount account{.name = AccountNameOf(folder)};
  if (account.name.empty()) account.owner = OwnerOf(folder);
  return account;
}

std::vector<FolderAccount> MixedAccounts(const std::vector<std::string>& folders) {
  std::vector<FolderAccount> accounts;
  for (const std::string& folder : folders) {
    FolderAccount account = ReadFolderAccount(folder);
    const bool told = !account.name.empty() || !account.owner.empty();
    if (told && std::find(accounts.begin(), accounts.end(), account) == accounts.end()) {
      accounts.push_back(std::move(account));
    }
  }
  for (std::size_t i = 0; i < accounts.size(); ++i) {
    for (std::size_t j = i + 1; j < accounts.size(); ++j) {
      if (DifferentAccounts(accounts[i], accounts[j])) return accounts;
    }
  }
  return {};
}

}  // namespace palvarin

#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace palvarin {

// Whose histories a folder holds, as far as can be told.
struct FolderAccount {
  // The name of the Messenger account folder it sits in ("taro1234567": a name and digits,
  // holding a "History" folder); empty when the layout shows none.
  std::string name{};
  // The user who takes part in every conversation of its histories (HistoryOwner); empty
  // when no one is sure to.
  std::string owner{};
  bool operator==(const FolderAccount&) const = default;
};

// "<name><digits>": the folder Messenger keeps one account's received files and histories in.
bool HasAccountName(std::string_view name);
// "History" in any letter case.
bool IsHistoryFolderName(std::string_view name);

// What groups folders of one account: the account folder's name, else the owner; empty when
// neither is known.
const std::string& AccountKey(const FolderAccount& account);

// Whether `a` and `b` are told to be two accounts: by their account names when both have one,
// else by their owners when both have one. An account that cannot be told is no other one.
bool DifferentAccounts(const FolderAccount& a, const FolderAccount& b);

// The account of the folder `folder`: the nearest folder of the path, itself included, laid out
// as an account's, and the owner of the histories it holds, read only when the path shows no
// account name (a backup copied out of Messenger's layout).
FolderAccount ReadFolderAccount(const std::string& folder);

// The accounts of `folders` when two of them are told apart (DifferentAccounts), each once in
// the order met; empty when they may all be one user's.
std::vector<FolderAccount> MixedAccounts(const std::vector<std::string>& folders);

}  // namespace palvarin

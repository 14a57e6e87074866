#pragma once

#include <optional>
#include <string>
#include <vector>

#include "find/find_history_folders.hpp"
#include "time/time_value.hpp"

namespace palvarin {

// The local date of `time` as "YYYY-MM-DD"; "-" when there is none.
std::string FoundDate(const std::optional<TimeValue>& time);

// How far a walk has come: "12,345 folders, 678,901 files, 42 histories — /media/old/...".
std::string FindProgressLine(const FindProgress& progress);

// One warning per folder with something that could not be read: what, and how many; and one
// per history that breaks off, counted with its whole entries.
std::vector<std::string> DescribeFindProblems(const FindReport& report);

// How an account is named: its account folder's name, with its owner in brackets where known
// ("taro1234567 (Taro)"), else the owner alone; empty when neither is known.
std::string AccountLabel(const FolderAccount& account);

// Why a gather of the copies of `accounts` (MixedAccounts) is refused on the command line, which
// can say that the mix is meant; and the gather window's question whether it is.
std::string MixedAccountsText(const std::vector<FolderAccount>& accounts);
std::string MixedAccountsWindowText(const std::vector<FolderAccount>& accounts);

// Said when a walk was stopped before its end.
std::string FindStoppedText();

}  // namespace palvarin

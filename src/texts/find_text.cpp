#include "texts/find_text.hpp"

#include "texts/catalogue.hpp"
#include "texts/cause_text.hpp"
#include "texts/progress_text.hpp"

namespace palvarin {

std::string FoundDate(const std::optional<TimeValue>& time) {
  if (!time) return "-";
  std::string date = FormatTime(*time, "%Y-%m-%d");
  return date.empty() ? "-" : date;
}

std::string FindProgressLine(const FindProgress& progress) {
  return Format(Tr("{0} folders, {1} files, {2} histories — {3}"),
                {FormatCount(progress.folders), FormatCount(progress.files),
                 FormatCount(progress.histories), progress.folder});
}

std::vector<std::string> DescribeFindProblems(const FindReport& report) {
  std::vector<std::string> lines;
  for (const FolderProblem& problem : report.problems) {
    if (problem.count == 1) {
      lines.push_back(Format(Tr("not read: {0}"), {Word(problem.first)}));
    } else {
      lines.push_back(Format(TrN("not read: {0} item in {1}; the first: {2}",
                                 "not read: {0} items in {1}; the first: {2}", problem.count),
                             {FormatCount(problem.count), problem.folder, Word(problem.first)}));
    }
  }
  for (const Reason& damage : report.damaged) {
    lines.push_back(Format(Tr("note: {0}; counted with its whole entries"), {Word(damage)}));
  }
  return lines;
}

std::string AccountLabel(const FolderAccount& account) {
  if (account.name.empty()) return account.owner;
  if (account.owner.empty()) return account.name;
  return account.name + " (" + account.owner + ")";
}

namespace {

std::string AccountLabels(const std::vector<FolderAccount>& accounts) {
  std::string names;
  for (const FolderAccount& account : accounts) {
    if (!names.empty()) names += ", ";
    names += AccountLabel(account);
  }
  return names;
}

}  // namespace

std::string MixedAccountsWindowText(const std::vector<FolderAccount>& accounts) {
  return Format(Tr("The copies belong to different accounts: {0}. Gather them together all the "
                   "same? Choose No to gather one account at a time, after removing the copies "
                   "of the others from the list."),
                {AccountLabels(accounts)});
}

std::string MixedAccountsText(const std::vector<FolderAccount>& accounts) {
  const std::string names = AccountLabels(accounts);
  return Format(Tr("the copies belong to different accounts: {0}; gather one account at a time, "
                   "or give --any-account to gather them together"),
                {names});
}

std::string FindStoppedText() {
  return std::string(Tr("stopped: the folders listed are those found until then"));
}

}  // namespace palvarin

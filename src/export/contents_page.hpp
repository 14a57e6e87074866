#pragma once

#include <filesystem>
#include <vector>

#include "base/result.hpp"
#include "export/export_history.hpp"

namespace palvarin {

// The page of a contact whose export is split: its name, the link to the folder's index, and
// a table of its parts (each row a part's period, its page and what it holds), ending with the
// mark that lists the contact in the index with `whole`. Written as ExportHistory writes.
Result<> WriteContentsPage(const ExportOptions& options, const std::vector<IndexRow>& parts,
                           const ExportSummary& whole, const std::filesystem::path& target);

}  // namespace palvarin

#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "export/export_history.hpp"

namespace palvarin {

// The last line of a contact's page: its row of the folder's index (its title, the contact's
// newest display name and the summary) in a
// comment, so that an index written later lists it as this export saw it. Its fields are
// percent-encoded: nothing a history holds can end the comment or pass for markup.
void AppendPageMark(std::string& out, const ExportOptions& options, const ExportSummary& summary);

// The row a page's mark holds (`page` left empty), read from the end of the page; none when
// `tail` holds no whole, well-formed mark.
std::optional<IndexRow> ReadPageMark(std::string_view tail);

// How many bytes at the end of a page are read for its mark.
inline constexpr std::size_t kPageMarkReach = 4096;

}  // namespace palvarin

#pragma once

#include <string>
#include <string_view>

#include "entry_writer.hpp"

namespace palvarin {

// A page's title: the contact's name, and for a part its period ("alice 2007").
std::string PageTitle(std::string_view name, std::string_view period);

// The links at the top of a page: the folder's index, and for a part its contact's page and
// the parts before and after it. Nothing when there is none of them.
void AppendPageNav(std::string& out, const ExportOptions& options, const PagePlace& place);

}  // namespace palvarin

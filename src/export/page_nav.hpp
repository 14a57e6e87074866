#pragma once

#include <string>
#include <string_view>

#include "entry_writer.hpp"

namespace palvarin {

// A contact's page, or a part of one, up to its <main>: the head, the links to the folder's
// index and for a part to its contact's page and the parts before and after it, the title
// (the contact's name, and for a part its period: "alice 2007") and the options' notice.
void AppendPageTop(std::string& out, const ExportOptions& options, const PagePlace& place);

}  // namespace palvarin

#pragma once

#include <string>
#include <string_view>

#include "export/export_format.hpp"

namespace palvarin {

// The start of every exported page up to and including <body>: the character set, a policy
// that lets the page run no script and load nothing (only its own inline styles apply), the
// title, and the style sheet (fonts for Latin and Japanese text, a layout for print).
void AppendPageHead(std::string& out, const ExportWords& words, std::string_view title);

// The end of every exported page.
void AppendPageEnd(std::string& out);

}  // namespace palvarin

#pragma once

#include <filesystem>
#include <pugixml.hpp>
#include <string_view>
#include <vector>

#include "history/log_document.hpp"

// What the fuzz targets share: a scratch folder in memory, the two-file pipeline as the
// program runs it, and checks that stop the run when a property does not hold.
namespace palvarin::fuzz {

// The folder the files of one input go to; in memory where the system offers it.
const std::filesystem::path& ScratchFolder();

// Puts `bytes` into the scratch file `name`, replacing what was there; returns its path.
std::filesystem::path WriteScratch(const char* name, std::string_view bytes);

// Runs the pipeline on two files as a separate-output job does: no backup, no unchanged skip,
// no archive rule. True when the pair was merged; the output is removed first.
bool MergeFiles(const std::filesystem::path& first, const std::filesystem::path& second,
                const std::filesystem::path& output);

// The element children of the document's root, in order.
std::vector<pugi::xml_node> Entries(const LogDocument& document);

// Stops the run (abort) with `property` when it does not hold.
void Require(bool holds, const char* property);

}  // namespace palvarin::fuzz

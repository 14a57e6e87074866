#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>

namespace palvarin {

// One compiled gettext catalogue (a .mo file) read whole.
struct MoFile {
  // Original text (with "<context>\x04" before it when it has a context; the singular of a
  // plural entry) to its translation (the plural forms separated by '\0').
  std::map<std::string, std::string, std::less<>> texts;
  // The "Plural-Forms" expression of the header ("n != 1"), empty when there is none.
  std::string pluralExpression;
  int pluralForms = 2;
};

// Reads a .mo file of either byte order; none when it cannot be read or is no such file
// (bad magic number, a string outside the file).
std::optional<MoFile> ReadMoFile(const std::filesystem::path& file);

// The value of a gettext plural expression ("n%10==1 && n%100!=11 ? 0 : 1") for `n`; none
// when the expression cannot be read.
std::optional<unsigned long> EvaluatePlural(std::string_view expression, unsigned long n);

}  // namespace palvarin

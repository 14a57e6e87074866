#include "support/test_language.hpp"

#include <cstdlib>
#include <fstream>

#include "texts/catalogue.hpp"

namespace palvarin::test {
namespace {

// The text of one quoted PO string, its C escapes undone.
std::string Unquoted(std::string_view line) {
  const std::size_t open = line.find('"');
  const std::size_t close = line.rfind('"');
  std::string text;
  for (std::size_t at = open + 1; at < close; ++at) {
    if (line[at] != '\\' || at + 1 == close) {
      text += line[at];
      continue;
    }
    switch (line[++at]) {
      case 'n':
        text += '\n';
        break;
      case 't':
        text += '\t';
        break;
      default:
        text += line[at];
    }
  }
  return text;
}

}  // namespace

std::filesystem::path BuildCatalogueFolder() { return PALVARIN_LOCALE_BUILD_DIR; }

std::filesystem::path TemplateFile() {
  return std::filesystem::path(PALVARIN_SOURCE_DIR) / "po" / "palvarin.pot";
}

ScopedLanguage::ScopedLanguage(const std::string& locale) {
  UseLanguage({locale}, {BuildCatalogueFolder()});
}

ScopedLanguage::~ScopedLanguage() { UseLanguage({}, {}); }

std::string UseLanguageOfTestEnvironment() {
  return UseLanguage(RequestedLanguages([](const char* name) -> std::optional<std::string> {
                       const char* value = std::getenv(name);
                       if (value == nullptr) return std::nullopt;
                       return std::string(value);
                     }),
                     {BuildCatalogueFolder()});
}

bool HasJapanese(std::string_view text) {
  for (std::size_t at = 0; at < text.size();) {
    const auto lead = static_cast<unsigned char>(text[at]);
    if (lead < 0x80) {
      ++at;
      continue;
    }
    const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
    char32_t code = lead & (length == 4 ? 0x07 : length == 3 ? 0x0F : 0x1F);
    for (std::size_t i = 1; i < length && at + i < text.size(); ++i) {
      code = (code << 6) | (static_cast<unsigned char>(text[at + i]) & 0x3F);
    }
    if ((code >= 0x3000 && code <= 0x30FF) || (code >= 0x3400 && code <= 0x9FFF) ||
        (code >= 0xFF00 && code <= 0xFFEF) || code == 0x203B /* ※ */) {
      return true;
    }
    at += length;
  }
  return false;
}

std::vector<TemplateEntry> ReadTemplate(const std::filesystem::path& file) {
  std::ifstream in(file);
  std::vector<TemplateEntry> entries;
  std::string* field = nullptr;
  for (std::string line; std::getline(in, line);) {
    if (line.starts_with("msgid_plural ")) {
      field = &entries.back().plural;
      *field = Unquoted(line);
    } else if (line.starts_with("msgid ")) {
      entries.push_back({Unquoted(line), {}});
      field = &entries.back().english;
    } else if (line.starts_with("msgstr")) {
      field = nullptr;
    } else if (line.starts_with('"') && field != nullptr) {
      *field += Unquoted(line);
    }
  }
  // The header is the entry of the empty text.
  if (!entries.empty() && entries.front().english.empty()) entries.erase(entries.begin());
  return entries;
}

}  // namespace palvarin::test

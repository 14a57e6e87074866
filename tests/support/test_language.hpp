#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace palvarin::test {

// The compiled catalogues of this build (locale/ beside the built program).
std::filesystem::path BuildCatalogueFolder();

// The message template of the sources, po/palvarin.pot.
std::filesystem::path TemplateFile();

// Uses the language that LANG=`locale` alone asks for, with this build's catalogues, for the
// life of the object; English again afterwards.
class ScopedLanguage {
 public:
  explicit ScopedLanguage(const std::string& locale);
  ~ScopedLanguage();
  ScopedLanguage(const ScopedLanguage&) = delete;
  ScopedLanguage& operator=(const ScopedLanguage&) = delete;
};

// Uses the language the test's own environment asks for, with this build's catalogues.
std::string UseLanguageOfTestEnvironment();

// The locales a fresh machine must show in English, and the one it must show in Japanese.
inline const std::vector<std::string> kEnglishLocales = {"en_US.UTF-8", "en_GB.UTF-8", "C.UTF-8"};
inline constexpr const char* kJapaneseLocale = "ja_JP.UTF-8";

// True when `text` (UTF-8) holds a kana, a CJK ideograph, or a full-width form.
bool HasJapanese(std::string_view text);

// One entry of a message template: the English text, and its plural when it has one.
struct TemplateEntry {
  std::string english;
  std::string plural;
};

// The entries of a .pot or .po file, its header left out.
std::vector<TemplateEntry> ReadTemplate(const std::filesystem::path& file);

}  // namespace palvarin::test

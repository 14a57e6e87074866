#pragma once

#include <filesystem>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace palvarin {

// Every text the user sees is written in English in the source and looked up here, gettext
// style: a compiled catalogue (po/<language>.po built into <language>/LC_MESSAGES/palvarin.mo)
// gives the text of the language in use; without one the English text is shown.
//
// The language is chosen from the environment as gettext does, but without setlocale: a
// fresh machine has no locales generated besides C, and the texts must not depend on that.

// The catalogue's domain: the file name of a compiled catalogue is <domain>.mo.
inline constexpr std::string_view kTextDomain = "palvarin";

// The languages the environment asks for, most wanted first: the colon list of LANGUAGE,
// else the first set of LC_ALL, LC_MESSAGES and LANG, as given ("ja_JP.UTF-8").
// `lookup` reads one variable (getenv for the real one).
std::vector<std::string> RequestedLanguages(
    const std::function<std::optional<std::string>(const char*)>& lookup);

// The folders that may hold compiled catalogues for a program at `executable`, in order: the
// installed layout (<bindir>/../share/locale), then the build tree (locale/ beside the program).
std::vector<std::filesystem::path> CatalogueFolders(const std::filesystem::path& executable);

// Uses the first of `languages` that is English or has a catalogue in one of `folders`;
// English when none does. Call before any text is read and before other threads start.
// Returns the language in use.
std::string UseLanguage(const std::vector<std::string>& languages,
                        const std::vector<std::filesystem::path>& folders);

// The language the environment asks for, with the catalogues found for this program.
std::string UseLanguageOfEnvironment();

// The language in use: "ja" (the catalogue's own name), or "en" for the source texts.
const std::string& TextLanguage();

// The text for `english` in the language in use. `english` must outlive the program (a
// literal), since it is what comes back when the catalogue has no text of its own.
std::string_view Tr(std::string_view english);

// The text for a count: `singular` or `plural` in English, the catalogue's own plural forms
// in another language.
std::string_view TrN(std::string_view singular, std::string_view plural, unsigned long count);

// `pattern` with "{0}", "{1}", ... replaced by `values`; translators may reorder them. Any
// other brace stays as it is.
std::string Format(std::string_view pattern, std::initializer_list<std::string_view> values);

}  // namespace palvarin

#include "texts/catalogue.hpp"

#include <cstdlib>
#include <system_error>

#include "mo_file.hpp"

namespace palvarin {
namespace {

struct Catalogue {
  std::string language = "en";
  std::optional<MoFile> mo;
};

Catalogue& InUse() {
  static Catalogue catalogue;
  return catalogue;
}

// "ja_JP.UTF-8@euro" without its code set and modifier: "ja_JP".
std::string WithoutCodeSet(std::string_view name) {
  return std::string(name.substr(0, name.find_first_of(".@")));
}

// The catalogue names to try for one requested language: "ja_JP", then "ja".
std::vector<std::string> CatalogueNames(std::string_view requested) {
  const std::string name = WithoutCodeSet(requested);
  std::vector<std::string> names{name};
  if (const std::size_t underscore = name.find('_'); underscore != std::string::npos) {
    names.push_back(name.substr(0, underscore));
  }
  return names;
}

// The source texts serve "C", "POSIX" and every English.
bool IsSourceLanguage(const std::string& name) {
  return name == "C" || name == "POSIX" || name == "en" || name.starts_with("en_");
}

std::filesystem::path CatalogueFile(const std::filesystem::path& folder, const std::string& name) {
  return folder / name / "LC_MESSAGES" / (std::string(kTextDomain) + ".mo");
}

std::optional<std::string> FromEnvironment(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr) return std::nullopt;
  return std::string(value);
}

}  // namespace

std::vector<std::string> RequestedLanguages(
    const std::function<std::optional<std::string>(const char*)>& lookup) {
  std::vector<std::string> languages;
  if (const auto list = lookup("LANGUAGE"); list && !list->empty()) {
    std::size_t start = 0;
    while (start <= list->size()) {
      const std::size_t end = std::min(list->find(':', start), list->size());
      if (end > start) languages.push_back(list->substr(start, end - start));
      start = end + 1;
    }
    if (!languages.empty()) return languages;
  }
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    if (const auto value = lookup(name); value && !value->empty()) return {*value};
  }
  return {};
}

std::vector<std::filesystem::path> CatalogueFolders(const std::filesystem::path& executable) {
  const std::filesystem::path folder = executable.parent_path();
  return {folder / PALVARIN_LOCALEDIR_FROM_BINDIR, folder / "locale"};
}

namespace {

// The first of `languages` that is English or has a catalogue in `folders`; English when none.
Catalogue ChooseCatalogue(const std::vector<std::string>& languages,
                          const std::vector<std::filesystem::path>& folders) {
  for (const std::string& requested : languages) {
    for (const std::string& name : CatalogueNames(requested)) {
      if (IsSourceLanguage(name)) return {};
      for (const std::filesystem::path& folder : folders) {
        if (auto mo = ReadMoFile(CatalogueFile(folder, name))) return {name, std::move(mo)};
      }
    }
  }
  return {};
}

}  // namespace

std::string UseLanguage(const std::vector<std::string>& languages,
                        const std::vector<std::filesystem::path>& folders) {
  InUse() = ChooseCatalogue(languages, folders);
  return InUse().language;
}

std::string UseLanguageOfEnvironment() {
  std::error_code error;
  const std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
  return UseLanguage(RequestedLanguages(FromEnvironment),
                     error ? std::vector<std::filesystem::path>{} : CatalogueFolders(executable));
}

const std::string& TextLanguage() { return InUse().language; }

std::string_view Tr(std::string_view english) {
  const Catalogue& catalogue = InUse();
  if (!catalogue.mo) return english;
  const auto found = catalogue.mo->texts.find(english);
  if (found == catalogue.mo->texts.end() || found->second.empty()) return english;
  return std::string_view(found->second).substr(0, found->second.find('\0'));
}

std::string_view TrN(std::string_view singular, std::string_view plural, unsigned long count) {
  const Catalogue& catalogue = InUse();
  if (!catalogue.mo) return count == 1 ? singular : plural;
  const auto found = catalogue.mo->texts.find(singular);
  if (found == catalogue.mo->texts.end() || found->second.empty()) {
    return count == 1 ? singular : plural;
  }
  const std::optional<unsigned long> form = EvaluatePlural(
      catalogue.mo->pluralExpression.empty() ? "n != 1" : catalogue.mo->pluralExpression, count);
  // The forms are separated by '\0'; a form the catalogue lacks falls back to its first.
  std::string_view forms = found->second;
  for (unsigned long skip = form.value_or(0); skip > 0; --skip) {
    const std::size_t end = forms.find('\0');
    if (end == std::string_view::npos) {
      forms = found->second;
      break;
    }
    forms.remove_prefix(end + 1);
  }
  return forms.substr(0, forms.find('\0'));
}

std::string Format(std::string_view pattern, std::initializer_list<std::string_view> values) {
  std::string text;
  text.reserve(pattern.size());
  while (!pattern.empty()) {
    const std::size_t open = pattern.find('{');
    text += pattern.substr(0, open);
    if (open == std::string_view::npos) break;
    pattern.remove_prefix(open);
    const std::size_t close = pattern.find('}');
    const std::string_view inside =
        pattern.substr(1, close == std::string_view::npos ? 0 : close - 1);
    if (close != std::string_view::npos && inside.size() == 1 && inside[0] >= '0' &&
        inside[0] <= '9' && static_cast<std::size_t>(inside[0] - '0') < values.size()) {
      text += values.begin()[static_cast<std::size_t>(inside[0] - '0')];
      pattern.remove_prefix(close + 1);
    } else {
      text += '{';
      pattern.remove_prefix(1);
    }
  }
  return text;
}

}  // namespace palvarin

// The language follows the environment as gettext chooses it, and every text has a Japanese
// translation and an English source without Japanese in it.
#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <set>
#include <string>

#include "support/test_language.hpp"
#include "texts/catalogue.hpp"
#include "texts/help_text.hpp"

namespace palvarin::test {
namespace {

using Environment = std::map<std::string, std::string>;

std::vector<std::string> Requested(const Environment& environment) {
  return RequestedLanguages([&](const char* name) -> std::optional<std::string> {
    const auto found = environment.find(name);
    if (found == environment.end()) return std::nullopt;
    return found->second;
  });
}

TEST(RequestedLanguages, FirstSetVariableWinsAndLanguageIsAList) {
  const struct {
    const char* name;
    Environment environment;
    std::vector<std::string> expected;
  } rows[] = {
      {"nothing set", {}, {}},
      {"LANG alone", {{"LANG", "ja_JP.UTF-8"}}, {"ja_JP.UTF-8"}},
      {"LC_MESSAGES over LANG",
       {{"LANG", "ja_JP.UTF-8"}, {"LC_MESSAGES", "en_GB.UTF-8"}},
       {"en_GB.UTF-8"}},
      {"LC_ALL over LC_MESSAGES",
       {{"LC_ALL", "C.UTF-8"}, {"LC_MESSAGES", "ja_JP.UTF-8"}, {"LANG", "ja_JP.UTF-8"}},
       {"C.UTF-8"}},
      {"empty LC_ALL is not set", {{"LC_ALL", ""}, {"LANG", "ja_JP.UTF-8"}}, {"ja_JP.UTF-8"}},
      {"LANGUAGE over everything", {{"LANGUAGE", "ja"}, {"LC_ALL", "en_US.UTF-8"}}, {"ja"}},
      {"LANGUAGE is a colon list", {{"LANGUAGE", "fr_FR:ja::en"}}, {"fr_FR", "ja", "en"}},
      {"empty LANGUAGE is not set", {{"LANGUAGE", ""}, {"LANG", "en_US.UTF-8"}}, {"en_US.UTF-8"}},
      {"LANGUAGE of colons only", {{"LANGUAGE", "::"}, {"LANG", "ja_JP"}}, {"ja_JP"}},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(Requested(row.environment), row.expected) << row.name;
  }
}

TEST(UseLanguage, JapaneseForJaAndEnglishForEverythingElse) {
  const struct {
    std::vector<std::string> requested;
    const char* expected;
  } rows[] = {
      {{"ja_JP.UTF-8"}, "ja"},
      {{"ja_JP.utf8"}, "ja"},
      {{"ja_JP"}, "ja"},
      {{"ja"}, "ja"},
      {{"ja_JP.eucJP@modifier"}, "ja"},
      {{"en_US.UTF-8"}, "en"},
      {{"en_GB.UTF-8"}, "en"},
      {{"C.UTF-8"}, "en"},
      {{"C"}, "en"},
      {{"POSIX"}, "en"},
      {{}, "en"},
      {{"fr_FR.UTF-8"}, "en"},  // no French catalogue
      {{"fr_FR", "ja"}, "ja"},  // the first that has one
      {{"en", "ja"}, "en"},     // English asked for before Japanese
  };
  for (const auto& row : rows) {
    const std::string label = ::testing::PrintToString(row.requested);
    EXPECT_EQ(UseLanguage(row.requested, {BuildCatalogueFolder()}), row.expected) << label;
    EXPECT_EQ(TextLanguage(), row.expected) << label;
    EXPECT_EQ(HasJapanese(Tr("The merge has finished.")), std::string(row.expected) == "ja")
        << label;
  }
  UseLanguage({}, {});
}

TEST(UseLanguage, TriesTheFoldersInOrderAndSkipsThoseWithoutACatalogue) {
  const std::filesystem::path nowhere = BuildCatalogueFolder() / "no such folder";
  EXPECT_EQ(UseLanguage({"ja_JP.UTF-8"}, {nowhere, BuildCatalogueFolder()}), "ja");
  EXPECT_EQ(UseLanguage({"ja_JP.UTF-8"}, {nowhere}), "en");
  EXPECT_EQ(Tr("The merge has finished."), "The merge has finished.");
}

TEST(CatalogueFolders, InstalledLayoutFirstThenBesideTheProgram) {
  const std::filesystem::path program = std::filesystem::path("/opt/x/bin") / "palvarin";
  const auto folders = CatalogueFolders(program);
  ASSERT_EQ(folders.size(), 2u);
  EXPECT_EQ(folders[0].lexically_normal(), std::filesystem::path("/opt/x/share/locale"));
  EXPECT_EQ(folders[1], std::filesystem::path("/opt/x/bin/locale"));
}

// The placeholders "{0}", "{1}", ... of a text.
std::multiset<std::string> Placeholders(const std::string& text) {
  std::multiset<std::string> found;
  for (std::size_t at = 0; at + 2 < text.size(); ++at) {
    if (text[at] == '{' && text[at + 1] >= '0' && text[at + 1] <= '9' && text[at + 2] == '}') {
      found.insert(text.substr(at, 3));
    }
  }
  return found;
}

// Every text of the template: English without Japanese in every English locale, and a
// Japanese translation with the same placeholders.
TEST(Catalogue, EveryTextHasEnglishAndJapanese) {
  const std::vector<TemplateEntry> entries = ReadTemplate(TemplateFile());
  ASSERT_GT(entries.size(), 50u) << TemplateFile();
  for (const std::string& locale : kEnglishLocales) {
    ScopedLanguage english(locale);
    for (const TemplateEntry& entry : entries) {
      SCOPED_TRACE(locale + ": " + entry.english);
      EXPECT_FALSE(entry.english.empty());
      EXPECT_FALSE(HasJapanese(entry.english));
      EXPECT_EQ(Tr(entry.english), entry.english);
      if (!entry.plural.empty()) {
        EXPECT_FALSE(HasJapanese(entry.plural));
        EXPECT_EQ(TrN(entry.english, entry.plural, 1), entry.english);
        EXPECT_EQ(TrN(entry.english, entry.plural, 2), entry.plural);
      }
    }
  }
  ScopedLanguage japanese(kJapaneseLocale);
  for (const TemplateEntry& entry : entries) {
    SCOPED_TRACE(entry.english);
    const std::string translated(Tr(entry.english));
    EXPECT_NE(translated, entry.english) << "no Japanese translation";
    EXPECT_TRUE(HasJapanese(translated)) << translated;
    EXPECT_EQ(Placeholders(translated), Placeholders(entry.english)) << translated;
    if (!entry.plural.empty()) {
      EXPECT_EQ(TrN(entry.english, entry.plural, 2), translated);
    }
  }
}

TEST(TerminalHelp, EnglishWithoutJapaneseAndJapaneseWithTheJapaneseBlocks) {
  for (const std::string& locale : kEnglishLocales) {
    ScopedLanguage english(locale);
    EXPECT_FALSE(HasJapanese(TerminalHelpText())) << locale;
    EXPECT_NE(TerminalHelpText().find(HelpText()), std::string::npos) << locale;
  }
  ScopedLanguage japanese(kJapaneseLocale);
  EXPECT_NE(TerminalHelpText().find(HelpText()), std::string::npos);
  EXPECT_NE(TerminalHelpText().find("--first PATH"), std::string::npos);
}

TEST(Format, PutsValuesInTheirPlacesInAnyOrder) {
  const struct {
    const char* pattern;
    std::vector<std::string> values;
    const char* expected;
  } rows[] = {
      {"{0} + {1}", {"a", "b"}, "a + b"},
      {"{1} then {0}", {"a", "b"}, "b then a"},
      {"{0}{0}", {"x"}, "xx"},
      {"no values", {}, "no values"},
      {"{2} is missing", {"a"}, "{2} is missing"},
      {"{x} and { and }", {"a"}, "{x} and { and }"},
      {"{0}", {"{1}"}, "{1}"},  // a value is never read again
  };
  for (const auto& row : rows) {
    std::vector<std::string_view> views(row.values.begin(), row.values.end());
    std::string text;
    switch (views.size()) {
      case 0:
        text = Format(row.pattern, {});
        break;
      case 1:
        text = Format(row.pattern, {views[0]});
        break;
      default:
        text = Format(row.pattern, {views[0], views[1]});
    }
    EXPECT_EQ(text, row.expected) << row.pattern;
  }
}

}  // namespace
}  // namespace palvarin::test

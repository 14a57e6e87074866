// The reader of compiled catalogues against files written here by the documented layout, in
// both byte orders, and against damaged ones; plural forms as other languages define them.
#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <string>

#include "mo_file.hpp"
#include "support/test_language.hpp"
#include "support/test_support.hpp"
#include "texts/catalogue.hpp"

namespace palvarin::test {
namespace {

void PutWord(std::string& bytes, std::size_t at, std::uint32_t word, bool bigEndian) {
  for (int i = 0; i < 4; ++i) {
    const int shift = bigEndian ? 8 * (3 - i) : 8 * i;
    bytes[at + static_cast<std::size_t>(i)] = static_cast<char>((word >> shift) & 0xFF);
  }
}

// A .mo file: magic, revision, count, the two tables, no hash table, then the strings.
std::string MoBytes(const std::map<std::string, std::string>& texts, bool bigEndian) {
  const std::size_t count = texts.size();
  const std::size_t originals = 28, translations = originals + 8 * count;
  std::string bytes(translations + 8 * count, '\0');
  PutWord(bytes, 0, 0x950412de, bigEndian);
  PutWord(bytes, 8, static_cast<std::uint32_t>(count), bigEndian);
  PutWord(bytes, 12, static_cast<std::uint32_t>(originals), bigEndian);
  PutWord(bytes, 16, static_cast<std::uint32_t>(translations), bigEndian);
  std::size_t index = 0;
  for (const auto& [original, translation] : texts) {
    for (const auto& [table, text] :
         {std::pair{originals, &original}, std::pair{translations, &translation}}) {
      PutWord(bytes, table + 8 * index, static_cast<std::uint32_t>(text->size()), bigEndian);
      PutWord(bytes, table + 8 * index + 4, static_cast<std::uint32_t>(bytes.size()), bigEndian);
      bytes += *text;
      bytes += '\0';
    }
    ++index;
  }
  return bytes;
}

// The bytes of a literal, inner '\0's included.
template <std::size_t N>
std::string Bytes(const char (&text)[N]) {
  return std::string(text, N - 1);
}

const std::map<std::string, std::string> kTexts = {
    {"",
     "Content-Type: text/plain; charset=UTF-8\nPlural-Forms: nplurals=3; plural=(n==1 ? 0 : "
     "n%10>=2 && n%10<=4 && (n%100<10 || n%100>=20) ? 1 : 2);\n"},
    {"Cancel", "Anuluj"},
    {"ctx\x04Open", "Otwórz"},
    {Bytes("{0} file\0{0} files"), Bytes("{0} plik\0{0} pliki\0{0} plików")},
};

TEST(ReadMoFile, ReadsBothByteOrders) {
  TempFolder folder;
  for (const bool bigEndian : {false, true}) {
    const auto file = folder / (bigEndian ? "big.mo" : "little.mo");
    WriteFile(file, MoBytes(kTexts, bigEndian));
    const auto mo = ReadMoFile(file);
    ASSERT_TRUE(mo) << file;
    EXPECT_EQ(mo->texts.at("Cancel"), "Anuluj");
    EXPECT_EQ(mo->texts.at("ctx\x04Open"), "Otwórz");
    EXPECT_EQ(mo->texts.at("{0} file"), Bytes("{0} plik\0{0} pliki\0{0} plików"));
    EXPECT_EQ(mo->texts.count(""), 0u) << "the header is no text";
    EXPECT_EQ(mo->pluralForms, 3);
    EXPECT_EQ(mo->pluralExpression.substr(0, 12), "(n==1 ? 0 : ");
  }
}

TEST(ReadMoFile, RefusesWhatIsNoCatalogue) {
  TempFolder folder;
  const std::string good = MoBytes(kTexts, false);
  std::string badMagic = good;
  badMagic[0] = 'X';
  std::string outside = good;
  PutWord(outside, 28 + 4, static_cast<std::uint32_t>(good.size() + 1), false);
  std::string tooLong = good;
  PutWord(tooLong, 28, static_cast<std::uint32_t>(good.size()), false);
  std::string tooMany = good;
  PutWord(tooMany, 8, 1000, false);
  const struct {
    const char* name;
    std::string bytes;
  } rows[] = {
      {"empty", ""},
      {"bad magic", badMagic},
      {"cut in the header", good.substr(0, 10)},
      {"cut in the strings", good.substr(0, good.size() - 5)},
      {"string beyond the end", outside},
      {"string longer than the file", tooLong},
      {"more entries than tables", tooMany},
  };
  for (const auto& row : rows) {
    const auto file = folder / "bad.mo";
    WriteFile(file, row.bytes);
    EXPECT_FALSE(ReadMoFile(file)) << row.name;
  }
  EXPECT_FALSE(ReadMoFile(folder / "missing.mo"));
}

TEST(EvaluatePlural, GettextExpressionsOfSeveralLanguages) {
  const char* polish = "(n==1 ? 0 : n%10>=2 && n%10<=4 && (n%100<10 || n%100>=20) ? 1 : 2)";
  const struct {
    const char* expression;
    unsigned long n;
    unsigned long form;
  } rows[] = {
      {"n != 1", 1, 0}, {"n != 1", 0, 1},  {"n != 1", 7, 1},     {"n>1", 1, 0},
      {"n>1", 0, 0},    {"n>1", 2, 1},     {"0", 5, 0},          {polish, 1, 0},
      {polish, 3, 1},   {polish, 22, 1},   {polish, 12, 2},      {polish, 5, 2},
      {polish, 112, 2}, {"!(n<=1)", 2, 1}, {"n*2-1 == 3", 2, 1}, {"(n/10)%3", 57, 2},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(EvaluatePlural(row.expression, row.n), row.form) << row.expression << " " << row.n;
  }
  for (const char* broken : {"", "n +", "(n", "n ? 1", "n % 0", "x", "n 1"}) {
    EXPECT_FALSE(EvaluatePlural(broken, 3)) << broken;
  }
}

TEST(TrN, TakesTheFormTheCatalogueChoosesAndEnglishWithoutOne) {
  TempFolder folder;
  std::filesystem::create_directories(folder / "pl" / "LC_MESSAGES");
  WriteFile(folder / "pl" / "LC_MESSAGES" / "palvarin.mo", MoBytes(kTexts, false));
  ASSERT_EQ(UseLanguage({"pl_PL.UTF-8"}, {folder.Path()}), "pl");
  EXPECT_EQ(Tr("Cancel"), "Anuluj");
  EXPECT_EQ(Tr("not in the catalogue"), "not in the catalogue");
  const struct {
    unsigned long n;
    const char* expected;
  } rows[] = {{1, "{0} plik"}, {3, "{0} pliki"}, {5, "{0} plików"}, {22, "{0} pliki"}};
  for (const auto& row : rows) {
    EXPECT_EQ(TrN("{0} file", "{0} files", row.n), row.expected) << row.n;
  }
  EXPECT_EQ(TrN("{0} pair", "{0} pairs", 5), "{0} pairs");

  UseLanguage({"en_US.UTF-8"}, {folder.Path()});
  EXPECT_EQ(TrN("{0} file", "{0} files", 1), "{0} file");
  EXPECT_EQ(TrN("{0} file", "{0} files", 0), "{0} files");
  EXPECT_EQ(Tr("Cancel"), "Cancel");
}

}  // namespace
}  // namespace palvarin::test

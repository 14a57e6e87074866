#include <gtest/gtest.h>

#include <algorithm>
#include <nlohmann/json.hpp>
#include <pugixml.hpp>
#include <set>
#include <sstream>

#include "history_generator.hpp"
#include "support/export_readback.hpp"
#include "support/test_support.hpp"

namespace palvarin::test {
namespace {

// Bytes no page or text may hold raw: ESC, BEL, the C1 CSI, RIGHT-TO-LEFT OVERRIDE and
// LEFT-TO-RIGHT ISOLATE.
const std::string kRawControls[] = {"\x1b", "\x07", "\xC2\x9B", "\xE2\x80\xAE", "\xE2\x81\xA6"};

class HostileExport : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteFile(folder_ / "hostile.xml", HostileHistory());
    for (const ExportFormat format :
         {ExportFormat::Html, ExportFormat::Text, ExportFormat::JsonLines}) {
      ASSERT_FALSE(ExportInProcess(folder_ / "hostile.xml", out_, format).report.AnyFailed());
    }
  }
  std::filesystem::path Page() const { return out_ / "hostile.html"; }

  ScopedTimeZone zone_{"UTC"};
  TempFolder folder_;
  std::filesystem::path out_ = folder_ / "out";
};

// The elements the export writes.
const std::set<std::string> kElements = {"html",   "head", "meta", "title", "style", "body",
                                         "header", "nav",  "a",    "h1",    "main",  "section",
                                         "h2",     "div",  "p",    "span"};

// The style declarations a page may carry.
bool StyleIsSafe(std::string_view style) {
  static const std::set<std::string> kAllowed = {"font-family", "color", "font-weight",
                                                 "font-style", "text-decoration"};
  std::istringstream declarations{std::string(style)};
  for (std::string declaration; std::getline(declarations, declaration, ';');) {
    if (declaration.find_first_of("\\()/\"'") != std::string::npos) return false;
    if (!kAllowed.count(declaration.substr(0, declaration.find(':')))) return false;
  }
  return true;
}

// Parsed, the page holds only the elements the export writes, no event attribute, links only
// to files beside it, only allowed styles, and the policy that forbids scripts and loads; the
// payloads are there as text.
TEST_F(HostileExport, PageHoldsNoActiveContent) {
  pugi::xml_document page;
  ASSERT_TRUE(page.load_file(Page().c_str())) << ReadFile(Page());
  int links = 0;
  bool policy = false;
  for (pugi::xpath_node found : page.select_nodes("//*")) {
    const pugi::xml_node element = found.node();
    EXPECT_TRUE(kElements.count(element.name())) << element.name();
    for (const pugi::xml_attribute attribute : element.attributes()) {
      const std::string name = attribute.name();
      const std::string value = attribute.value();
      EXPECT_FALSE(name.starts_with("on")) << name << "=" << value;
      if (name == "href") {
        EXPECT_TRUE(value.starts_with("./")) << value;
        ++links;
      }
      if (name == "style") {
        EXPECT_TRUE(StyleIsSafe(value)) << value;
      }
      if (name == "src" || name == "srcset" || name == "action") ADD_FAILURE() << name;
    }
    if (std::string_view(element.name()) == "meta" &&
        std::string_view(element.attribute("http-equiv").value()) == "Content-Security-Policy") {
      policy = std::string(element.attribute("content").value())
                   .starts_with("default-src 'none'; style-src 'unsafe-inline'");
    }
  }
  EXPECT_TRUE(policy);
  EXPECT_EQ(links, 1);  // the index
  std::string all;
  for (pugi::xpath_node found : page.select_nodes("//text()")) all += found.node().value();
  EXPECT_NE(all.find("<script>document.title='PWNED'</script>"), std::string::npos);
  EXPECT_NE(all.find("\\u202etxt.exe"), std::string::npos);  // the override, shown
  EXPECT_NE(all.find("\\u001b[31mred"), std::string::npos);
}

// No page, text or JSON line holds a control character a terminal would obey, or a bidi
// control, raw; each JSON line parses.
TEST_F(HostileExport, NoRawControlsInAnyForm) {
  for (const char* name : {"hostile.html", "hostile.txt", "index.html"}) {
    const std::string bytes = ReadFile(out_ / name);
    for (const std::string& control : kRawControls) {
      EXPECT_EQ(bytes.find(control), std::string::npos) << name;
    }
  }
  std::istringstream lines(ReadFile(out_ / "hostile.jsonl"));
  int entries = 0;
  for (std::string line; std::getline(lines, line); ++entries) {
    EXPECT_TRUE(nlohmann::json::accept(line)) << line;
  }
  EXPECT_EQ(entries, 11);
}

// What headless Chromium makes of a file:// page after it has loaded: its DOM.
std::string DumpDom(const std::filesystem::path& page, const std::filesystem::path& profile,
                    int& status) {
  return RunCommand(
      "chromium --headless --disable-gpu --no-sandbox --no-first-run "
      "--disable-extensions --user-data-dir='" +
          profile.string() + "' --dump-dom 'file://" + page.string() + "' 2>/dev/null",
      90, status);
}

// Every start tag of `dom`: its element name ("<" then lower-case letters and digits) and the
// text up to its ">".
std::vector<std::pair<std::string, std::string>> StartTags(const std::string& dom) {
  std::vector<std::pair<std::string, std::string>> tags;
  const auto isName = [](char c) { return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'); };
  for (std::size_t at = dom.find('<'); at != std::string::npos; at = dom.find('<', at + 1)) {
    std::size_t end = at + 1;
    while (end < dom.size() && isName(dom[end])) ++end;
    const std::size_t close = dom.find('>', end);
    if (end == at + 1 || close == std::string::npos) continue;
    tags.emplace_back(dom.substr(at + 1, end - at - 1), dom.substr(end, close - end));
  }
  return tags;
}

// An attribute "on..." (an event handler) or "data-pwned" (what the payloads set) in the text
// of a start tag.
bool SetsAnEventOrThePayloadMark(const std::string& attributes) {
  for (std::size_t at = 0; at < attributes.size(); ++at) {
    if (at > 0 && attributes[at - 1] != ' ' && attributes[at - 1] != '\t' &&
        attributes[at - 1] != '\n') {
      continue;
    }
    const std::size_t equals = attributes.find('=', at);
    if (equals == std::string::npos) return false;
    const std::string name = attributes.substr(at, equals - at);
    const bool event =
        name.size() > 2 && name.starts_with("on") &&
        std::all_of(name.begin() + 2, name.end(), [](char c) { return c >= 'a' && c <= 'z'; });
    if (event || name == "data-pwned") return true;
  }
  return false;
}

// Loaded in a real browser, no payload ran: the title is the history's, no element a payload
// would have made is in the DOM, and no attribute a payload sets. The same browser run on a
// page that does let the payload in shows it ran, so the check can see a failure.
TEST_F(HostileExport, NoScriptRunsInChromium) {
  if (!HasProgram("chromium")) GTEST_SKIP() << "chromium is not installed";
  int status = 0;
  const std::string dom = DumpDom(Page(), folder_ / "chromium", status);
  ASSERT_EQ(status, 0);
  ASSERT_NE(dom.find("</html>"), std::string::npos) << dom;
  EXPECT_NE(dom.find("<title>hostile</title>"), std::string::npos);
  // The DOM is serialised with "<" in text as "&lt;": a raw "<" starts an element.
  std::set<std::string> elements;
  for (const auto& [element, attributes] : StartTags(dom)) {
    elements.insert(element);
    EXPECT_FALSE(SetsAnEventOrThePayloadMark(attributes)) << element << attributes;
  }
  for (const std::string& element : elements) EXPECT_TRUE(kElements.count(element)) << element;
  EXPECT_TRUE(elements.count("section"));  // the page itself was read

  WriteFile(folder_ / "unescaped.html",
            "<!DOCTYPE html><html><head><title>hostile</title></head><body>"
            "<script>document.title='PWNED'</script><p>x</p></body></html>");
  const std::string control = DumpDom(folder_ / "unescaped.html", folder_ / "chromium", status);
  EXPECT_NE(control.find("<title>PWNED</title>"), std::string::npos) << control;
}

// The pages of the corpus, of the hostile history, of a Japanese history and the index are
// valid HTML to tidy: no error and no warning.
TEST_F(HostileExport, PagesAreValidHtml) {
  ASSERT_TRUE(HasProgram("tidy")) << "tidy is installed by scripts/install-deps";
  for (const std::filesystem::path& history : CorpusFiles()) {
    ASSERT_FALSE(ExportInProcess(history, out_, ExportFormat::Html).report.AnyFailed());
  }
  WriteFile(folder_ / "花子.xml", bench::GenerateHistoryPair(50'000, 3).first);
  ASSERT_FALSE(ExportInProcess(folder_ / "花子.xml", out_, ExportFormat::Html).report.AnyFailed());
  int pages = 0;
  for (const auto& file : std::filesystem::directory_iterator(out_)) {
    if (file.path().extension() != ".html") continue;
    ++pages;
    int status = 0;
    const std::string said = RunCommand(
        "tidy -q -e --show-warnings yes --gnu-emacs yes '" + file.path().string() + "' 2>&1", 60,
        status);
    EXPECT_EQ(status, 0) << file.path() << ":\n" << said;
  }
  EXPECT_GE(pages, 3);
}

}  // namespace
}  // namespace palvarin::test

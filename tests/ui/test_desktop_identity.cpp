// The icon every window shows, and where the dialog's README link points.
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QRegularExpression>
#include <QUrl>
#include <filesystem>
#include <fstream>

#include "ui/shared/desktop_identity.hpp"
#include "ui_fixtures.hpp"

namespace palvarin::test {
namespace {

// Pixels of `image` that are not (nearly) transparent.
int OpaquePixels(const QImage& image) {
  int count = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) count += qAlpha(image.pixel(x, y)) > 128 ? 1 : 0;
  }
  return count;
}

// The built-in SVG renders at the sizes desktops ask for: this fails when the resource is not
// linked in or Qt's SVG icon engine is missing.
TEST(ApplicationIcon, RendersAtEverySizeADesktopUses) {
  const QIcon icon = ApplicationIcon();
  ASSERT_FALSE(icon.isNull());
  for (const int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
    const QImage image = icon.pixmap(QSize(size, size)).toImage();
    ASSERT_EQ(image.size(), QSize(size, size)) << size;
    const int opaque = OpaquePixels(image);
    EXPECT_GT(opaque, size * size / 2) << size << " px: mostly drawn";
    EXPECT_LT(opaque, size * size) << size << " px: not a filled square";
  }
}

TEST(ApplicationIcon, EveryWindowGetsItOnceTheApplicationIsSetUp) {
  const QIcon before = QApplication::windowIcon();
  SetUpApplicationIdentity();
  QWidget window;
  const QImage shown = window.windowIcon().pixmap(QSize(32, 32)).toImage();
  const QImage ours = ApplicationIcon().pixmap(QSize(32, 32)).toImage();
  EXPECT_EQ(shown, ours);
  // Desktops match windows to the entry of that name: it must be the one installed.
  const QString entry = QStringLiteral(PALVARIN_DATA_DIR "/") + QGuiApplication::desktopFileName();
  EXPECT_TRUE(QFileInfo(entry + QStringLiteral(".desktop")).isFile()) << entry.toStdString();
  QApplication::setWindowIcon(before);
}

struct ReadmeRow {
  const char* name;
  std::vector<std::string> files;  // made with some text
  const char* applicationDir;      // made when missing
  const char* expected;            // relative to the root; "" for none
};

void PrintTo(const ReadmeRow& row, std::ostream* out) { *out << row.name; }

class FindReadmeTest : public ::testing::TestWithParam<ReadmeRow> {};

TEST_P(FindReadmeTest, InstalledFirstThenTheSourceTreeAbove) {
  const ReadmeRow& row = GetParam();
  TempFolder root;
  for (const std::string& file : row.files) {
    std::filesystem::create_directories((root / file).parent_path());
    if (file.ends_with('/')) continue;  // a folder of that name
    std::ofstream(root / file) << "x\n";
  }
  std::filesystem::create_directories(root / row.applicationDir);
  const QString found = FindReadme(QString::fromStdString((root / row.applicationDir).string()));
  const QString expected =
      *row.expected
          ? QFileInfo(QString::fromStdString((root / row.expected).string())).canonicalFilePath()
          : QString();
  EXPECT_EQ(found, expected);
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, FindReadmeTest,
    ::testing::Values(
        ReadmeRow{"Installed",
                  {"usr/share/doc/palvarin/README.md"},
                  "usr/bin",
                  "usr/share/doc/palvarin/README.md"},
        ReadmeRow{"BuildFolder",
                  {"src/README.md", "src/CMakeLists.txt"},
                  "src/build/dev",
                  "src/README.md"},
        ReadmeRow{"DeepBuildFolder",
                  {"src/README.md", "src/CMakeLists.txt"},
                  "src/build/dev/tests/ui",
                  "src/README.md"},
        ReadmeRow{"NearestSourceTree",
                  {"README.md", "CMakeLists.txt", "a/README.md", "a/CMakeLists.txt"},
                  "a/b",
                  "a/README.md"},
        ReadmeRow{"InstalledBeatsSourceTree",
                  {"p/share/doc/palvarin/README.md", "README.md", "CMakeLists.txt"},
                  "p/bin",
                  "p/share/doc/palvarin/README.md"},
        ReadmeRow{"ReadmeWithoutCMakeLists", {"src/README.md"}, "src/build/dev", ""},
        ReadmeRow{"CMakeListsWithoutReadme", {"src/CMakeLists.txt"}, "src/build/dev", ""},
        ReadmeRow{"InstalledReadmeIsAFolder", {"usr/share/doc/palvarin/README.md/"}, "usr/bin", ""},
        ReadmeRow{"OtherPackagesDocs", {"usr/share/doc/other/README.md"}, "usr/bin", ""},
        ReadmeRow{"Nothing", {}, "usr/bin", ""}),
    RowName);

class AboutLinkTest : public DialogTest {};

// The dialog's link targets what FindReadme gives for the running program: here, a test in the
// build folder below the source tree, the source tree's README.
TEST_F(AboutLinkTest, LinksTheSourceReadmeFromABuildFolder) {
  const QString source = QFileInfo(QStringLiteral(PALVARIN_SOURCE_README)).canonicalFilePath();
  const QString binary = QDir(QStringLiteral(PALVARIN_BUILD_DIR)).canonicalPath();
  if (!binary.startsWith(QFileInfo(source).path() + QLatin1Char('/'))) {
    GTEST_SKIP() << "the build folder is outside the source tree";
  }
  CPalvarinDlg& dialog = Open();
  auto* link = dialog.findChild<QLabel*>(QStringLiteral("webLink"));
  ASSERT_NE(link, nullptr);
  const QRegularExpression href(QStringLiteral("href=\"([^\"]+)\""));
  const QRegularExpressionMatch match = href.match(link->text());
  ASSERT_TRUE(match.hasMatch()) << link->text().toStdString();
  EXPECT_EQ(QUrl(match.captured(1)).toLocalFile(), source);
}

}  // namespace
}  // namespace palvarin::test

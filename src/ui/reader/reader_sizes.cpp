// What the profile keeps of the reader window: its size and where its splitters stand.
#include <QSplitter>
#include <QStringList>
#include <string>

#include "state/profile_store.hpp"
#include "ui/reader/reader_window.hpp"
#include "ui/shared/dialog_strings.hpp"

namespace palvarin {
namespace {

constexpr std::string_view kSection = "Reader";

// A splitter's sizes as the profile keeps them: "200,300".
std::string SizesText(const QSplitter& splitter) {
  QStringList sizes;
  for (const int size : splitter.sizes()) sizes << QString::number(size);
  return sizes.join(u',').toStdString();
}

void RestoreSizes(QSplitter& splitter, const std::string& text) {
  QList<int> sizes;
  for (const QString& part : FromUtf8(text).split(u',', Qt::SkipEmptyParts)) {
    bool number = false;
    const int size = part.toInt(&number);
    if (!number || size < 0) return;
    sizes << size;
  }
  if (sizes.size() == splitter.count()) splitter.setSizes(sizes);
}

}  // namespace

void ReaderWindow::Restore() {
  if (setup_.profile == nullptr) return;
  ProfileStore& profile = *setup_.profile;
  const int width = profile.GetProfileInt(kSection, "Width", 0);
  const int height = profile.GetProfileInt(kSection, "Height", 0);
  if (width > 100 && height > 100) resize(width, height);
  RestoreSizes(*sides_, profile.GetProfileString(kSection, "Sides", ""));
  RestoreSizes(*panes_, profile.GetProfileString(kSection, "Panes", ""));
}

void ReaderWindow::Save() {
  if (setup_.profile == nullptr) return;
  ProfileStore& profile = *setup_.profile;
  // A profile that refuses writes keeps the last size: nothing for the user to act on.
  (void)profile.WriteProfileInt(kSection, "Width", width());
  (void)profile.WriteProfileInt(kSection, "Height", height());
  (void)profile.WriteProfileString(kSection, "Sides", SizesText(*sides_));
  (void)profile.WriteProfileString(kSection, "Panes", SizesText(*panes_));
}

void ReaderWindow::done(int result) {
  Save();
  QDialog::done(result);
}

}  // namespace palvarin

#include "dialog_strings.hpp"

namespace palvarin {

InTargetTexts TextsFor(InTarget kind) {
  if (kind == InTarget::File) {
    return {QStringLiteral("マージするMSN Messangerのファイル"), QStringLiteral("元ファイル1(&1)"),
            QStringLiteral("元ファイル2(&2)"), QStringLiteral("別ファイルに出力(&O)")};
  }
  return {QStringLiteral("マージするMSN Messangerのフォルダ"), QStringLiteral("元フォルダ1(&1)"),
          QStringLiteral("元フォルダ2(&2)"), QStringLiteral("別フォルダに出力(&O)")};
}

QString HistoryFileFilter() {
  return QStringLiteral("MSNメッセンジャー履歴ファイル (*.xml);;すべてのファイル (*)");
}

QString FolderBrowserTitle() { return QStringLiteral("フォルダを選択してください"); }

QString BackupMaxRangeMessage() {
  return QStringLiteral("バックアップファイルの最大数には、0から100までの整数を入力してください。");
}

QString WaitingForOtherJobText() {
  return QStringLiteral("ほかのPalvarinのマージが終わるのを待っています…");
}

QString ArchivedEntriesNote(int count) {
  return QStringLiteral(
             "前回のマージの後に片方で削除された %1 件のエントリを、"
             "アーカイブ規則により含めませんでした。")
      .arg(count);
}

}  // namespace palvarin

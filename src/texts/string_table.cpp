#include "texts/string_table.hpp"

namespace palvarin {

std::string_view MessageText(MessageId id) {
  switch (id) {
    case kMessageNoPath:
      return "入力先、又は出力先が選択されていません";
    case kMessageMissingPath:
      return "存在しないファイル、又はフォルダが設定されています";
    case kMessageNotFolder:
      return "対象にフォルダが設定されていません\n(ファイルが設定されている可能性があります)";
    case kMessageNotFile:
      return "対象にファイルが設定されていません\n(フォルダが設定されている可能性があります)";
    case kMessageBadArguments:
      return "不正な引数がありました。\nヘルプを確認して引数を再度設定してください。";
    case kMessageMergeFinished:
      return "マージが終了しました";
  }
  return {};
}

}  // namespace palvarin

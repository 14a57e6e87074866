#include "texts/help_text.hpp"

namespace palvarin {

const std::array<std::string_view, 5>& HelpBlocks() {
  static constexpr std::array<std::string_view, 5> kBlocks = {
      // Block 1
      "引数の一覧\n"
      "/h  : ヘルプ このウィンドウを表示します\n"
      "/n  : ウィンドウを表示せずに実行\n"
      "/d  : マージの対象にフォルダを指定\n"
      "/f  : マージの対象にファイルを指定",
      // Block 2
      "/p1 : パス1の設定(このスイッチの後にパスを続ける)\n"
      "/p2 : パス2の設定(このスイッチの後にパスを続ける)\n"
      "/ps : 出力先の設定(このスイッチの後にパスを続ける)\n"
      "/o  : マージ対象のファイルを上書きする\n"
      "/t  : 出力先を別ファイル(又はフォルダ)にする\n",
      // Block 3
      "/b  : バックアップファイルを作成する\n"
      "/nb : バックアップファイルを作成しない\n"
      "/bm : バックアップファイルを作成する場合の最大数\n"
      "      (このスイッチの後に、作成するバックアップの数の最大値を設定する)\n ",
      // Block 4
      "/t  : ファイルサイズ、更新日時が同じ場合もマージを行う\n"
      "/nt : ファイルサイズ、更新日時が同じ場合、マージを行わない\n"
      "/na : 片方のファイルに、前回マージした日時より古いメッセージがある場合、",
      // Block 5
      "      もう一方のファイルでアーカイブが作成されたとみなし、\n"
      "      マージ後のファイルにそのメッセージを含めない\n"
      "/a  : ↑これを気にせず、マージする",
  };
  return kBlocks;
}

std::string HelpText() {
  std::string text;
  for (std::string_view block : HelpBlocks()) {
    if (!text.empty() && !text.ends_with('\n')) text += '\n';
    text += block;
  }
  return text;
}

}  // namespace palvarin

// The window's words for what the operations report.
#include "shell/Messages.h"

#include <QCoreApplication>
#include <QFileInfo>

#include "platform/MsgBox.h"
#include "platform/Numeric.h"
#include "platform/Process.h"

namespace quavinto {

QString startQuestionText() { return QCoreApplication::translate("GameFlow", "ゲームを開始します"); }

QString resumeText() { return QCoreApplication::translate("GameCommands", "ゲームを再開始します"); }

QString invalidPlaceText() {
  return QCoreApplication::translate("Geometry", "画面の無効な場所をクリックしました。\r\nプログラムを中止します。");
}

QString errorLogText(const MainVars& v, int16_t xn, int16_t yn, int32_t x, int32_t y) {
  using platform::signedText;
  return QStringLiteral("Erorr Log:\r\nX=") + signedText(x) + QStringLiteral("  dx=") + signedText(v.PieceWidth) +
         QStringLiteral("  Xn=") + signedText(xn) + QStringLiteral("\r\nY=") + signedText(y) +
         QStringLiteral("  dy=") + signedText(v.PieceHeight) + QStringLiteral("  Yn=") + signedText(yn);
}

void stopOnEmptyCell(const GameState& g, const MainVars& v, int32_t x, int32_t y) {
  platform::MsgBox(invalidPlaceText(), 16);
  platform::MsgBox(errorLogText(v, g.Xn, g.Yn, x, y), 0);
  platform::endProcessNow(1);
}

QString pictureRefusalText(const QString& path, decode::PictureProblem problem, const QString& why) {
  using decode::PictureProblem;
  QString reason;
  switch (problem) {
    case PictureProblem::CannotOpen:
      reason =
          QCoreApplication::translate("PictureLoading", "ファイルがみつからないか、読み取りが許可されていません。");
      break;
    case PictureProblem::NotAFile:
      reason = QCoreApplication::translate(
          "PictureLoading", "通常のファイルではありません（フォルダーや特殊なファイルは読み込めません）。");
      break;
    case PictureProblem::NotAPicture:
      reason = QCoreApplication::translate("PictureLoading", "画像ではありません。");
      break;
    case PictureProblem::NoReader:
      reason = QCoreApplication::translate(
          "PictureLoading", "この形式の画像を読む部品がインストールされていません（qt6-image-formats-plugins）。");
      break;
    case PictureProblem::UnsupportedKind:
      reason = QCoreApplication::translate("PictureLoading",
                                           "この種類のファイルには対応していません。\r\n"
                                           "BMP・GIF・JPEG・PNG・WebP の画像を選んでください。");
      break;
    case PictureProblem::TooLarge:
      // The decoder's own words name the size and the limit it passes.
      reason = why.isEmpty() ? QCoreApplication::translate("PictureLoading", "画像が大きすぎて読み込めません。")
                             : QCoreApplication::translate("PictureLoading", "%1。").arg(why);
      break;
    case PictureProblem::Damaged:
    case PictureProblem::None:
      reason = QCoreApplication::translate("PictureLoading", "画像ファイルが壊れています。");
      break;
  }
  return QCoreApplication::translate("PictureLoading", "「%1」は使えません。\r\n%2")
      .arg(QFileInfo(path).fileName(), reason);
}

QString pictureNameRefusalText(const QString& path) {
  return QCoreApplication::translate("PictureLoading",
                                     "「%1」は使えません。\r\n"
                                     "ファイル名の終わりが、使える画像の種類を表していません。\r\n"
                                     "名前が .bmp .gif .jpg(それぞれ全部大文字か全部小文字)、"
                                     ".jpeg .png .webp で終わる画像を選んでください。")
      .arg(QFileInfo(path).fileName());
}

QString boardTooSmallText(int pictureWidth, int pictureHeight, int xn, int yn) {
  return QCoreApplication::translate("BoardLayout",
                                     "画像 (%1 × %2 ピクセル) が小さすぎて、%3 × %4 のピースに分けられません。\r\n"
                                     "画像の幅と高さには、横と縦の分割数の2倍以上のピクセルが必要です。")
      .arg(pictureWidth)
      .arg(pictureHeight)
      .arg(xn)
      .arg(yn);
}

QString missingPictureText() {
  return QCoreApplication::translate("GameCommands", "データファイルの画像\r\nファイルがみつかりません。");
}

// The program carries on after a refused file, so the text ends by saying
// what the player needs to know: the game on screen is as it was.
QString readErrorText(const QString& description) {
  return QCoreApplication::translate("GameCommands",
                                     "エラー%1が発生しました。\r\nゲームは読み込まれず、何も変わっていません。")
      .arg(description);
}

QString saveErrorText(const QString& description) {
  return QCoreApplication::translate("GameCommands", "ゲームを保存できませんでした。\r\n%1").arg(description);
}

void tellPictureOutcome(const BoardOutcome& outcome) {
  const GridMisfit& m = outcome.misfit;
  switch (outcome.outcome) {
    case PictureOutcome::NameRefused:
      platform::MsgBox(pictureNameRefusalText(outcome.path), 48);
      break;
    case PictureOutcome::Unusable:
      platform::MsgBox(pictureRefusalText(outcome.path, outcome.problem, outcome.why), 48);
      break;
    case PictureOutcome::GridTooSmall:
      platform::MsgBox(boardTooSmallText(m.pictureWidth, m.pictureHeight, m.xn, m.yn), 48);
      break;
    case PictureOutcome::Ready:
    case PictureOutcome::NotChosen:
      break;
  }
}

void tellReadOutcome(const GameRead& read) {
  const GridMisfit& m = read.misfit;
  switch (read.outcome) {
    case ReadOutcome::Damaged:
    case ReadOutcome::PictureUnusable:
      platform::MsgBox(readErrorText(read.why), 16);
      break;
    case ReadOutcome::PictureMissing:
      platform::MsgBox(missingPictureText(), 48);
      break;
    case ReadOutcome::GridTooSmall:
      platform::MsgBox(boardTooSmallText(m.pictureWidth, m.pictureHeight, m.xn, m.yn), 48);
      break;
    case ReadOutcome::Read:
    case ReadOutcome::Cancelled:
      break;
  }
}

void tellSaveOutcome(const GameSave& save) {
  if (save.outcome == SaveOutcome::Failed) platform::MsgBox(saveErrorText(save.why), 48);
}

}  // namespace quavinto

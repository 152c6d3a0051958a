// Choosing the board's picture: the picture dialog, the kind of file by its
// name, the decoding straight to the board's size, and the rebuild of the
// board. A picture that cannot be used is refused with one message saying
// why, and the board, PictureFile and the game in play stay as they were.
#include "pictures/PictureLoading.h"

#include <QCoreApplication>
#include <QFileInfo>

#include "core/GameFlow.h"
#include "core/MenuStates.h"
#include "pictures/BoardLayout.h"
#include "pictures/PathDirectory.h"
#include "pictures/PicturePreview.h"
#include "pictures/RecentPictures.h"
#include "platform/FileDialog.h"
#include "platform/MsgBox.h"
#include "platform/StartFolders.h"

namespace quavinto {

QString pictureFilter() {
  // Last, one entry lists every kind the program reads, so a folder of photos
  // never looks empty under the BMP entry the dialog opens on.
  return QCoreApplication::translate("PictureLoading",
                                     "BMP形式(*.BMP)|*.BMP|GIF形式(*.GIF)|*.GIF|JPEG形式(*.JPG)|*.JPG|すべて(*.*)|*.*"
                                     "|PNG形式(*.PNG)|*.PNG|WebP形式(*.WEBP)|*.WEBP|JPEG形式(*.JPEG)|*.JPEG") +
         QLatin1Char('|') + QCoreApplication::translate("PictureLoading", "すべての画像") +
         QStringLiteral("|*.BMP;*.GIF;*.JPG;*.JPEG;*.PNG;*.WEBP");
}

int16_t pictureTypeOf(const QString& path) {
  // The three original kinds: only the all-capital and all-small forms count,
  // the tests run in this order and the last match wins.
  const QString last = path.right(3);
  int16_t type = 0;
  if (last == QLatin1String("BMP") || last == QLatin1String("bmp")) type = 1;
  if (last == QLatin1String("GIF") || last == QLatin1String("gif")) type = 2;
  if (last == QLatin1String("JPG") || last == QLatin1String("jpg")) type = 3;
  if (type != 0) return type;
  // The later kinds by their whole extension, in any letter case.
  if (path.endsWith(QLatin1String(".png"), Qt::CaseInsensitive)) return 5;
  if (path.endsWith(QLatin1String(".webp"), Qt::CaseInsensitive)) return 6;
  if (path.endsWith(QLatin1String(".jpeg"), Qt::CaseInsensitive)) return 7;
  return 0;
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

bool loadChosenPicture(BoardWindow& w, const QString& path, bool stopGame) {
  GameState& g = w.state();
  const int16_t type = pictureTypeOf(path);
  if (type == 0) {
    platform::MsgBox(pictureNameRefusalText(path), 48);
    return false;
  }
  const BoardPicture picture = prepareBoardPicture(w, path, g.HyoujiFlag, g.Xn, g.Yn);
  if (picture.outcome == PictureOutcome::Unusable) {
    platform::MsgBox(pictureRefusalText(path, picture.problem, picture.why), 48);
    return false;
  }
  if (picture.outcome == PictureOutcome::GridTooSmall) {
    platform::MsgBox(boardTooSmallText(picture.image.width(), picture.image.height(), g.Xn, g.Yn), 48);
    return false;
  }
  // The picture becomes the board: only now does anything change. Its
  // pieces start home and none reversed, whatever the last game left.
  if (stopGame) stopForPicture(w);
  w.vars().PictureFile = path;
  w.vars().PictureChoice.clear();  // the dialog follows the board's picture again
  g.PictureType = type;
  g.ResumeFlag = 0;
  g.RMap = Grid{};
  if (!BuildBoardFrom(w, picture)) return false;
  rememberRecentPicture(path);
  return true;
}

void stopForPicture(GameHost& h) {
  endGame(h, GameEnd::Picture);
  applyMenuEvent(h, MenuEvent::PictureChosen);
}

void choosePicture(BoardWindow& w, platform::CommonDialog& dlg, QWidget* parent) {
  stopForPicture(w);
  MainVars& v = w.vars();
  GameState& g = w.state();
  // The dialog opens where the board's picture lies, or at a picture the
  // player chose since and could not use.
  const QString where = v.PictureChoice.isEmpty() ? v.PictureFile : v.PictureChoice;
  if (!where.isEmpty()) {
    dlg.initDir = PathDirectory(where);
    dlg.fileName = where;
  } else {
    dlg.initDir = platform::startFolder(platform::StartFolder::Pictures);
  }
  dlg.filter = pictureFilter();
  dlg.defaultExt = QStringLiteral(".BMP");
  dlg.filterIndex = g.PictureType;
  dlg.flags = platform::kOfnFileMustExist | platform::kOfnHideReadOnly;
  dlg.cancelError = true;
  dlg.sideWidget = picturePreviewBeside;
  if (!dlg.showOpen(parent)) return;
  takePictureFile(w, dlg.fileName);
}

bool takePictureFile(BoardWindow& w, const QString& path) {
  w.vars().PictureChoice = path;
  // The chosen kind is offered first next time, even when the picture is refused.
  const int16_t type = pictureTypeOf(path);
  if (type != 0) w.state().PictureType = type;
  return loadChosenPicture(w, path);
}

}  // namespace quavinto

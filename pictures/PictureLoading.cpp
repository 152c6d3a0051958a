// Choosing the board's picture: the picture dialog's set-up, the kind of file by its
// name, the decoding straight to the board's size, and the rebuild of the
// board. A picture that cannot be used is refused with an outcome saying why,
// for the window to tell the player, and the board, PictureFile and the game
// in play stay as they were.
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

BoardOutcome loadChosenPicture(BoardWindow& w, const QString& path, bool stopGame) {
  GameState& g = w.state();
  const int16_t type = pictureTypeOf(path);
  if (type == 0) {
    BoardOutcome refused;
    refused.outcome = PictureOutcome::NameRefused;
    refused.path = path;
    return refused;
  }
  const BoardPicture picture = prepareBoardPicture(w, path, g.HyoujiFlag, g.Xn, g.Yn);
  if (picture.outcome != PictureOutcome::Ready) return refusalOf(picture, path);
  // The picture becomes the board: only now does anything change. Its
  // pieces start home and none reversed, whatever the last game left.
  if (stopGame) stopForPicture(w);
  w.vars().PictureFile = path;
  w.vars().PictureChoice.clear();  // the dialog follows the board's picture again
  g.PictureType = type;
  g.ResumeFlag = 0;
  g.RMap = Grid{};
  const BoardOutcome built = BuildBoardFrom(w, picture);
  if (built.built()) rememberRecentPicture(path);
  return built;
}

void stopForPicture(GameHost& h) {
  endGame(h, GameEnd::Picture);
  applyMenuEvent(h, MenuEvent::PictureChosen);
}

void preparePictureDialog(BoardWindow& w, platform::CommonDialog& dlg) {
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
}

BoardOutcome pictureNotChosen() {
  BoardOutcome none;
  none.outcome = PictureOutcome::NotChosen;
  return none;
}

BoardOutcome takePictureFile(BoardWindow& w, const QString& path) {
  w.vars().PictureChoice = path;
  // The chosen kind is offered first next time, even when the picture is refused.
  const int16_t type = pictureTypeOf(path);
  if (type != 0) w.state().PictureType = type;
  return loadChosenPicture(w, path);
}

}  // namespace quavinto

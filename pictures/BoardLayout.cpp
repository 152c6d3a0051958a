// Board sizing and building.
#include "pictures/BoardLayout.h"

#include <QCoreApplication>
#include <QLabel>
#include <algorithm>
#include <cmath>

#include "core/Geometry.h"
#include "core/MenuStates.h"
#include "core/PieceDrawing.h"
#include "interaction/ViewMoves.h"
#include "platform/ImageBox.h"
#include "platform/MsgBox.h"
#include "platform/PictureBox.h"
#include "pictures/decode/PictureDecoder.h"
#include "platform/Screen.h"

namespace quavinto {

bool boardFits(int pictureWidth, int pictureHeight, int xn, int yn) {
  // A piece one pixel wide or high could not be pressed: the board's first
  // pixel column and row lie outside the grid.
  return xn >= 1 && yn >= 1 && xn <= kMaxCells && yn <= kMaxCells && pictureWidth >= kMinPieceSide * xn &&
         pictureHeight >= kMinPieceSide * yn;
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

bool SizeBoard(BoardWindow& w) {
  GameState& g = w.state();
  MainVars& v = w.vars();
  if (!boardFits(g.PictureWidth, g.PictureHeight, g.Xn, g.Yn)) return false;
  v.PieceWidth = int32_t(std::floor(double(g.PictureWidth) / g.Xn));
  v.PieceHeight = int32_t(std::floor(double(g.PictureHeight) / g.Yn));
  w.boardBox()->resize(g.Xn * v.PieceWidth, g.Yn * v.PieceHeight);
  // The board shows its picture afresh: the pieces start home.
  w.boardBox()->redrawFromPicture();
  w.ScaleFinishedView();
  w.floatingBox()->resize(v.PieceWidth, v.PieceHeight);
  w.floatingBox()->clearDrawing();
  moveFloatingOutOfSight(w);
  // Reversed pieces are copied from the same places as normal ones, so the
  // reversed image must cover the whole board of every layout.
  w.reversedBox()->resize(w.boardBox()->size());
  w.reversedBox()->move(-w.reversedBox()->width() - 10, -w.reversedBox()->height() - 10);
  return true;
}

QSize largestBoard(QPoint boardOrigin, int16_t viewSetting) {
  // What the player sees must fit the screen: the board with its margins, the
  // window frame and menu bar, and the view beside the board when it is shown
  // (it can be as wide as the board). The window's 16-bit twips bound the
  // board with the view shown in any case.
  const QRect screen = platform::availableScreenGeometry();
  const int left = boardOrigin.x();
  const int top = boardOrigin.y();
  const bool withView = viewSetting == 1;
  const int byScreenW = withView ? (screen.width() - 5 * left - 25 - 16) / 2 : screen.width() - 4 * left - 16;
  const int byScreenH = screen.height() - 6 * top - 80;
  const int byTwipsW = int((32767 / platform::twipsPerPixelX() - 5 * left - 25) / 2);
  const int byTwipsH = int(32767 / platform::twipsPerPixelY() - 6 * top - 40);
  return QSize(std::max(30, std::min(byScreenW, byTwipsW)), std::max(30, std::min(byScreenH, byTwipsH)));
}

QSize largestBoard(const BoardWindow& w) { return largestBoard(w.boardBox()->pos(), w.state().HyoujiFlag); }

bool fitBoardPictureToView(BoardWindow& w) {
  GameState& g = w.state();
  // The built-in picture keeps its size, as it does when it becomes the board.
  if (w.vars().PictureFile.trimmed().isEmpty()) return false;
  const QImage& picture = w.boardBox()->picture();
  const QSize largest = largestBoard(w);
  if (picture.width() <= largest.width() && picture.height() <= largest.height()) return false;
  const QImage fitted = decode::fitPicture(picture, largest).convertToFormat(platform::kBoardFormat);
  if (!boardFits(fitted.width(), fitted.height(), g.Xn, g.Yn)) return false;
  w.boardBox()->setPicture(fitted);
  g.PictureWidth = int16_t(w.boardBox()->width());
  g.PictureHeight = int16_t(w.boardBox()->height());
  // The view stands beside the board cropped to whole pieces, as a new board's does.
  SizeBoard(w);
  w.viewBox()->move(w.boardBox()->width() + 25, w.boardBox()->y());
  return true;
}

namespace {

// Decodes and orients a picture file, fitted straight to `largest` when it is
// bigger, in the board's pixel format.
bool decodeForBoard(const QString& path, QSize largest, QImage* picture, QString* why,
                    decode::PictureProblem* problem) {
  QImage image;
  if (!decode::loadPicture(path, &image, why, largest, problem)) return false;
  *picture = image.convertToFormat(platform::kBoardFormat);
  return true;
}

}  // namespace

bool loadBoardPicture(const BoardWindow& w, const QString& path, QImage* picture, QString* why,
                      decode::PictureProblem* problem) {
  return decodeForBoard(path, largestBoard(w), picture, why, problem);
}

BoardPicture prepareBoardPicture(const BoardWindow& w, const QString& path, int16_t viewSetting, int xn, int yn) {
  BoardPicture result;
  if (path.trimmed().isEmpty()) {
    result.image = w.defaultPicture();
  } else if (!decodeForBoard(path, largestBoard(w.boardBox()->pos(), viewSetting), &result.image, &result.why,
                             &result.problem)) {
    result.outcome = PictureOutcome::Unusable;
    return result;
  }
  result.outcome = boardFits(result.image.width(), result.image.height(), xn, yn) ? PictureOutcome::Ready
                                                                                  : PictureOutcome::GridTooSmall;
  return result;
}

bool BuildBoard(BoardWindow& w, QString* why) {
  const GameState& g = w.state();
  const BoardPicture picture = prepareBoardPicture(w, w.vars().PictureFile, g.HyoujiFlag, g.Xn, g.Yn);
  if (picture.outcome == PictureOutcome::Unusable) {
    if (why) *why = picture.why;
    return false;
  }
  return BuildBoardFrom(w, picture.image, why);
}

bool BuildBoardFrom(BoardWindow& w, const QImage& picture, QString* why) {
  GameState& g = w.state();
  MainVars& v = w.vars();
  if (!boardFits(picture.width(), picture.height(), g.Xn, g.Yn)) {
    const QString text = boardTooSmallText(picture.width(), picture.height(), g.Xn, g.Yn);
    if (why) *why = text;
    platform::MsgBox(text, 48);
    return false;
  }
  w.boardBox()->setPicture(picture);
  g.PictureWidth = int16_t(w.boardBox()->width());
  g.PictureHeight = int16_t(w.boardBox()->height());
  SizeBoard(w);
  if (g.MemDC) platform::DeleteDC(g.MemDC);
  g.MemDC = platform::CreateCompatibleDC(w.boardBox()->hdc());
  w.viewImage()->setPicture(w.boardBox()->picture());
  w.viewBox()->move(w.boardBox()->width() + 25, w.boardBox()->y());
  applyCaptionRule(w);
  w.ArrangeWindow();
  if (g.ResumeFlag == 0) {
    InitMap(g);
    // The board shows every piece home and upright; the flags say the same,
    // and a piece turned before the next start shows this picture's piece.
    g.RMap = Grid{};
    buildReversedImage(w);
  }
  w.floatingBox()->move(0, 0);
  const SourceOrigin origin = GetPieceOrigin(g, v, 0, 0);
  QImage* kept = platform::SelectObject(g.MemDC, w.boardBox()->pictureBitmap());
  if (origin.ok)
    platform::BitBlt(w.floatingBox()->hdc(), 0, 0, v.PieceWidth, v.PieceHeight, g.MemDC, origin.x, origin.y,
                     platform::SRCCOPY);
  platform::SelectObject(g.MemDC, kept);
  w.floatingBox()->refresh();
  w.boardBox()->show();
  w.viewBox()->setVisible(g.HyoujiFlag == 1);
  w.viewCaption()->setVisible(g.HyoujiFlag == 1);
  applyMenuEvent(w, MenuEvent::BoardBuilt);
  w.pictureReachedBoard();
  return true;
}

}  // namespace quavinto

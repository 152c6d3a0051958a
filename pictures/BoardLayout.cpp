// Board sizing and building.
#include "pictures/BoardLayout.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFileInfo>
#include <QLabel>
#include <algorithm>
#include <cmath>

#include "core/Geometry.h"
#include "core/MenuStates.h"
#include "core/PieceDrawing.h"
#include "interaction/ViewMoves.h"
#include "pictures/PieceCut.h"
#include "pictures/decode/PictureDecoder.h"
#include "platform/ImageBox.h"
#include "platform/PictureBox.h"
#include "platform/Screen.h"

namespace quavinto {
namespace {

// Pictures are decoded with up to this many times the board's device pixels
// each way, so that each piece is reduced from finer pixels of its own. A JPEG
// may come out at three quarters of that when its decoder reduces it a step
// further: a 108-megapixel photo is then held at an eighth while it loads.
constexpr int kCutOversample = 2;
constexpr int kJpegLeastPercent = 75;

qreal screenRatio(const BoardWindow& w) {
  const qreal ratio = w.boardBox()->devicePixelRatioF();
  return ratio > 0 ? ratio : 1;
}

QSize timesSize(QSize size, qreal factor) {
  return QSize(int(std::lround(size.width() * factor)), int(std::lround(size.height() * factor)));
}

// What the board's pieces were last cut for: grid, piece size, resolution and picture.
QString cutKey(BoardWindow& w) {
  const GameState& g = w.state();
  const MainVars& v = w.vars();
  return QStringLiteral("%1x%2/%3x%4@%5/%6")
      .arg(g.Xn)
      .arg(g.Yn)
      .arg(v.PieceWidth)
      .arg(v.PieceHeight)
      .arg(screenRatio(w))
      .arg(w.viewImage()->picture().cacheKey());
}

// The state of a picture file, to know it unchanged when it is read again.
QString fileStamp(const QString& path) {
  const QFileInfo info(path);
  return info.isFile() ? QStringLiteral("%1/%2").arg(info.size()).arg(info.lastModified().toMSecsSinceEpoch())
                       : QString();
}

// Decodes and orients a picture file for the board: `whole` fitted to
// `largest` as the view shows it, `source` the same with finer pixels for
// cutting the pieces at `ratio`; both in the board's pixel format.
bool decodeForBoard(const QString& path, QSize largest, qreal ratio, QImage* whole, QImage* source, QString* why,
                    decode::PictureProblem* problem) {
  QImage image;
  decode::FitDetails details;
  details.jpegLeastPercent = kJpegLeastPercent;
  if (!decode::loadPicture(path, &image, why, timesSize(largest, ratio * kCutOversample), problem, &details))
    return false;
  *source = image.convertToFormat(platform::kBoardFormat);
  const QSize full = details.fullSize;
  if (source->size() != full) markReducedPicture(source);
  // The board's picture has the proportions of the picture itself, whatever
  // size the finer one was read at.
  const bool fits = full.width() <= largest.width() && full.height() <= largest.height();
  const QSize size = fits ? full : full.scaled(largest, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
  *whole = (source->size() == size ? *source : source->scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation))
               .convertToFormat(platform::kBoardFormat);
  return true;
}

// The finer picture the board's pieces are cut from: the picture file read
// again while it is the one on the board, unchanged; else the picture in
// memory (at the screen's resolution when the view holds it so).
QImage boardSource(BoardWindow& w) {
  const platform::ImageBox* view = w.viewImage();
  const QImage& whole = view->picture();
  const QString file = w.vars().PictureFile;
  if (!file.trimmed().isEmpty() && !whole.isNull() && view->property("pictureStamp").toString() == fileStamp(file)) {
    QImage again, source;
    if (decodeForBoard(file, whole.size(), screenRatio(w), &again, &source, nullptr, nullptr) &&
        again.size() == whole.size())
      return source;
  }
  return view->finePicture().isNull() ? whole : view->finePicture();
}

// Cuts the board's pieces from `source` at logical and screen resolution.
void cutBoard(BoardWindow& w, const QImage& source) {
  const GameState& g = w.state();
  const MainVars& v = w.vars();
  const platform::ImageBox* view = w.viewImage();
  const QImage& whole = view->picture();
  const qreal ratio = screenRatio(w);
  const QImage logical = cutPieces(source, whole, whole.size(), g.Xn, g.Yn, v.PieceWidth, v.PieceHeight, 1);
  const QImage fine = ratio == 1 ? QImage()
                                 : cutPieces(source, view->finePicture().isNull() ? whole : view->finePicture(),
                                             whole.size(), g.Xn, g.Yn, v.PieceWidth, v.PieceHeight, ratio);
  w.boardBox()->setPicture(logical, fine);
  w.boardBox()->setProperty("cutFor", cutKey(w));
}

// The whole picture held by the view: as the design reduces it, and at the
// screen's resolution from the finer `source`.
void holdWholePicture(BoardWindow& w, const QImage& whole, const QImage& source, const QString& file) {
  const qreal ratio = screenRatio(w);
  QImage fine;
  if (ratio != 1) {
    const QSize device = timesSize(whole.size(), ratio);
    fine = source.size() == device ? source : source.scaled(device, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    fine.setDevicePixelRatio(ratio);
  }
  w.viewImage()->setPicture(whole, fine);
  w.viewImage()->setProperty("pictureStamp", file.trimmed().isEmpty() ? QString() : fileStamp(file));
}

}  // namespace

bool boardFits(int pictureWidth, int pictureHeight, int xn, int yn) {
  // A piece one pixel wide or high could not be pressed: the board's first
  // pixel column and row lie outside the grid.
  return xn >= 1 && yn >= 1 && xn <= kMaxCells && yn <= kMaxCells && pictureWidth >= kMinPieceSide * xn &&
         pictureHeight >= kMinPieceSide * yn;
}

bool SizeBoard(BoardWindow& w, const QImage* source) {
  GameState& g = w.state();
  MainVars& v = w.vars();
  if (!boardFits(g.PictureWidth, g.PictureHeight, g.Xn, g.Yn)) return false;
  v.PieceWidth = int32_t(std::floor(double(g.PictureWidth) / g.Xn));
  v.PieceHeight = int32_t(std::floor(double(g.PictureHeight) / g.Yn));
  const qreal ratio = screenRatio(w);
  for (platform::PictureBox* box : {w.boardBox(), w.floatingBox(), w.reversedBox()}) box->setDeviceRatio(ratio);
  // A picture never seen by the view (the window's first) is its own whole.
  if (w.viewImage()->picture().isNull()) holdWholePicture(w, w.boardBox()->picture(), w.boardBox()->picture(), {});
  if (source)
    cutBoard(w, *source);
  else if (w.boardBox()->property("cutFor").toString() != cutKey(w))
    cutBoard(w, boardSource(w));
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

bool fitBoardToScreen(BoardWindow& w) {
  if (w.boardBox()->deviceRatio() == screenRatio(w) || w.viewImage()->picture().isNull()) return false;
  const QVariant stamp = w.viewImage()->property("pictureStamp");
  const QImage finer = boardSource(w);
  holdWholePicture(w, w.viewImage()->picture(), finer, {});
  w.viewImage()->setProperty("pictureStamp", stamp);
  SizeBoard(w, &finer);
  buildReversedImage(w);
  drawAllCells(w);
  w.refreshBoard();
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
  const QImage fitted = decode::fitPicture(w.viewImage()->picture(), largest).convertToFormat(platform::kBoardFormat);
  if (!boardFits(fitted.width(), fitted.height(), g.Xn, g.Yn)) return false;
  const QImage finer = w.viewImage()->finePicture().isNull() ? w.viewImage()->picture() : w.viewImage()->finePicture();
  holdWholePicture(w, fitted, finer, {});
  w.boardBox()->setPicture(fitted);
  g.PictureWidth = int16_t(w.boardBox()->width());
  g.PictureHeight = int16_t(w.boardBox()->height());
  // The view stands beside the board cropped to whole pieces, as a new board's does.
  SizeBoard(w);
  w.viewBox()->move(w.boardBox()->width() + 25, w.boardBox()->y());
  return true;
}

bool loadBoardPicture(const BoardWindow& w, const QString& path, QImage* picture, QString* why,
                      decode::PictureProblem* problem) {
  QImage source;
  return decodeForBoard(path, largestBoard(w), screenRatio(w), picture, &source, why, problem);
}

BoardPicture prepareBoardPicture(const BoardWindow& w, const QString& path, int16_t viewSetting, int xn, int yn) {
  BoardPicture result;
  if (path.trimmed().isEmpty()) {
    result.image = w.defaultPicture();
    result.source = result.image;
  } else if (!decodeForBoard(path, largestBoard(w.boardBox()->pos(), viewSetting), screenRatio(w), &result.image,
                             &result.source, &result.why, &result.problem)) {
    result.outcome = PictureOutcome::Unusable;
    return result;
  }
  if (!boardFits(result.image.width(), result.image.height(), xn, yn)) {
    result.outcome = PictureOutcome::GridTooSmall;
    result.misfit = {result.image.width(), result.image.height(), xn, yn};
  }
  return result;
}

BoardOutcome refusalOf(const BoardPicture& picture, const QString& path) {
  BoardOutcome refused;
  refused.outcome = picture.outcome;
  refused.path = path;
  refused.problem = picture.problem;
  refused.why = picture.why;
  refused.misfit = picture.misfit;
  return refused;
}

BoardOutcome BuildBoard(BoardWindow& w) {
  const GameState& g = w.state();
  const QString& path = w.vars().PictureFile;
  const BoardPicture picture = prepareBoardPicture(w, path, g.HyoujiFlag, g.Xn, g.Yn);
  if (picture.outcome == PictureOutcome::Unusable) return refusalOf(picture, path);
  return BuildBoardFrom(w, picture);
}

BoardOutcome BuildBoardFrom(BoardWindow& w, const QImage& picture) {
  BoardPicture given;
  given.image = picture;
  given.source = picture;
  return BuildBoardFrom(w, given);
}

BoardOutcome BuildBoardFrom(BoardWindow& w, const BoardPicture& given) {
  GameState& g = w.state();
  MainVars& v = w.vars();
  const QImage& picture = given.image;
  BoardOutcome outcome;
  outcome.path = v.PictureFile;
  if (!boardFits(picture.width(), picture.height(), g.Xn, g.Yn)) {
    outcome.outcome = PictureOutcome::GridTooSmall;
    outcome.misfit = {picture.width(), picture.height(), g.Xn, g.Yn};
    return outcome;
  }
  const QImage& source = given.source.isNull() ? picture : given.source;
  holdWholePicture(w, picture.convertToFormat(platform::kBoardFormat), source, w.vars().PictureFile);
  w.boardBox()->setPicture(picture);
  g.PictureWidth = int16_t(w.boardBox()->width());
  g.PictureHeight = int16_t(w.boardBox()->height());
  SizeBoard(w, &source);
  if (g.MemDC) platform::DeleteDC(g.MemDC);
  g.MemDC = platform::CreateCompatibleDC(w.boardBox()->hdc());
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
  const SourceOrigin origin = pieceOrigin(w, 0, 0);
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
  return outcome;
}

}  // namespace quavinto

// Board sizing and building.
#include "pictures/BoardLayout.h"

#include "core/Geometry.h"
#include "core/MenuStates.h"
#include "core/PieceDrawing.h"
#include "interaction/ViewMoves.h"
#include "platform/MsgBox.h"
#include "platform/PictureDecoder.h"
#include "platform/Screen.h"
#include "shell/Form1.h"

#include <algorithm>
#include <cmath>

namespace quavinto {

bool boardFits(int pictureWidth, int pictureHeight, int xn, int yn) {
  // A piece one pixel wide or high could not be pressed: the board's first
  // pixel column and row lie outside the grid.
  return xn >= 1 && yn >= 1 && xn <= kMaxCells && yn <= kMaxCells && pictureWidth >= kMinPieceSide * xn &&
         pictureHeight >= kMinPieceSide * yn;
}

QString boardTooSmallText(int pictureWidth, int pictureHeight, int xn, int yn) {
  return QStringLiteral(u"画像 (%1 × %2 ピクセル) が小さすぎて、%3 × %4 のピースに分けられません。\r\n"
                        u"画像の幅と高さには、横と縦の分割数の2倍以上のピクセルが必要です。")
      .arg(pictureWidth)
      .arg(pictureHeight)
      .arg(xn)
      .arg(yn);
}

bool SizeBoard(Form1& f) {
  GameState& g = f.state();
  MainVars& v = f.vars();
  if (!boardFits(g.PictureWidth, g.PictureHeight, g.Xn, g.Yn)) return false;
  v.PieceWidth = int32_t(std::floor(double(g.PictureWidth) / g.Xn));
  v.PieceHeight = int32_t(std::floor(double(g.PictureHeight) / g.Yn));
  f.Picture1->resize(g.Xn * v.PieceWidth, g.Yn * v.PieceHeight);
  // The board shows its picture afresh: the pieces start home.
  f.Picture1->redrawFromPicture();
  f.ScaleFinishedView();
  f.Picture2->resize(v.PieceWidth, v.PieceHeight);
  f.Picture2->clearDrawing();
  f.Picture2->move(-v.PieceWidth, -v.PieceHeight);
  // Reversed pieces are copied from the same places as normal ones, so the
  // reversed image must cover the whole board of every layout.
  f.Picture4->resize(f.Picture1->size());
  f.Picture4->move(-f.Picture4->width() - 10, -f.Picture4->height() - 10);
  return true;
}

QSize largestBoard(const Form1& f) {
  // What the player sees must fit the screen: the board with its margins, the
  // window frame and menu bar, and the view beside the board when it is shown
  // (it can be as wide as the board). The window's 16-bit twips bound the
  // board with the view shown in any case.
  const QRect screen = platform::availableScreenGeometry();
  const int left = f.Picture1->x();
  const int top = f.Picture1->y();
  const bool withView = f.state().HyoujiFlag == 1;
  const int byScreenW = withView ? (screen.width() - 5 * left - 25 - 16) / 2 : screen.width() - 4 * left - 16;
  const int byScreenH = screen.height() - 6 * top - 80;
  const int byTwipsW = int((32767 / platform::twipsPerPixelX() - 5 * left - 25) / 2);
  const int byTwipsH = int(32767 / platform::twipsPerPixelY() - 6 * top - 40);
  return QSize(std::max(30, std::min(byScreenW, byTwipsW)), std::max(30, std::min(byScreenH, byTwipsH)));
}

bool loadBoardPicture(const Form1& f, const QString& path, QImage* picture, QString* why,
                      platform::PictureProblem* problem) {
  QImage image;
  if (!platform::loadPicture(path, &image, why, largestBoard(f), problem)) return false;
  *picture = image.convertToFormat(platform::kBoardFormat);
  return true;
}

bool BuildBoard(Form1& f, QString* why) {
  const QString file = f.vars().PictureFile.trimmed();
  QImage picture = f.Image2;
  if (!file.isEmpty() && !loadBoardPicture(f, f.vars().PictureFile, &picture, why)) return false;
  return BuildBoardFrom(f, picture, why);
}

bool BuildBoardFrom(Form1& f, const QImage& picture, QString* why) {
  GameState& g = f.state();
  MainVars& v = f.vars();
  if (!boardFits(picture.width(), picture.height(), g.Xn, g.Yn)) {
    const QString text = boardTooSmallText(picture.width(), picture.height(), g.Xn, g.Yn);
    if (why) *why = text;
    platform::MsgBox(text, 48);
    return false;
  }
  f.Picture1->setPicture(picture);
  g.PictureWidth = int16_t(f.Picture1->width());
  g.PictureHeight = int16_t(f.Picture1->height());
  SizeBoard(f);
  if (g.MemDC) platform::DeleteDC(g.MemDC);
  g.MemDC = platform::CreateCompatibleDC(f.Picture1->hdc());
  f.Image1->setPicture(f.Picture1->picture());
  f.Picture3->move(f.Picture1->width() + 25, f.Picture1->y());
  applyCaptionRule(f);
  f.ArrangeWindow();
  if (g.ResumeFlag == 0) {
    InitMap(g);
    // The board shows every piece home and upright; the flags say the same,
    // and a piece turned before the next start shows this picture's piece.
    g.RMap = Grid{};
    buildReversedImage(f);
  }
  f.Picture2->move(0, 0);
  const SourceOrigin origin = GetPieceOrigin(g, v, 0, 0);
  QImage* kept = platform::SelectObject(g.MemDC, f.Picture1->pictureBitmap());
  if (origin.ok)
    platform::BitBlt(f.Picture2->hdc(), 0, 0, v.PieceWidth, v.PieceHeight, g.MemDC, origin.x, origin.y,
                     platform::SRCCOPY);
  platform::SelectObject(g.MemDC, kept);
  f.Picture2->refresh();
  f.Picture1->show();
  f.Picture3->setVisible(g.HyoujiFlag == 1);
  f.Label1_0->setVisible(g.HyoujiFlag == 1);
  applyMenuEvent(f, MenuEvent::BoardBuilt);
  return true;
}

}  // namespace quavinto

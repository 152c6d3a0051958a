// Piece copies, the reversed image and the exchange of reverse flags.
#include "core/PieceDrawing.h"

#include "core/Geometry.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace quavinto {

SourceOrigin pieceOrigin(GameHost& h, int32_t x, int32_t y) {
  const SourceOrigin origin = GetPieceOrigin(h.state(), h.vars(), x, y);
  if (origin.emptyCell) h.emptyCellReached(x, y);
  return origin;
}

bool copyPiece(GameHost& h, platform::Hdc dst, int32_t dx, int32_t dy, int32_t lookupX, int32_t lookupY,
               int16_t reversed) {
  GameState& g = h.state();
  const MainVars& v = h.vars();
  if (!g.MemDC) return false;
  QImage* kept = platform::SelectObject(g.MemDC, h.boardPicture());
  const platform::Hdc source = reversed == 1 ? h.reversedDc() : g.MemDC;
  const SourceOrigin origin = pieceOrigin(h, lookupX, lookupY);
  bool drawn = false;
  if (origin.ok)
    drawn = platform::BitBlt(dst, dx, dy, v.PieceWidth, v.PieceHeight, source, origin.x, origin.y, platform::SRCCOPY);
  platform::SelectObject(g.MemDC, kept);
  return drawn;
}

bool reverseRect(QImage& dst, const QImage& src, int x0, int y0, int w, int h) {
  // Only whole rectangles inside both images are rotated.
  if (x0 < 0 || y0 < 0 || w <= 0 || h <= 0) return false;
  if (x0 + w > src.width() || y0 + h > src.height() || x0 + w > dst.width() || y0 + h > dst.height()) return false;
  // The rows of a piece lie a whole picture row apart, too far for the
  // hardware to guess: the rows a few ahead are fetched while this one is
  // copied, which halves the time on a big picture.
  constexpr int kAhead = 4;
  const qsizetype fromStride = src.bytesPerLine(), toStride = dst.bytesPerLine();
  const qsizetype rowBytes = qsizetype(w) * 4;
  uchar* toBits = dst.bits();
  const uchar* fromBits = src.constBits();
  for (int dy = 0; dy < h; ++dy) {
    if (dy + kAhead < h) {
      const uchar* next = fromBits + (y0 + dy + kAhead) * fromStride + qsizetype(x0) * 4;
      uchar* nextTo = toBits + (y0 + h - 1 - dy - kAhead) * toStride + qsizetype(x0) * 4;
      for (qsizetype at = 0; at < rowBytes; at += 64) {
        platform::prefetch(next + at);
        platform::prefetch(nextTo + at, true);
      }
      platform::prefetch(next + rowBytes - 1);
      platform::prefetch(nextTo + rowBytes - 1, true);
    }
    const auto* from = reinterpret_cast<const QRgb*>(fromBits + (y0 + dy) * fromStride) + x0;
    auto* to = reinterpret_cast<QRgb*>(toBits + (y0 + h - 1 - dy) * toStride) + x0;
    std::reverse_copy(from, from + w, to);
  }
  return true;
}

namespace {

// Turns the piece's device rectangle on the fine twins as reverseRect turned
// its logical one: each piece turns within its own device pixels.
void reverseFine(const QImage& reversed, const QImage& picture, const QRect& piece) {
  QImage* to = platform::fineTwin(&reversed);
  const QImage* from = platform::fineTwin(&picture);
  if (!to || !from || to->devicePixelRatio() != from->devicePixelRatio()) return;
  const QRect device = platform::toDevice(piece, to->devicePixelRatio());
  reverseRect(*to, *from, device.x(), device.y(), device.width(), device.height());
}

// The key of what the reversed image would hold if it were built now; all zero
// when either image is missing.
ReversedImageKey reversedImageKey(GameHost& h) {
  const GameState& g = h.state();
  const MainVars& v = h.vars();
  const QImage* picture = h.boardPicture();
  const QImage* reversed = h.reversedDc() ? h.reversedDc()->target() : nullptr;
  if (!picture || picture->isNull() || !reversed || reversed->isNull()) return {};
  return {picture->cacheKey(), reversed->cacheKey(), g.Xn, g.Yn, v.PieceWidth, v.PieceHeight};
}

bool rebuildReversed(GameHost& h, bool yield) {
  GameState& g = h.state();
  MainVars& v = h.vars();
  v.ReversedBuilt = {};
  const int n = g.Xn * g.Yn;
  QImage* reversed = h.reversedDc()->target();
  bool whole = reversed != nullptr && g.MemDC != nullptr;
  for (int k = 1; k <= n && whole; ++k) {
    const int32_t x0 = (homeColumn(g.Xn, k) - 1) * v.PieceWidth;
    const int32_t y0 = (homeRow(g.Xn, k) - 1) * v.PieceHeight;
    QImage* kept = platform::SelectObject(g.MemDC, h.boardPicture());
    const QImage* picture = g.MemDC->target();
    whole = picture && reverseRect(*reversed, *picture, x0, y0, v.PieceWidth, v.PieceHeight);
    if (whole) reverseFine(*reversed, *picture, QRect(x0, y0, v.PieceWidth, v.PieceHeight));
    platform::SelectObject(g.MemDC, kept);
    if (yield) h.processEvents();
  }
  h.refreshReversed();
  if (whole) v.ReversedBuilt = reversedImageKey(h);
  if (!whole)
    qWarning("reversed image: a piece falls outside the reversed image or the picture (%dx%d pieces of %dx%d)",
             int(g.Xn), int(g.Yn), int(v.PieceWidth), int(v.PieceHeight));
  return whole;
}

}  // namespace

bool DrawReverse(GameHost& h) { return rebuildReversed(h, true); }
bool buildReversedImage(GameHost& h) { return rebuildReversed(h, false); }

bool bringReversedUpToDate(GameHost& h) {
  const ReversedImageKey now = reversedImageKey(h);
  if (now.picture != 0 && now == h.vars().ReversedBuilt) return true;
  return DrawReverse(h);
}

bool ChengeRMap(GameHost& h, int32_t x, int32_t y) { return exchangeCells(h.state().RMap, h.vars(), x, y); }

namespace {

bool sharesBoardFormat(const QImage* image) {
  return image && !image->isNull() && image->format() == platform::kBoardFormat;
}

// Draws a whole row of cells line by line: each board line is written left to
// right in one sweep, every cell's part taken straight from its source row.
// Cells whose source lies outside its image go through copyPiece instead, which
// clips; they are drawn after the row's sweep, in reading order among
// themselves, and no other cell of the row overlaps them.
void drawCellRow(GameHost& h, QImage& board, const QImage& picture, const QImage& reversed, int row) {
  const GameState& g = h.state();
  const MainVars& v = h.vars();
  const int w = v.PieceWidth, ph = v.PieceHeight, y = (row - 1) * ph;
  const qsizetype rowBytes = qsizetype(w) * 4;
  std::vector<const uchar*> from(size_t(g.Xn) + 1, nullptr);
  std::vector<qsizetype> stride(size_t(g.Xn) + 1, 0);
  std::vector<int> clipped;
  std::vector<QPoint> origins(size_t(g.Xn) + 1);
  for (int col = 1; col <= g.Xn; ++col) {
    const int x = (col - 1) * w;
    const SourceOrigin origin = pieceOrigin(h, x, y);
    if (!origin.ok) continue;
    const QImage& source = g.RMap[col][row] == 1 ? reversed : picture;
    if (origin.x < 0 || origin.y < 0 || origin.x + w > source.width() || origin.y + ph > source.height()) {
      clipped.push_back(col);
      continue;
    }
    origins[size_t(col)] = QPoint(origin.x, origin.y);
    stride[size_t(col)] = source.bytesPerLine();
    from[size_t(col)] = source.constBits() + qsizetype(origin.y) * stride[size_t(col)] + qsizetype(origin.x) * 4;
  }
  // The cells' next lines lie a picture row apart, in as many places as there
  // are columns, too many for the hardware to follow: they are fetched a few
  // lines ahead while this line is copied.
  constexpr int kAhead = 4;
  uchar* to = board.bits() + qsizetype(y) * board.bytesPerLine();
  for (int line = 0; line < ph; ++line, to += board.bytesPerLine()) {
    for (int col = 1; col <= g.Xn; ++col) {
      const uchar* src = from[size_t(col)];
      if (!src) continue;
      if (line + kAhead < ph) {
        const uchar* next = src + (line + kAhead) * stride[size_t(col)];
        for (qsizetype at = 0; at < rowBytes; at += 64) platform::prefetch(next + at);
        platform::prefetch(next + rowBytes - 1);
      }
      std::memcpy(to + qsizetype(col - 1) * rowBytes, src + line * stride[size_t(col)], size_t(rowBytes));
    }
  }
  // The screen-resolution drawing follows cell by cell.
  if (platform::fineTwin(&board))
    for (int col = 1; col <= g.Xn; ++col)
      if (from[size_t(col)])
        platform::copyFine(board, (col - 1) * w, y, w, ph, g.RMap[col][row] == 1 ? reversed : picture,
                           origins[size_t(col)].x(), origins[size_t(col)].y());
  for (const int col : clipped) {
    const int x = (col - 1) * w;
    copyPiece(h, h.boardDc(), x, y, x, y, g.RMap[col][row]);
  }
}

}  // namespace

void drawAllCells(GameHost& h) {
  const GameState& g = h.state();
  const MainVars& v = h.vars();
  QImage* board = h.boardDc() ? h.boardDc()->target() : nullptr;
  const QImage* picture = h.boardPicture();
  const QImage* reversed = h.reversedDc() ? h.reversedDc()->target() : nullptr;
  const QRect grid(0, 0, g.Xn * v.PieceWidth, g.Yn * v.PieceHeight);
  // The direct sweep needs distinct images of one format holding the whole
  // grid; anything else is drawn cell by cell with clipping.
  const bool direct = g.MemDC && sharesBoardFormat(board) && sharesBoardFormat(picture) &&
                      sharesBoardFormat(reversed) && board != picture && board != reversed && !grid.isEmpty() &&
                      board->rect().contains(grid);
  if (!direct) {
    for (int row = 1; row <= g.Yn; ++row) {
      for (int col = 1; col <= g.Xn; ++col) {
        const int32_t x = (col - 1) * v.PieceWidth, y = (row - 1) * v.PieceHeight;
        copyPiece(h, h.boardDc(), x, y, x, y, g.RMap[col][row]);
      }
    }
    return;
  }
  for (int row = 1; row <= g.Yn; ++row) drawCellRow(h, *board, *picture, *reversed, row);
  h.boardDc()->notifyDrawn(grid);
}

void drawIntactBoard(GameHost& h) {
  GameState& g = h.state();
  const QSize board = h.boardSize();
  QImage* kept = platform::SelectObject(g.MemDC, h.boardPicture());
  platform::BitBlt(h.boardDc(), 0, 0, board.width(), board.height(), g.MemDC, 0, 0, platform::SRCCOPY);
  platform::SelectObject(g.MemDC, kept);
  h.refreshBoard();
}

void hideFloatingPiece(GameHost& h) {
  const GameState& g = h.state();
  const MainVars& v = h.vars();
  const QPoint at = h.floatingPos();
  const QSize board = h.boardSize();
  if (v.PieceWidth > 0 && v.PieceHeight > 0 && at.x() >= 0 && at.y() >= 0 && at.x() < board.width() &&
      at.y() < board.height()) {
    const int col = cellColumn(v, at.x()), row = cellRow(v, at.y());
    if (col <= g.Xn && row <= g.Yn) {
      copyPiece(h, h.boardDc(), at.x(), at.y(), at.x(), at.y(), g.RMap[col][row]);
      h.refreshBoard();
    }
  }
  moveFloatingOutOfSight(h);
}

void moveFloatingOutOfSight(GameHost& h) { h.moveFloating(-h.vars().PieceWidth, -h.vars().PieceHeight); }

}  // namespace quavinto

// The benchmarks' pictures, board set-ups, old reversing method, memcpy
// yardstick, checks and medians.
#include "bench/BenchSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QImageWriter>
#include <algorithm>
#include <cstring>
#include <ctime>

#include "bench/ProcessProbe.h"
#include "pictures/BoardLayout.h"
#include "pictures/PictureLoading.h"
#include "platform/DeviceContext.h"
#include "pictures/decode/PictureDecoder.h"
#include "platform/Screen.h"
#include "shell/Form1.h"
#include "shell/Messages.h"

namespace benchsupport {
namespace {

uint32_t mix(uint32_t x, uint32_t y) {
  uint32_t v = x * 374761393u + y * 668265263u;
  v = (v ^ (v >> 13)) * 1274126177u;
  return v ^ (v >> 16);
}

}  // namespace

QImage makeDetailedPicture(int width, int height) {
  QImage picture(width, height, platform::kBoardFormat);
  if (picture.isNull()) return picture;
  const int cx = width * 37 / 100, cy = height * 61 / 100;
  for (int y = 0; y < height; ++y) {
    auto* line = reinterpret_cast<QRgb*>(picture.scanLine(y));
    for (int x = 0; x < width; ++x) {
      const uint32_t noise = mix(uint32_t(x), uint32_t(y));
      const int64_t dx = x - cx, dy = y - cy;
      const int across = width > 1 ? int(int64_t(x) * 255 / (width - 1)) : 0;
      const int down = height > 1 ? int(int64_t(y) * 255 / (height - 1)) : 0;
      const int red = (across ^ int(noise & 31)) & 255;
      const int green = (int((dx * dx + dy * dy) >> 9) + down / 2) & 255;
      const int stripe = ((x + 2 * y) / 16) % 2 == 0 ? 0 : 64;
      const int blue = (((x ^ y) & 0x3F) * 3 + stripe + int((noise >> 8) & 7)) & 255;
      line[x] = qRgb(red, green, blue);
    }
  }
  return picture;
}

bool buildBoard(quavinto::Form1& form, const QImage& picture, int xn, int yn, QString* why) {
  quavinto::GameState& g = form.state();
  const int16_t oldXn = g.Xn, oldYn = g.Yn;
  g.Xn = int16_t(xn);
  g.Yn = int16_t(yn);
  g.ResumeFlag = 0;
  const quavinto::BoardOutcome built = quavinto::BuildBoardFrom(form, picture);
  if (built.built()) return true;
  const quavinto::GridMisfit& m = built.misfit;
  if (why) *why = quavinto::boardTooSmallText(m.pictureWidth, m.pictureHeight, m.xn, m.yn);
  g.Xn = oldXn;
  g.Yn = oldYn;
  return false;
}

bool loadLargestBoard(quavinto::Form1& form, const QString& folder, QString* why) {
  const QString path = QDir(folder).filePath(QStringLiteral("photo.jpg"));
  return writeLargestPhoto(path, why) && loadPhotoBoard(form, path, why);
}

bool writeLargestPhoto(const QString& path, QString* why) {
  QImageWriter writer(path, "jpeg");
  writer.setQuality(90);
  if (writer.write(makeDetailedPicture(kPhotoWidth, kPhotoHeight))) return true;
  if (why) *why = QStringLiteral("the photo could not be written: ") + writer.errorString();
  return false;
}

bool loadPhotoBoard(quavinto::Form1& form, const QString& path, QString* why) {
  const auto fail = [why](const QString& text) {
    if (why) *why = text;
    return false;
  };
  platform::setScreenOverride(0, 0, QRect(0, 0, kScreenWidth, kScreenHeight));
  quavinto::GameState& g = form.state();
  g.Xn = kGrid;
  g.Yn = kGrid;
  g.HyoujiFlag = 0;
  // The size the program's own fitting gives this photo on this screen.
  const QSize expected = QSize(kPhotoWidth, kPhotoHeight).scaled(quavinto::largestBoard(form), Qt::KeepAspectRatio);
  if (!quavinto::loadChosenPicture(form, path).built())
    return fail(QStringLiteral("the picture command refused the photo"));
  const QSize picture = form.Picture1->picture().size();
  if (picture != expected)
    return fail(QStringLiteral("the board picture is %1 x %2, not the fitted %3 x %4")
                    .arg(picture.width())
                    .arg(picture.height())
                    .arg(expected.width())
                    .arg(expected.height()));
  if (form.vars().PieceWidth != expected.width() / kGrid || form.vars().PieceHeight != expected.height() / kGrid)
    return fail(QStringLiteral("the pieces are not cut from the whole fitted picture"));
  return true;
}

bool showAndWait(quavinto::Form1& form) {
  form.show();
  const bool exposed = benchprobe::waitUntilExposed(form);
  settleEvents();
  return exposed;
}

void settleEvents(int ms) {
  QElapsedTimer timer;
  timer.start();
  do {
    QCoreApplication::sendPostedEvents();
    // Outside a running event loop, objects deleted later (a drag's outline)
    // would pile up over the board and slow every later repaint.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents(QEventLoop::AllEvents, 2);
  } while (timer.elapsed() < ms);
}

void reverseByPixels(quavinto::GameHost& h) {
  quavinto::GameState& g = h.state();
  const quavinto::MainVars& v = h.vars();
  const int n = g.Xn * g.Yn;
  const platform::Hdc reversed = h.reversedDc();
  for (int k = 1; k <= n; ++k) {
    const int32_t x0 = (quavinto::homeColumn(g.Xn, k) - 1) * v.PieceWidth;
    const int32_t y0 = (quavinto::homeRow(g.Xn, k) - 1) * v.PieceHeight;
    QImage* kept = platform::SelectObject(g.MemDC, h.boardPicture());
    for (int y = 0; y < v.PieceHeight; ++y)
      for (int x = 0; x < v.PieceWidth; ++x)
        platform::BitBlt(reversed, x0 + x, y0 + y, 1, 1, g.MemDC, x0 + v.PieceWidth - 1 - x, y0 + v.PieceHeight - 1 - y,
                         platform::SRCCOPY);
    platform::SelectObject(g.MemDC, kept);
    h.processEvents();
  }
  h.refreshReversed();
}

QString reversedImageProblem(const QImage& reversed, const QImage& picture, int xn, int yn, int pieceWidth,
                             int pieceHeight) {
  if (reversed.width() < xn * pieceWidth || reversed.height() < yn * pieceHeight)
    return QStringLiteral("the reversed image is %1 x %2, smaller than the board")
        .arg(reversed.width())
        .arg(reversed.height());
  const QImage want = picture.convertToFormat(platform::kBoardFormat);
  const QImage got = reversed.convertToFormat(platform::kBoardFormat);
  for (int row = 0; row < yn; ++row) {
    for (int col = 0; col < xn; ++col) {
      const QRect r(col * pieceWidth, row * pieceHeight, pieceWidth, pieceHeight);
      if (got.copy(r) != want.copy(r).mirrored(true, true))
        return QStringLiteral("piece (%1, %2) is not its picture rectangle turned round").arg(col + 1).arg(row + 1);
    }
  }
  return QString();
}

QString boardProblem(const QImage& board, const QImage& picture, const quavinto::GameState& g,
                     const quavinto::MainVars& v, qreal ratio) {
  const QImage shown = board.convertToFormat(platform::kBoardFormat);
  const QImage source = picture.convertToFormat(platform::kBoardFormat);
  if (shown.isNull() || source.isNull()) return QStringLiteral("the board has no drawing at this resolution");
  const int n = g.Xn * g.Yn;
  for (int row = 1; row <= g.Yn; ++row) {
    for (int col = 1; col <= g.Xn; ++col) {
      const int k = g.Map[col][row];
      if (k < 1 || k > n) return QStringLiteral("cell (%1, %2) holds no piece").arg(col).arg(row);
      const QRect home =
          platform::toDevice(QRect((quavinto::homeColumn(g.Xn, k) - 1) * v.PieceWidth,
                                   (quavinto::homeRow(g.Xn, k) - 1) * v.PieceHeight, v.PieceWidth, v.PieceHeight),
                             ratio);
      QImage want = source.copy(home);
      if (g.RMap[col][row] == 1) want = want.mirrored(true, true);
      const QRect cell = platform::toDevice(
          QRect((col - 1) * v.PieceWidth, (row - 1) * v.PieceHeight, v.PieceWidth, v.PieceHeight), ratio);
      if (shown.copy(cell) != want)
        return QStringLiteral("cell (%1, %2) does not show piece %3").arg(col).arg(row).arg(k);
    }
  }
  return QString();
}

int64_t processCpuNs() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return int64_t(t.tv_sec) * 1000000000 + t.tv_nsec;
}

MemcpyReference::MemcpyReference(const QImage& source) : source_(source), copy_(size_t(source.sizeInBytes()), 1) {}

int64_t MemcpyReference::copyOnce() {
  const int64_t start = processCpuNs();
  std::memcpy(copy_.data(), source_.constBits(), copy_.size());
  // Nothing may move the copy out of the timed span or drop it as unused.
  asm volatile("" : : "r"(copy_.data()) : "memory");
  return processCpuNs() - start;
}

bool MemcpyReference::copyIsExact() const {
  return !copy_.empty() && std::memcmp(copy_.data(), source_.constBits(), copy_.size()) == 0;
}

void PairedRatios::add(int64_t workNs, int64_t referenceNs) {
  if (referenceNs > 0) ratios_.push_back(double(workNs) / double(referenceNs));
}

double PairedRatios::median() const { return benchsupport::median(ratios_); }

double median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const size_t mid = values.size() / 2;
  return values.size() % 2 == 1 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

}  // namespace benchsupport

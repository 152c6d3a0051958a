// Shared pieces of the benchmarks: the detailed test picture, a shown main
// window holding a board cut from it, the largest board the picture command
// builds from a big photo, the one-pixel-at-a-time reversed image the board
// once used, the memcpy yardstick timed between the measured runs, checks
// that a measured step really did its work, and medians.
#pragma once

#include <QImage>
#include <QString>
#include <cstdint>
#include <vector>

#include "core/GameHost.h"

namespace quavinto {
class Form1;
}

namespace benchsupport {

// The benchmark's picture size and grid.
constexpr int kPictureWidth = 2048;
constexpr int kPictureHeight = 1536;
constexpr int kGrid = 30;

// The largest board: a photo as a phone takes it (4:3, 12 megapixels), loaded
// by the picture command for a full-HD screen with the view hidden.
constexpr int kPhotoWidth = 4032;
constexpr int kPhotoHeight = 3024;
constexpr int kScreenWidth = 1920;
constexpr int kScreenHeight = 1080;

// A deterministic picture full of detail (gradients, rings, stripes and
// noise), in the board's pixel format; no two pieces of any grid look alike
// and no piece looks the same turned round.
QImage makeDetailedPicture(int width, int height);

// Cuts `picture` into xn x yn pieces on the window's board, as a loaded picture
// is, but at its full size (no scaling to the screen). False with `why` set
// when the board refuses it.
bool buildBoard(quavinto::Form1& form, const QImage& picture, int xn, int yn, QString* why);

// Writes the big photo as a JPEG into `folder` and loads it into `form` as the
// picture command does, on a kGrid x kGrid grid with the view hidden, so the
// board is the largest the program builds on a kScreenWidth x kScreenHeight
// screen. False with `why` set when the board was not built at the size the
// program's own fitting gives.
bool loadLargestBoard(quavinto::Form1& form, const QString& folder, QString* why);

// The two halves of loadLargestBoard: the big photo written as a JPEG to
// `path`, and a photo already written loaded as the picture command does.
bool writeLargestPhoto(const QString& path, QString* why);
bool loadPhotoBoard(quavinto::Form1& form, const QString& path, QString* why);

// Shows the window and waits until it is exposed and painted.
bool showAndWait(quavinto::Form1& form);

// Delivers every pending event, including queued repaints and deletions, for
// `ms` milliseconds.
void settleEvents(int ms = 30);

// The reversed image built as the old design did: for each pixel of each
// piece a 1 x 1 copy from the picture into the reversed image, yielding to
// the window after each piece.
void reverseByPixels(quavinto::GameHost& h);

// Empty when every piece of `reversed` is the picture's piece at the same
// place rotated by 180 degrees; otherwise the first piece that is not.
QString reversedImageProblem(const QImage& reversed, const QImage& picture, int xn, int yn, int pieceWidth,
                             int pieceHeight);

// Empty when every board cell of `board` shows the piece Map names there,
// turned round exactly where RMap is 1; otherwise the first cell that does not.
// With `ratio` above 1, `board` and `picture` are the areas' fine twins at that
// many device pixels per logical pixel, and the cells are compared there.
QString boardProblem(const QImage& board, const QImage& picture, const quavinto::GameState& g,
                     const quavinto::MainVars& v, qreal ratio = 1);

// CPU time used so far by the whole process (every thread), in nanoseconds.
int64_t processCpuNs();

// The yardstick of the in-process figures: a memcpy of a picture's bytes,
// timed once between two runs of the measured work, so that it meets the
// caches as that work leaves them, as the work itself does.
class MemcpyReference {
 public:
  explicit MemcpyReference(const QImage& source);
  // Copies the picture's bytes once; returns the CPU time taken, in nanoseconds.
  int64_t copyOnce();
  // Whether the last copy holds the picture's bytes exactly.
  bool copyIsExact() const;

 private:
  QImage source_;
  std::vector<uchar> copy_;
};

// A figure made of pairs taken back to back: each pair's work time divided by
// its reference time; the figure is the median. Pairs whose reference took no
// measurable time are left out.
class PairedRatios {
 public:
  void add(int64_t workNs, int64_t referenceNs);
  double median() const;
  size_t size() const { return ratios_.size(); }

 private:
  std::vector<double> ratios_;
};

// Median of the values (mean of the middle two for an even count); 0 when empty.
double median(std::vector<double> values);

}  // namespace benchsupport

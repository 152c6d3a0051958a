// Device contexts and bit-block copies over images.
//
// A device context names the image that drawing goes into. A picture area owns
// one permanently bound to its retained drawing; a memory context starts empty
// and draws from whatever picture is selected into it for the length of one
// copy. Copies are exact: pixels are moved, never scaled, blended or smoothed,
// and every copy is clipped to both the source and the destination so that no
// rectangle can reach outside either image. Memory contexts are counted so that
// a leaked context shows up in the tests.
#pragma once

#include <QImage>
#include <QRect>

#include <cstdint>
#include <functional>

namespace platform {

class DeviceContext;
using Hdc = DeviceContext*;

// The plain source-copy raster operation; the only one the game uses.
constexpr uint32_t SRCCOPY = 0x00CC0020;

class DeviceContext {
public:
  explicit DeviceContext(QImage* target = nullptr, bool memory = false);
  ~DeviceContext();
  DeviceContext(const DeviceContext&) = delete;
  DeviceContext& operator=(const DeviceContext&) = delete;

  QImage* target() const { return target_; }
  void setTarget(QImage* image) { target_ = image; }
  bool isMemory() const { return memory_; }

  // Called with the rectangle each copy wrote, so that the owner can refresh
  // only what changed.
  void setDrawnCallback(std::function<void(const QRect&)> callback) { drawn_ = std::move(callback); }
  void notifyDrawn(const QRect& rect) const;

private:
  QImage* target_;
  bool memory_;
  std::function<void(const QRect&)> drawn_;
};

// A new memory context; the reference context only documents compatibility,
// since every image of the board shares one pixel format.
Hdc CreateCompatibleDC(Hdc reference);
// Puts `bitmap` into the context and returns the image it replaces.
QImage* SelectObject(Hdc dc, QImage* bitmap);
// Releases a memory context; returns false for a null or non-memory context.
bool DeleteDC(Hdc dc);
// Copies w x h pixels from (sx, sy) of src to (x, y) of dst, clipped to both
// images. Returns false when nothing could be copied (no image, bad raster
// operation, empty rectangle after clipping).
bool BitBlt(Hdc dst, int x, int y, int w, int h, Hdc src, int sx, int sy, uint32_t rop);
// The same exact copy between two images; returns the rectangle written.
QRect copyPixels(QImage& dst, int x, int y, int w, int h, const QImage& src, int sx, int sy);
// Number of memory contexts created and not yet deleted.
int liveMemoryContexts();

// Screen-resolution twins. Everything the game measures is in logical pixels,
// but on a scaled screen the player sees device pixels: an image of the board
// may have a twin holding the same drawing at the screen's resolution (its
// device pixel ratio says how many device pixels a logical one is). Every copy
// between two images with twins of one ratio is done again between the twins,
// its rectangles mapped to device pixels, so the twin always shows what the
// logical image shows, only finer.
void setFineTwin(const QImage* logical, QImage* fine);
void clearFineTwin(const QImage* logical);
// The twin of `logical` when it has one holding pixels, else null.
QImage* fineTwin(const QImage* logical);
// The device pixel where a logical edge falls at `ratio`: edges are mapped,
// not sizes, so neighbouring cells share their device edge.
int toDevice(int logical, qreal ratio);
QRect toDevice(const QRect& logical, qreal ratio);
// Repeats on the twins a logical copy of w x h pixels from (sx, sy) of `src`
// to (x, y) of `dst`, clipped as copyPixels clips. Where the two device
// rectangles differ in size (a fractional ratio) the source is drawn smoothly
// into the destination's rectangle. Returns the device rectangle written.
QRect copyFine(const QImage& dst, int x, int y, int w, int h, const QImage& src, int sx, int sy);

// Asks the processor to fetch memory about to be read (or written) while the
// current row is copied; a no-op on compilers without the hint.
inline void prefetch(const void* address, bool forWriting = false) {
#if defined(__GNUC__) || defined(__clang__)
  if (forWriting) __builtin_prefetch(address, 1);
  else __builtin_prefetch(address, 0);
#else
  (void)address;
  (void)forWriting;
#endif
}

// The pixel format every board image uses, so copies are plain row moves.
constexpr QImage::Format kBoardFormat = QImage::Format_RGB32;

}  // namespace platform

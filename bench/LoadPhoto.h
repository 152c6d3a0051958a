// The photo of the picture-load figures: 13200 x 8250 pixels, 108 megapixels,
// as a current phone takes them, written as a JPEG of a phone's usual size
// (about 22 MB: sky, hills and a field with fine texture everywhere), and the
// same scene at other sizes and in the other formats the figures load.
#pragma once

#include <QString>

namespace benchload {

constexpr int kPhotoWidth = 13200;
constexpr int kPhotoHeight = 8250;
// The screen the player has: the board is fitted to it.
constexpr int kScreenWidth = 1920;
constexpr int kScreenHeight = 1080;

// The PNG photo of the PNG figure: 12000 x 9000, 108 megapixels.
constexpr int kPngWidth = 12000;
constexpr int kPngHeight = 9000;

// The lossless WebP of the lossless figure: 6000 x 4000, 24 megapixels.
constexpr int kLosslessWidth = 6000;
constexpr int kLosslessHeight = 4000;

// Writes the photo to `path`; false when it cannot be written.
bool writePhoto(const QString& path);
// Writes the same scene at the PNG photo's size as a PNG.
bool writePngPhoto(const QString& path);
// Writes the same scene at the lossless figure's size as a lossless WebP
// (libwebp's quickest effort: the file's size does not matter here).
bool writeLosslessWebp(const QString& path);
// Writes the same scene as a 24-megapixel JPEG (6000 x 4000), the thumbnail figure's photo.
bool writeCameraPhoto(const QString& path);

// The value in kB of a "Name:   123 kB" line of /proc/self/status, or -1.
qint64 statusKb(const char* name);
// Sets the peak resident memory back to the present; false when the system refuses.
bool resetPeakResident();

}  // namespace benchload

// The load figures' photo, and the process's resident memory.
#include "bench/LoadPhoto.h"

#include <webp/encode.h>

#include <QFile>
#include <QImage>
#include <QImageWriter>
#include <QSaveFile>

namespace benchload {

namespace {

QImage scene(int width, int height) {
  QImage image(width, height, QImage::Format_RGB888);
  if (image.isNull()) return image;
  const int horizon = height / 2;
  for (int y = 0; y < height; ++y) {
    uchar* p = image.scanLine(y);
    for (int x = 0; x < width; ++x, p += 3) {
      const int grain = ((x * 7) ^ (y * 13)) & 15;
      const int hill = (x % 3000 - 1500) * (x % 3000 - 1500) / 6000;
      const bool sky = y < horizon + hill - 300;
      p[0] = uchar(sky ? 90 + y * 100 / horizon + grain : 40 + (x / 50) % 60 + grain);
      p[1] = uchar(sky ? 140 + y * 80 / horizon + grain : 110 + (y / 40) % 80 + grain);
      p[2] = uchar(sky ? 230 - grain : 30 + grain * 2);
    }
  }
  return image;
}

bool write(const QImage& image, const QString& path, const char* format, int quality) {
  if (image.isNull()) return false;
  QImageWriter writer(path, format);
  writer.setQuality(quality);
  return writer.write(image);
}

}  // namespace

bool writePhoto(const QString& path) { return write(scene(kPhotoWidth, kPhotoHeight), path, "jpeg", 90); }

bool writePngPhoto(const QString& path) { return write(scene(kPngWidth, kPngHeight), path, "png", 90); }

bool writeLosslessWebp(const QString& path) {
  const QImage image = scene(kLosslessWidth, kLosslessHeight);
  WebPConfig config;
  WebPPicture picture;
  if (image.isNull() || !WebPConfigInit(&config) || !WebPPictureInit(&picture)) return false;
  config.lossless = 1;
  config.method = 0;
  config.quality = 0;
  picture.use_argb = 1;
  picture.width = image.width();
  picture.height = image.height();
  WebPMemoryWriter memory;
  WebPMemoryWriterInit(&memory);
  picture.writer = WebPMemoryWrite;
  picture.custom_ptr = &memory;
  const bool encoded =
      WebPPictureImportRGB(&picture, image.constBits(), int(image.bytesPerLine())) && WebPEncode(&config, &picture);
  WebPPictureFree(&picture);
  QSaveFile file(path);
  const bool written =
      encoded && file.open(QIODevice::WriteOnly) &&
      file.write(reinterpret_cast<const char*>(memory.mem), qint64(memory.size)) == qint64(memory.size) &&
      file.commit();
  WebPMemoryWriterClear(&memory);
  return written;
}

bool writeCameraPhoto(const QString& path) { return write(scene(6000, 4000), path, "jpeg", 90); }

qint64 statusKb(const char* name) {
  QFile status(QStringLiteral("/proc/self/status"));
  if (!status.open(QIODevice::ReadOnly)) return -1;
  const QByteArray key = QByteArray(name) + ':';
  for (const QByteArray& line : status.readAll().split('\n')) {
    if (!line.startsWith(key)) continue;
    bool ok = false;
    const qint64 kb = line.mid(key.size()).trimmed().split(' ').value(0).toLongLong(&ok);
    return ok ? kb : -1;
  }
  return -1;
}

bool resetPeakResident() {
  QFile clear(QStringLiteral("/proc/self/clear_refs"));
  return clear.open(QIODevice::WriteOnly) && clear.write("5") == 1 && clear.flush();
}

}  // namespace benchload

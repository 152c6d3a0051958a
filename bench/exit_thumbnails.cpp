// Exit probe of the thumbnail pools: the pictures given as arguments are
// asked for as the recent pictures menu and the picture dialog's preview ask
// (the last one by the preview), and once the first thumbnail is made, with
// the others queued or being decoded, the program ends as QUAVINTO ends, by
// leaving main. Prints the jobs still to do and the moment it began to end
// on the system's monotonic clock; the driver times the rest, up to the
// process being gone.
#include <QApplication>
#include <QEventLoop>
#include <QTimer>
#include <cstdio>

#include "bench/ProcessProbe.h"
#include "pictures/Thumbnails.h"
#include "pictures/decode/PictureDecoder.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  decode::setPictureAllocationLimit();
  if (argc < 3) return 2;
  quavinto::ThumbnailLoader menu(quavinto::kNormalThumbnail);
  quavinto::ThumbnailLoader preview(quavinto::kLargeThumbnail, quavinto::ThumbnailLoader::Lane::Preview);
  for (int i = 1; i < argc - 1; ++i) menu.request(QString::fromLocal8Bit(argv[i]));
  preview.request(QString::fromLocal8Bit(argv[argc - 1]));
  const int asked = quavinto::thumbnailJobsRunning();
  QEventLoop loop;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
    if (quavinto::thumbnailJobsRunning() < asked) loop.quit();
  });
  poll.start(1);
  QTimer::singleShot(60000, &loop, &QEventLoop::quit);
  loop.exec();
  std::printf("asked=%d\nleft=%d\nexit_start_ns=%lld\n", asked, quavinto::thumbnailJobsRunning(),
              static_cast<long long>(benchprobe::monotonicNs()));
  std::fflush(stdout);
  return 0;
}

// The picture-load figures, each a ratio measured in the same run on one
// 13200 x 8250 photo (108 megapixels), offscreen, for a 1920 x 1080 screen:
//
//   load_108mp_vs_full_decode: the CPU time of the program loading the photo
//     up to the board picture it will use, against a plain full-size
//     QImageReader decode of the same file (memory limit lifted); medians of
//     interleaved runs. Target: at most 0.4.
//   load_peak_memory_vs_board: the peak resident memory while the program
//     loads the photo from its picture command, above the idle program,
//     against the bytes of the board picture it produces; measured in a
//     separate process (peak_load), median of three. Target: at most 12.
//   load_12000x9000_png_peak_memory_vs_board: the same for a 12000 x 9000
//     PNG (108 megapixels), read row by row. Target: at most 12.
//   load_lossless_webp_6000_peak_memory_vs_board: the same for a 6000 x 4000
//     lossless WebP, which libwebp would hold whole (96 MB) while scaling it:
//     the program refuses it with its size and the limit before a pixel is
//     decoded, against the board picture it would have been fitted to.
//     Target: at most 12.
//   thumbnail_24mp_vs_full_decode: the CPU time of making and storing the
//     256-pixel thumbnail of a 24-megapixel JPEG, against a plain full-size
//     decode of it; medians of interleaved runs. Target: at most 0.35.
//   recent_menu_longest_gap_ms: the longest gap between two turns of the
//     window's event loop (a 2 ms timer's late firings), from opening the
//     recent pictures menu of ten uncached 24-megapixel photos until each
//     entry shows its thumbnail. Target: at most 50.
//   recent_menu_gap_uncached_vs_cached: that gap against the same with the
//     thumbnails cached. Reported.
//   exit_with_10_thumbnail_jobs_ms: the time a program takes to end, from
//     leaving main to the process being gone, with ten thumbnail jobs of
//     those photos queued or decoding on the menu's and the preview's pools
//     (exit_thumbnails, started afresh with an empty cache each time, median
//     of five). Target: at most 200.
//
// Prints one line per figure, "name: value", and the details on standard
// error; exits 1 when a figure misses its target or a step did not do its work.
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <iostream>
#include <vector>

#include "bench/LoadPhoto.h"
#include "bench/ProcessProbe.h"
#include "pictures/BoardLayout.h"
#include "pictures/RecentPictures.h"
#include "pictures/Thumbnails.h"
#include "pictures/decode/PictureDecoder.h"
#include "platform/Screen.h"
#include "platform/SettingsStore.h"
#include "shell/Form1.h"
#include "shell/RecentPicturesMenu.h"

namespace {

constexpr int kTimeRuns = 5;
constexpr int kPeakRuns = 3;

double cpuMs() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

double median(std::vector<double> v) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  const size_t n = v.size();
  return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

int64_t reported(const QByteArray& output, const char* key) {
  for (const QByteArray& line : output.split('\n'))
    if (line.startsWith(QByteArray(key) + '=')) return line.mid(int(qstrlen(key)) + 1).toLongLong();
  return -1;
}

// The longest gap in ms between two turns of the event loop, from opening the
// recent pictures menu until every entry of `paths` shows its thumbnail;
// *complete says whether they all did (within 60 s).
double longestGapWhileMenuOpens(quavinto::Form1& form, const QStringList& paths, bool* complete) {
  quavinto::RecentPicturesMenu* menu = form.RecentPictures;
  QElapsedTimer clock;
  clock.start();
  qint64 last = 0, longest = 0, placeholder = 0;
  const auto allShown = [&] {
    for (const QString& path : paths) {
      QAction* entry = menu->entryOf(path);
      if (!entry || entry->icon().cacheKey() == placeholder) return false;
    }
    return true;
  };
  QEventLoop loop;
  QTimer turn;
  turn.setTimerType(Qt::PreciseTimer);
  turn.setInterval(2);
  QObject::connect(&turn, &QTimer::timeout, &loop, [&] {
    const qint64 now = clock.nsecsElapsed();
    longest = std::max(longest, now - last);
    last = now;
    if (allShown() || clock.elapsed() > 60000) loop.quit();
  });
  last = clock.nsecsElapsed();
  menu->popup(QPoint(200, 200));
  QAction* first = menu->entryOf(paths.value(0));
  placeholder = first ? first->icon().cacheKey() : 0;
  turn.start();
  loop.exec();
  *complete = allShown();
  menu->hide();
  return double(longest) / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QTemporaryDir work;
  // The player's own settings are neither read nor written, here or in the probe.
  setenv("XDG_CONFIG_HOME", work.path().toLocal8Bit().constData(), 1);
  setenv("XDG_CACHE_HOME", work.path().toLocal8Bit().constData(), 1);
  setenv("XDG_STATE_HOME", work.path().toLocal8Bit().constData(), 1);
  QApplication app(argc, argv);
  decode::setPictureAllocationLimit();
  platform::setSettingsRoot(work.path());
  platform::setScreenOverride(0, 0, QRect(0, 0, benchload::kScreenWidth, benchload::kScreenHeight));
  std::vector<std::string> failures;

  // The pictures of the figures, made in code; their sizes go to the details.
  const auto written = [&](const char* name, bool (*write)(const QString&), int width, int height) {
    const QString path = work.filePath(QString::fromLatin1(name));
    if (!write(path)) return QString();
    std::cerr << name << ": " << width << " x " << height << ", " << QFileInfo(path).size() / 1024 << " kB\n";
    return path;
  };
  const QString photo =
      written("phone-photo.jpg", benchload::writePhoto, benchload::kPhotoWidth, benchload::kPhotoHeight);
  const QString png = written("wide-photo.png", benchload::writePngPhoto, benchload::kPngWidth, benchload::kPngHeight);
  const QString lossless =
      written("lossless.webp", benchload::writeLosslessWebp, benchload::kLosslessWidth, benchload::kLosslessHeight);
  if (photo.isEmpty() || png.isEmpty() || lossless.isEmpty()) {
    std::cerr << "the pictures could not be written\n";
    return 1;
  }

  quavinto::Form1 form;
  const QSize board = quavinto::largestBoard(form);
  const QSize fitted = QSize(benchload::kPhotoWidth, benchload::kPhotoHeight).scaled(board, Qt::KeepAspectRatio);
  std::vector<double> programMs, fullMs;
  for (int run = 0; run < kTimeRuns; ++run) {
    QImage picture;
    QString why;
    double start = cpuMs();
    const bool loaded = quavinto::loadBoardPicture(form, photo, &picture, &why);
    programMs.push_back(cpuMs() - start);
    if (!loaded || picture.size() != fitted) {
      failures.push_back("the program did not load the photo at " + std::to_string(fitted.width()) + " x " +
                         std::to_string(fitted.height()) + ": " + why.toStdString());
      break;
    }
    picture = QImage();
    const int limit = QImageReader::allocationLimit();
    QImageReader::setAllocationLimit(0);
    start = cpuMs();
    QImage full;
    {
      QImageReader reader(photo);
      full = reader.read();
    }
    fullMs.push_back(cpuMs() - start);
    QImageReader::setAllocationLimit(limit);
    if (full.size() != QSize(benchload::kPhotoWidth, benchload::kPhotoHeight)) {
      failures.push_back("the full-size decode failed");
      break;
    }
  }
  const double timeRatio = median(fullMs) > 0 ? median(programMs) / median(fullMs) : 0;
  std::cerr << "load to the board picture (" << fitted.width() << " x " << fitted.height()
            << "), median CPU ms: " << median(programMs) << "; full-size decode: " << median(fullMs) << "\n";

  const QString probe =
      QFileInfo(QCoreApplication::applicationFilePath()).absolutePath() + QStringLiteral("/peak_load");
  // The peak over the idle program against the board picture's bytes, median of kPeakRuns.
  const auto peakRatio = [&](const QString& picture) {
    std::vector<double> ratios;
    for (int run = 0; run < kPeakRuns; ++run) {
      QProcess process;
      process.start(probe, {picture});
      if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        failures.push_back("peak_load did not load " + QFileInfo(picture).fileName().toStdString() + " (exit " +
                           std::to_string(process.exitCode()) + ")");
        continue;
      }
      const QByteArray out = process.readAllStandardOutput();
      const int64_t idle = reported(out, "idle_kb"), peak = reported(out, "peak_kb"),
                    bytes = reported(out, "board_bytes");
      if (idle <= 0 || peak < idle || bytes <= 0) {
        failures.push_back("peak_load reported nothing usable: " + out.toStdString());
        continue;
      }
      ratios.push_back(double(peak - idle) * 1024.0 / double(bytes));
      std::cerr << QFileInfo(picture).fileName().toStdString() << ": peak while loading: " << peak << " kB, idle "
                << idle << " kB, board picture " << bytes / 1024 << " kB\n";
      for (const QByteArray& line : out.split('\n'))
        if (line.startsWith("refused=")) std::cerr << "  refused: " << line.mid(8).toStdString() << "\n";
    }
    return median(ratios);
  };
  const double jpegPeakRatio = peakRatio(photo);
  const double pngPeakRatio = peakRatio(png);
  const double losslessPeakRatio = peakRatio(lossless);

  const QString camera = work.filePath(QStringLiteral("camera-photo.jpg"));
  std::vector<double> thumbMs, cameraFullMs;
  if (!benchload::writeCameraPhoto(camera)) failures.push_back("the 24-megapixel photo could not be written");
  for (int run = 0; run < kTimeRuns && failures.empty(); ++run) {
    double start = cpuMs();
    const quavinto::Thumbnail made = quavinto::makeThumbnail(camera, quavinto::kLargeThumbnail);
    thumbMs.push_back(cpuMs() - start);
    if (made.image.size() != QSize(6000, 4000).scaled(256, 256, Qt::KeepAspectRatio) ||
        !QFile::exists(quavinto::thumbnailPath(camera, 256))) {
      failures.push_back("the thumbnail was not made");
      break;
    }
    start = cpuMs();
    const QImage full = QImageReader(camera).read();
    cameraFullMs.push_back(cpuMs() - start);
    if (full.size() != QSize(6000, 4000)) {
      failures.push_back("the 24-megapixel decode failed");
      break;
    }
  }
  const double thumbRatio = median(cameraFullMs) > 0 ? median(thumbMs) / median(cameraFullMs) : 0;
  std::cerr << "thumbnail of a 24-megapixel JPEG, median CPU ms: " << median(thumbMs)
            << "; full-size decode: " << median(cameraFullMs) << "\n";

  // Ten copies of the photo, so each thumbnail has to be made.
  QStringList recent;
  for (int i = 0; i < quavinto::kMaxRecentPictures && failures.empty(); ++i) {
    recent.prepend(work.filePath(QStringLiteral("recent-%1.jpg").arg(i)));
    if (!QFile::copy(camera, recent.first())) failures.push_back("the recent photos could not be copied");
    quavinto::rememberRecentPicture(recent.first());
  }
  // Medians of three openings each way; the thumbnails are removed before
  // each opening that has to make them.
  std::vector<double> uncachedGaps, cachedGaps;
  for (int run = 0; run < kPeakRuns && failures.empty(); ++run) {
    QDir(quavinto::thumbnailRoot() + QStringLiteral("/normal")).removeRecursively();
    bool complete = false;
    uncachedGaps.push_back(longestGapWhileMenuOpens(form, recent, &complete));
    if (!complete || !QFile::exists(quavinto::thumbnailPath(recent.last(), quavinto::kNormalThumbnail)))
      failures.push_back("the menu's thumbnails were not made");
    cachedGaps.push_back(longestGapWhileMenuOpens(form, recent, &complete));
    if (!complete) failures.push_back("the menu's cached thumbnails were not shown");
  }
  const double uncachedGap = median(uncachedGaps), cachedGap = median(cachedGaps);
  std::cerr << "recent pictures menu, longest gap between event-loop turns: " << uncachedGap
            << " ms with thumbnails to make, " << cachedGap << " ms with them cached\n";

  // Each run in a cache of its own, so that every thumbnail has to be made.
  const QString exitProbe =
      QFileInfo(QCoreApplication::applicationFilePath()).absolutePath() + QStringLiteral("/exit_thumbnails");
  std::vector<double> exitMs;
  for (int run = 0; run < kTimeRuns && failures.empty(); ++run) {
    QTemporaryDir cache;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CACHE_HOME"), cache.path());
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(exitProbe, recent);
    const bool ended = process.waitForFinished(120000);
    const int64_t gone = benchprobe::monotonicNs();
    const QByteArray out = process.readAllStandardOutput();
    const int64_t asked = reported(out, "asked"), left = reported(out, "left"), start = reported(out, "exit_start_ns");
    // Its thumbnails, in its cache rather than this program's. At least half
    // the jobs must be left: on a busy machine the probe's window thread may
    // notice the first thumbnail only after a few more were made.
    int made = 0;
    for (const QString& path : std::as_const(recent))
      made += QFile::exists(quavinto::thumbnailPath(path, quavinto::kNormalThumbnail)
                                .replace(0, quavinto::thumbnailRoot().size(), cache.path() + "/thumbnails"));
    if (!ended || process.exitCode() != 0 || asked != recent.size() || left < asked / 2 || start <= 0 ||
        made == recent.size()) {
      failures.push_back("exit_thumbnails did not end with its jobs running: " + out.toStdString());
      break;
    }
    exitMs.push_back(double(gone - start) / 1e6);
    std::cerr << "exit with " << left << " of " << asked << " thumbnail jobs left: " << exitMs.back() << " ms, " << made
              << " menu thumbnails stored\n";
  }
  const double exitTime = median(exitMs);

  struct Figure {
    const char* name;
    double value;
    double limit;
  };
  const Figure figures[] = {{"load_108mp_vs_full_decode", timeRatio, 0.4},
                            {"load_peak_memory_vs_board", jpegPeakRatio, 12},
                            {"load_12000x9000_png_peak_memory_vs_board", pngPeakRatio, 12},
                            {"load_lossless_webp_6000_peak_memory_vs_board", losslessPeakRatio, 12},
                            {"thumbnail_24mp_vs_full_decode", thumbRatio, 0.35},
                            {"recent_menu_longest_gap_ms", uncachedGap, 50},
                            {"recent_menu_gap_uncached_vs_cached", cachedGap > 0 ? uncachedGap / cachedGap : 0, 0},
                            {"exit_with_10_thumbnail_jobs_ms", exitTime, 200}};
  bool allMet = failures.empty();
  for (const Figure& f : figures) {
    std::printf("%s: %.2f\n", f.name, f.value);
    // A limit of 0: reported, with no target.
    if (!(f.value > 0 && (f.limit == 0 || f.value <= f.limit))) {
      std::cerr << f.name << " misses its target (at most " << f.limit << ")\n";
      allMet = false;
    }
  }
  for (const std::string& failure : failures) std::cerr << "failed: " << failure << "\n";
  std::fflush(stdout);
  return allMet ? 0 : 1;
}

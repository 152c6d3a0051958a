// What a measured program reports about itself: the moment its window was
// first shown, and its peak resident memory. Header-only, so that the bare Qt
// program needs nothing from QUAVINTO's library.
#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QWidget>
#include <QWindow>

#include <sys/resource.h>

#include <chrono>
#include <cstdint>

namespace benchprobe {

// Nanoseconds on the system-wide monotonic clock, comparable between processes.
inline int64_t monotonicNs() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

// The VmHWM value (kB) of a /proc/<pid>/status text, or -1 when it has none.
inline qint64 parsePeakKb(const QByteArray& statusText) {
  for (const QByteArray& line : statusText.split('\n')) {
    if (!line.startsWith("VmHWM:")) continue;
    bool ok = false;
    const qint64 kb = line.mid(6).trimmed().split(' ').value(0).toLongLong(&ok);
    return ok ? kb : -1;
  }
  return -1;
}

// Peak resident memory of this process in kB.
inline qint64 peakResidentKb() {
  QFile status(QStringLiteral("/proc/self/status"));
  if (status.open(QIODevice::ReadOnly)) {
    const qint64 kb = parsePeakKb(status.readAll());
    if (kb >= 0) return kb;
  }
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

// Processes events until the top-level window of `w` is exposed (its first
// paint is delivered with the expose). False after `timeoutMs` without it.
inline bool waitUntilExposed(QWidget& w, int timeoutMs = 10000) {
  QElapsedTimer timer;
  timer.start();
  while (!(w.windowHandle() && w.windowHandle()->isExposed())) {
    if (timer.elapsed() > timeoutMs) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  }
  QCoreApplication::processEvents();
  return true;
}

}  // namespace benchprobe

// Memory probe of a picture load: the shown main window, idle, then the
// picture dialog answered with the photo given as the argument, as a player
// loads it from the menu. Prints the resident memory when idle, the peak
// while loading, and the bytes of the board picture the load produced. A
// picture the program refuses gives its message, and the bytes of the board
// picture it would have been fitted to.
#include <QApplication>
#include <QElapsedTimer>
#include <QImageReader>
#include <cstdio>

#include "bench/LoadPhoto.h"
#include "pictures/BoardLayout.h"
#include "pictures/decode/PictureDecoder.h"
#include "platform/FileDialog.h"
#include "platform/MsgBox.h"
#include "platform/Screen.h"
#include "platform/UiSetup.h"
#include "shell/Form1.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  if (argc < 2) return 2;
  const QString photo = QString::fromLocal8Bit(argv[1]);
  QApplication::setApplicationName(QStringLiteral("QUAVINTO"));
  platform::setUpJapaneseUi(app);
  decode::setPictureAllocationLimit();
  platform::setScreenOverride(0, 0, QRect(0, 0, benchload::kScreenWidth, benchload::kScreenHeight));
  int boxes = 0;
  QString message;
  platform::setMsgBoxResponder([&](const QString& text, int, const QString&) {
    ++boxes;
    message = text;
    return platform::vbOK;
  });
  platform::setFileDialogResponder([&](const platform::CommonDialog&) { return std::optional<QString>(photo); });
  quavinto::Form1 form;
  form.show();
  QElapsedTimer timer;
  timer.start();
  while (timer.elapsed() < 300) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);

  if (!benchload::resetPeakResident()) return 3;
  const qint64 idle = benchload::statusKb("VmRSS");
  form.LoadPictureEx_Click();
  const qint64 peak = benchload::statusKb("VmHWM");
  const bool loaded = boxes == 0 && form.vars().PictureFile == photo;
  if (!loaded && (boxes != 1 || form.vars().PictureFile == photo)) return 4;
  const QSize board = loaded ? form.Picture1->picture().size()
                             : QImageReader(photo).size().scaled(quavinto::largestBoard(form), Qt::KeepAspectRatio);
  std::printf("idle_kb=%lld\npeak_kb=%lld\nboard_bytes=%lld\nboard=%dx%d\n", static_cast<long long>(idle),
              static_cast<long long>(peak), static_cast<long long>(board.width()) * board.height() * 4, board.width(),
              board.height());
  if (!loaded) std::printf("refused=%s\n", message.simplified().toUtf8().constData());
  return 0;
}

// Choosing the board's picture: the picture dialog, the three-letter check of
// the file's kind, and the rebuild of the board. Every outcome is quiet except
// a picture too small for the grid, which says why it was refused.
#include "pictures/PictureLoading.h"

#include "core/MenuStates.h"
#include "pictures/BoardLayout.h"
#include "pictures/PathDirectory.h"
#include "platform/FileDialog.h"
#include "shell/Form1.h"

#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>

namespace quavinto {

QString pictureFilter() {
  return QStringLiteral(u"BMP形式(*.BMP)|*.BMP|GIF形式(*.GIF)|*.GIF|JPEG形式(*.JPG)|*.JPG|すべて(*.*)|*.*");
}

int16_t pictureTypeOf(const QString& path) {
  // Only the all-capital and all-small forms count, as the picture dialog's
  // patterns promise; the tests run in this order and the last match wins.
  const QString last = path.right(3);
  int16_t type = 0;
  if (last == QLatin1String("BMP") || last == QLatin1String("bmp")) type = 1;
  if (last == QLatin1String("GIF") || last == QLatin1String("gif")) type = 2;
  if (last == QLatin1String("JPG") || last == QLatin1String("jpg")) type = 3;
  return type;
}

bool loadChosenPicture(Form1& f, const QString& path) {
  GameState& g = f.state();
  f.vars().PictureFile = path;
  const int16_t type = pictureTypeOf(path);
  if (type == 0) return false;
  g.PictureType = type;
  g.ResumeFlag = 0;
  return BuildBoard(f);
}

void stopForPicture(Form1& f) {
  f.state().GameRunning = 0;
  applyMenuEvent(f, MenuEvent::PictureChosen);
}

}  // namespace quavinto

void quavinto::Form1::LoadPictureEx_Click() {
  if (preparing_) return;
  stopForPicture(*this);
  platform::CommonDialog& dlg = *cmdlgall;
  if (!v_.PictureFile.isEmpty()) {
    dlg.initDir = PathDirectory(v_.PictureFile);
    dlg.fileName = v_.PictureFile;
  } else {
    dlg.initDir = QCoreApplication::applicationDirPath();
  }
  dlg.filter = pictureFilter();
  dlg.defaultExt = QStringLiteral(".BMP");
  dlg.filterIndex = gs_.PictureType;
  dlg.flags = platform::kOfnFileMustExist | platform::kOfnHideReadOnly;
  dlg.cancelError = true;
  if (!dlg.showOpen(this)) return;
  loadChosenPicture(*this, dlg.fileName);
}

namespace {
QString droppedFile(const QMimeData* mime) {
  if (!mime || !mime->hasUrls() || mime->urls().size() != 1) return QString();
  const QUrl url = mime->urls().first();
  return url.isLocalFile() ? url.toLocalFile() : QString();
}
}  // namespace

void quavinto::Form1::dragEnterEvent(QDragEnterEvent* event) {
  if (!preparing_ && !droppedFile(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void quavinto::Form1::dropEvent(QDropEvent* event) {
  const QString path = droppedFile(event->mimeData());
  if (preparing_ || path.isEmpty()) return;
  event->acceptProposedAction();
  stopForPicture(*this);
  loadChosenPicture(*this, path);
}

// The common file dialog over QFileDialog's own widgets.
#include "platform/FileDialog.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QLineEdit>
#include <algorithm>

#include "platform/FileNames.h"
#include "platform/MsgBox.h"
#include "platform/StartFolders.h"

namespace platform {
namespace {

// The texts below are marked for translation where they are defined and
// translated here, when they are shown.
QString translated(const char* text) { return QCoreApplication::translate("FileDialog", text); }

FileDialogResponder gResponder;

// Texts the dialog shows; %1 is the file's or folder's name.
const char kDefaultTitle[] = QT_TRANSLATE_NOOP("FileDialog", "開く");
const char kCreateQuestion[] = QT_TRANSLATE_NOOP("FileDialog", "%1 は存在しません。\r\n作成しますか?");
const char kOverwriteQuestion[] = QT_TRANSLATE_NOOP("FileDialog", "%1 は既に存在します。\r\n上書きしますか?");
const char kFileNotFound[] =
    QT_TRANSLATE_NOOP("FileDialog", "%1\r\nファイルが見つかりません。\r\nファイル名を確認してください。");
const char kFolderUnreadable[] =
    QT_TRANSLATE_NOOP("FileDialog", "%1\r\nフォルダーの読み取りが許可されていないため、ファイルを読めません。\r\n%2");
const char kPathNotFound[] = QT_TRANSLATE_NOOP("FileDialog", "%1\r\nパスが存在しません。\r\nパスを確認してください。");

constexpr int kMaxRefusedAnswers = 20;

// "*.BMP" becomes "*.[Bb][Mm][Pp]"; "*.*" and "*" match everything.
QString caseFreePattern(const QString& pattern) {
  const QString p = pattern.trimmed();
  if (p == QLatin1String("*.*") || p == QLatin1String("*")) return QStringLiteral("*");
  QString out;
  for (const QChar c : p) {
    const QChar lower = c.toLower(), upper = c.toUpper();
    if (lower != upper)
      out += QLatin1Char('[') + upper + lower + QLatin1Char(']');
    else
      out += c;
  }
  return out;
}

// The folder a dialog can show for `dir`: its nearest existing ancestor, else
// the folder the game-file dialog starts in.
QString existingFolder(const QString& dir) {
  QString d = dir;
  while (!d.isEmpty()) {
    if (QFileInfo(d).isDir()) return d;
    const QString up = QFileInfo(d).path();
    if (up == d || up == QLatin1String(".")) break;
    d = up;
  }
  return startFolder(StartFolder::GameFiles);
}

// Qt's dialog with the platform's checks run when the player confirms a name.
class OpenDialog : public QFileDialog {
 public:
  OpenDialog(QWidget* parent, const CommonDialog& props, const ChoiceCheck& check)
      : QFileDialog(parent), props_(props), check_(check) {}
  QString chosen;

 protected:
  void accept() override {
    const QStringList files = selectedFiles();
    if (files.isEmpty()) return;
    const QFileInfo info(files.first());
    // A folder, or "..", is opened by Qt's own handling.
    if (info.isDir() || files.first().endsWith(QLatin1String(".."))) {
      QFileDialog::accept();
      return;
    }
    chosen = props_.finishChoice(files.first(), check_);
    if (!chosen.isEmpty()) QDialog::accept();
  }

 private:
  const CommonDialog& props_;
  const ChoiceCheck& check_;
};

}  // namespace

FileDialogResponder setFileDialogResponder(FileDialogResponder responder) {
  FileDialogResponder previous = std::move(gResponder);
  gResponder = std::move(responder);
  return previous;
}

QStringList qtNameFilters(const QString& filter) {
  const QStringList parts = filter.split(QLatin1Char('|'));
  QStringList out;
  for (int i = 0; i + 1 < parts.size(); i += 2) {
    QStringList patterns;
    for (const QString& p : parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts)) patterns += caseFreePattern(p);
    if (patterns.isEmpty()) patterns += QStringLiteral("*");
    // Qt reads the patterns from the last parentheses; the label keeps its own.
    out += parts[i] + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
  }
  return out;
}

QStringList qtNamePatterns(const QString& qtNameFilter) {
  const int open = qtNameFilter.lastIndexOf(QLatin1Char('('));
  const int close = qtNameFilter.lastIndexOf(QLatin1Char(')'));
  if (open < 0 || close < open) return {};
  return qtNameFilter.mid(open + 1, close - open - 1).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

QString CommonDialog::effectiveTitle() const { return dialogTitle.isEmpty() ? translated(kDefaultTitle) : dialogTitle; }

QString CommonDialog::finishChoice(const QString& picked, const ChoiceCheck& check) const {
  if (picked.isEmpty()) return QString();
  const QString base = initDir.isEmpty() ? QDir::currentPath() : initDir;
  QString path = QDir::cleanPath(QDir(base).absoluteFilePath(picked));
  // A name the dialog showed with U+FFFD stands for the file whose bytes it shows.
  path = entryShownAs(QFileInfo(path).path(), QFileInfo(path).fileName());
  // Asked with the name's own bytes, so a name that is not UTF-8 is found.
  const auto exists = [](const QString& name) { return pathKind(name) != PathKind::Missing; };
  QFileInfo info(path);
  if (pathKind(path) == PathKind::Folder) return QString();
  // A trailing "." asks for the name exactly as typed.
  if (!exists(path) && info.suffix().isEmpty() && !picked.endsWith(QLatin1Char('.')) && !defaultExt.isEmpty()) {
    path += defaultExt.startsWith(QLatin1Char('.')) ? defaultExt : QLatin1Char('.') + defaultExt;
    info = QFileInfo(path);
  }
  if ((flags & (kOfnPathMustExist | kOfnFileMustExist)) && pathKind(info.path()) != PathKind::Folder) {
    MsgBox(translated(kPathNotFound).arg(QDir::toNativeSeparators(info.path())), 48, effectiveTitle());
    return QString();
  }
  if (check) {
    const QString refusal = check(path);
    if (!refusal.isEmpty()) {
      MsgBox(refusal, 48, effectiveTitle());
      return QString();
    }
  }
  const QString name = shownFileName(info.fileName());
  if (exists(path)) {
    // The open form asks too, so that choosing an existing file never
    // replaces it silently.
    if ((flags & kOfnOverwritePrompt) &&
        MsgBox(translated(kOverwriteQuestion).arg(name), 4 + 48, effectiveTitle()) != vbYes)
      return QString();
    return path;
  }
  if (flags & kOfnFileMustExist) {
    // A folder that cannot be read hides its files: they are not missing.
    const QFileInfo folder(info.path());
    if (!folder.isReadable() || !folder.isExecutable()) {
      MsgBox(translated(kFolderUnreadable).arg(name, QDir::toNativeSeparators(folder.filePath())), 48,
             effectiveTitle());
      return QString();
    }
    MsgBox(translated(kFileNotFound).arg(name), 48, effectiveTitle());
    return QString();
  }
  if ((flags & kOfnCreatePrompt) &&
      MsgBox(translated(kCreateQuestion).arg(name), 4 + 48, effectiveTitle()) != vbYes)
    return QString();
  return path;
}

bool CommonDialog::showOpen(QWidget* parent, const ChoiceCheck& check) {
  const QStringList nameFilters = qtNameFilters(filter);
  if (!nameFilters.isEmpty()) filterIndex = std::clamp(filterIndex, 1, static_cast<int>(nameFilters.size()));

  QString chosen;
  if (gResponder) {
    for (int i = 0; i < kMaxRefusedAnswers && chosen.isEmpty(); ++i) {
      const std::optional<QString> answer = gResponder(*this);
      if (!answer) break;
      chosen = finishChoice(*answer, check);
    }
  } else {
    OpenDialog dialog(parent ? parent : boxOwner(), *this, check);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setWindowTitle(effectiveTitle());
    if (!nameFilters.isEmpty()) {
      dialog.setNameFilters(nameFilters);
      dialog.selectNameFilter(nameFilters[filterIndex - 1]);
    }
    dialog.setDirectory(existingFolder(initDir));
    if (!fileName.isEmpty()) {
      const QFileInfo preset(fileName);
      if (QFileInfo(preset.path()).isDir() || preset.isRelative())
        dialog.selectFile(fileName);
      else
        dialog.selectFile(preset.fileName());
    }
    if (sideWidget) {
      const SideWidget side = sideWidget(&dialog);
      if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout()); grid && side.widget) {
        // The side widget comes on top of the room Qt's own dialog has, so the
        // folder box and the file names read whole beside it.
        const int ownWidth = dialog.width();
        const int column = grid->columnCount();
        grid->addWidget(side.widget, 0, column, grid->rowCount(), 1);
        // Room the player adds goes to the list's column, not to the side widget.
        if (const int at = grid->indexOf(dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))); at >= 0) {
          int row = 0, nameColumn = 0, rowSpan = 0, columnSpan = 0;
          grid->getItemPosition(at, &row, &nameColumn, &rowSpan, &columnSpan);
          grid->setColumnStretch(nameColumn, 1);
        }
        const int spacing = std::max(0, grid->horizontalSpacing());
        dialog.resize(std::max(dialog.sizeHint().width(), ownWidth + spacing + side.widget->sizeHint().width()),
                      dialog.height());
      }
      if (side.follow) {
        QObject::connect(&dialog, &QFileDialog::currentChanged, side.widget ? side.widget : &dialog, side.follow);
        side.follow(QDir(existingFolder(initDir)).absoluteFilePath(fileName));
      }
    }
    if (dialog.exec() == QDialog::Accepted) {
      chosen = dialog.chosen;
      const int index = nameFilters.indexOf(dialog.selectedNameFilter());
      if (index >= 0) filterIndex = index + 1;
    }
  }
  sideWidget = nullptr;

  if (chosen.isEmpty()) {
    if (!cancelError) fileName.clear();
    return false;
  }
  fileName = chosen;
  return true;
}

}  // namespace platform

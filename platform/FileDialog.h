// The program's one file dialog (`cmdlgall`): properties that keep their values
// between uses, shown in its open form.
//
// The dialog is Qt's own widget dialog (never the system's), so it looks and
// behaves the same everywhere and speaks Japanese through qtbase_ja. What the
// player picks is finished the same way whether a person or a test answers:
// a relative name is taken in the shown folder, the default extension is
// added to a new name without one, and the flags are honoured (path must
// exist, file must exist, the overwrite question and the create question,
// both through platform::MsgBox).
// Tests install a responder that sees the dialog's properties and answers in
// place of the player.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class QWidget;

namespace platform {

// A widget the caller puts beside the file list, and what it is told as the
// player moves through the files: the preselected one first, then each file
// the player moves to.
struct SideWidget {
  QWidget* widget = nullptr;
  std::function<void(const QString& path)> follow;
};
// Makes the side widget with the dialog as its parent.
using SideWidgetMaker = std::function<SideWidget(QWidget* dialog)>;

// Flag values of the platform's file dialog.
constexpr int kOfnOverwritePrompt = 0x2;  // ask before choosing a file that exists
constexpr int kOfnHideReadOnly = 0x4;     // the Qt dialog has no read-only box
constexpr int kOfnPathMustExist = 0x800;
constexpr int kOfnFileMustExist = 0x1000;  // implies kOfnPathMustExist
constexpr int kOfnCreatePrompt = 0x2000;   // ask before choosing a file that does not exist

class CommonDialog;

// Answers in place of the player: gets the dialog with its properties as the
// program set them and returns the name the player would type or pick
// (absolute, or relative to initDir), or std::nullopt for Cancel. When the
// answer is refused (a missing file under kOfnFileMustExist, No to the create
// question...) the real dialog stays open, so the responder is asked again;
// after 20 refused answers the dialog counts as cancelled.
using FileDialogResponder = std::function<std::optional<QString>(const CommonDialog& dialog)>;

// A caller's own rule on the chosen full path: an empty text accepts it; any
// other text is shown to the player (exclamation, OK) and the dialog stays open.
using ChoiceCheck = std::function<QString(const QString& path)>;

// Replaces the real dialog; an empty function restores it. Returns the previous one.
FileDialogResponder setFileDialogResponder(FileDialogResponder responder);

class CommonDialog {
 public:
  QString fileName;     // chosen full path after showOpen(); preselected before it
  QString dialogTitle;  // empty: the platform's default title ("Open")
  QString filter;       // "label|pattern|label|pattern", patterns joined by ';'
  int filterIndex = 1;  // 1-based entry of `filter`; updated to the player's choice
  QString defaultExt;   // ".QVD" or "QVD": added to a new name that has no extension
  QString initDir;      // folder shown first when fileName names none
  int flags = 0;        // kOfn* values
  bool cancelError = false;
  // For the next showing only: a widget beside the list (the picture
  // dialog's preview). showOpen() empties it.
  SideWidgetMaker sideWidget;

  // Shows the open form, modal over `parent`. Returns true when the player
  // chose a file: fileName then holds its full path. Returns false on Cancel;
  // fileName is left as it was when cancelError is true and emptied when it is
  // false (the platform's way of reporting a cancel without an error).
  // `check`, when given, may refuse a choice for this showing only.
  bool showOpen(QWidget* parent = nullptr, const ChoiceCheck& check = {});

  // The caption the dialog shows: dialogTitle, or the default title ("Open") when it is empty.
  QString effectiveTitle() const;

  // Finishes a name the player typed or picked, by the dialog's rules: taken
  // in initDir when relative, the default extension added when the name has
  // none and no such file exists, then the flags and `check` applied; a
  // refusal is told, and the questions asked, through platform::MsgBox.
  // Returns the full path, or an empty string when the dialog has to stay open.
  QString finishChoice(const QString& picked, const ChoiceCheck& check = {}) const;
};

// The Qt name filters ("label (patterns)") of a "label|pattern|..." filter,
// one per entry, with patterns that match names whatever their letter case
// ("*.BMP" matches cat.bmp) and "*.*" matching every file, as on the platform.
QStringList qtNameFilters(const QString& filter);
// The patterns of one Qt name filter made by qtNameFilters, for QDir.
QStringList qtNamePatterns(const QString& qtNameFilter);

}  // namespace platform

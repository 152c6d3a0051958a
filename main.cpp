// QUAVINTO: the program starts with its wait window, which opens the main
// window and the file the command line gives, if any.
#include <QApplication>

#include "pictures/decode/PictureDecoder.h"
#include "platform/FileNames.h"
#include "platform/UiSetup.h"
#include "shell/AppStart.h"
#include "shell/CommandLine.h"

namespace {
QStringList argumentsOf(int argc, char* argv[]) {
  QStringList out;
  // A file's name is kept byte for byte, also when it is not UTF-8.
  for (int i = 1; i < argc; ++i) out += platform::fileNameFromBytes(QByteArray(argv[i]));
  return out;
}
}  // namespace

int main(int argc, char* argv[]) {
  // --help, --version and a refusal are answered before the window system is
  // reached, so they work without a display; the toolkit's own options are
  // passed over here and taken by the toolkit.
  const QStringList arguments = argumentsOf(argc, argv);
  const quavinto::CommandLine early = quavinto::parseCommandLine(arguments);
  // The answers are in the player's language too, so they are read again
  // once its translation is in place.
  const platform::UiLanguage language = platform::uiLanguageFromEnvironment();
  if (early.action != quavinto::CommandLine::Action::Run) {
    QCoreApplication core(argc, argv);
    platform::installProgramTranslation(core, language);
    return quavinto::answerCommandLine(quavinto::parseCommandLine(arguments));
  }
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("QUAVINTO"));
  platform::setUpUi(app, language);
  // Before any picture is decoded, on this thread or a thumbnail's.
  decode::setPictureAllocationLimit();
  const quavinto::CommandLine line = quavinto::parseCommandLine(argumentsOf(argc, argv));
  if (line.action != quavinto::CommandLine::Action::Run) return quavinto::answerCommandLine(line);
  quavinto::startProgram(line.file);
  return app.exec();
}

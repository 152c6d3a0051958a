// QUAVINTO: the program starts with its wait window, which opens the main window.
#include "platform/UiSetup.h"
#include "shell/AppStart.h"

#include <QApplication>

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("QUAVINTO"));
  platform::setUpJapaneseUi(app);
  quavinto::startProgram();
  return app.exec();
}

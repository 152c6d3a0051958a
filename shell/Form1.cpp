// The main window.
#include "shell/Form1.h"

#include <QCoreApplication>

namespace quavinto {

Form1::Form1(QWidget* parent) : QMainWindow(parent) {
  setWindowTitle(QStringLiteral("QUAVINTO"));
  auto* client = new QWidget(this);
  setCentralWidget(client);
  Picture1 = new platform::PictureBox(client);
  Picture1->setAutoSize(true);
  Picture1->setPicture(QImage(QStringLiteral(":/default.bmp")));
  Picture1->move(13, 19);
  Picture2 = new platform::PictureBox(Picture1);
  Picture4 = new platform::PictureBox(client);
  Picture4->hide();
  resize(Picture1->width() + 40, Picture1->height() + 60);
}

Form1::~Form1() = default;

void Form1::processEvents() { QCoreApplication::processEvents(); }

}  // namespace quavinto

#include "support/PlayedWindow.h"

#include "core/Geometry.h"

#include <QAction>
#include <QDir>
#include <QtTest>

namespace testsupport {

PlayedWindow::PlayedWindow(double clockStart) : clock_(clockStart) {}

// The window goes before the fixtures it may still call on its way out.
PlayedWindow::~PlayedWindow() { form_.reset(); }

quavinto::GameState& PlayedWindow::state() { return form_->state(); }
quavinto::MainVars& PlayedWindow::vars() { return form_->vars(); }

void PlayedWindow::open(int xn, int yn) {
  form_ = std::make_unique<quavinto::Form1>();
  state().Xn = int16_t(xn);
  state().Yn = int16_t(yn);
  form_->ResetView();
  form_->show();
  QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
}

void PlayedWindow::start(bool yes) {
  boxes_.answer(yes ? platform::vbYes : platform::vbNo);
  form_->GStart->trigger();
}

QString PlayedWindow::path(const QString& name) const { return QDir(tmp_.path()).filePath(name); }

QPoint PlayedWindow::cellCentre(int col, int row) {
  const quavinto::MainVars& v = vars();
  return QPoint((col - 1) * v.PieceWidth + v.PieceWidth / 2, (row - 1) * v.PieceHeight + v.PieceHeight / 2);
}

void PlayedWindow::solveByMouse() {
  quavinto::GameState& g = state();
  for (int row = 1; row <= g.Yn; ++row)
    for (int col = 1; col <= g.Xn; ++col) {
      const int want = quavinto::homePiece(g.Xn, col, row);
      if (g.Map[col][row] == want) continue;
      QPoint from;
      for (int r = 1; r <= g.Yn; ++r)
        for (int c = 1; c <= g.Xn; ++c)
          if (g.Map[c][r] == want) from = cellCentre(c, r);
      const QPoint to = cellCentre(col, row);
      QTest::mousePress(form_->Picture1, Qt::LeftButton, {}, from);
      QTest::mouseMove(form_->Picture1, to);
      QTest::mouseRelease(form_->Picture1, Qt::LeftButton, {}, to);
      QCOMPARE(int(g.Map[col][row]), want);
    }
  for (int row = 1; row <= g.Yn; ++row)
    for (int col = 1; col <= g.Xn; ++col)
      if (g.RMap[col][row] == 1) QTest::mouseClick(form_->Picture1, Qt::RightButton, {}, cellCentre(col, row));
}

}  // namespace testsupport

// The diagnostics window: prints the two grids of the game, Map and RMap.
//
// A plain black window with white bold serif text, drawn line by line from the
// top-left corner into an image the window keeps, so covering it erases
// nothing and text past the edge is simply cut off. It prints once when it
// opens; a right click prints the grids again as they are then, a left click
// closes it. It is modeless and deletes itself when closed.
//
// It reads the GameState it was given whenever it prints, so it must not
// outlive that record: pass the window that owns the record as `owner` and the
// diagnostics window closes with it.
#pragma once

#include "core/GameState.h"

#include <QImage>
#include <QStringList>
#include <QWidget>

namespace quavinto {

class Form4 : public QWidget {
  Q_OBJECT
public:
  explicit Form4(const GameState& gs, QWidget* owner = nullptr);
  ~Form4() override;

  // Clears the window and prints the grids as they are now.
  void form_load();
  // Design button codes: 1 left closes, 2 right prints again, others nothing.
  void Form_MouseDown(int button);

  // The lines of the last printing, for checks.
  QStringList printedLines() const { return lines_; }
  // What the window keeps and shows.
  const QImage& canvas() const { return canvas_; }

protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

private:
  void cls();
  void print(const QString& line);
  void printGrid(const Grid& grid);
  void fitCanvas(const QSize& atLeast);

  const GameState& gs_;
  QImage canvas_;
  QFont font_;
  int currentY_ = 0;
  QStringList lines_;
};

}  // namespace quavinto

// The hint on the board: the cell or cells of the hinted move outlined for
// about two seconds, and said to screen readers through the board's
// accessible description. The outline is a dashed band of black and white,
// so it shows on any picture and background, and its shape (not its hue)
// tells it from the keyboard's focus outline.
#pragma once

#include <QString>
#include <QTimer>
#include <QWidget>

#include "core/Move.h"

namespace quavinto {

class GameHost;

class HintMarks : public QWidget {
  Q_OBJECT
 public:
  static constexpr int kShownMs = 2000;

  // Lies over `board`, whose cells are the host's pieces.
  HintMarks(GameHost& host, QWidget* board);
  // Outlines the move's cells and announces them; hidden again after kShownMs.
  void showHint(const Move& hint);
  // Takes the outline away at once (the board changed under it).
  void clear();
  bool shown() const { return shown_; }
  // The cells outlined now, in board pixels; empty while none is.
  QRegion marked() const;
  // The text announced for a hint.
  static QString describeHint(const Move& hint);

 protected:
  void paintEvent(QPaintEvent*) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QRect cellRect(const Cell& cell) const;

  GameHost& host_;
  QTimer timer_;
  Move hint_;
  bool shown_ = false;
};

}  // namespace quavinto

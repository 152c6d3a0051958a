// The wait window: the start-up picture in the middle of the screen.
//
// The program's first window, borderless, showing ":/startup.bmp". When it is
// first shown it waits until the time-of-day clock, read in whole seconds, is
// four or more seconds past its start reading (midnight included), then runs
// showMain and closes. A click ends the wait at once. However the wait ends
// (the clock, a click, or the window being closed), showMain runs exactly
// once. The wait is a polling timer, so the program stays responsive; the
// window deletes itself when closed.
#pragma once

#include <QPixmap>
#include <QTimer>
#include <QWidget>

#include <functional>

namespace quavinto {

class Form5 : public QWidget {
  Q_OBJECT
public:
  explicit Form5(std::function<void()> showMain, QWidget* parent = nullptr);
  ~Form5() override;

  // Starts the wait; runs by itself when the window is first shown.
  void Form_Activate();
  // One look at the clock: ends the wait once it has lasted long enough.
  // The timer calls it; tests call it after setting a fake clock.
  void pollWait();
  // Opens the main window (once) and closes the wait window.
  void Form_Click();
  // True while the wait has started and not ended.
  bool waiting() const { return timer_.isActive(); }

protected:
  void showEvent(QShowEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

private:
  void form_load();
  void openMainOnce();

  std::function<void()> showMain_;
  QPixmap picture_;
  QTimer timer_;
  double start_ = 0;
  bool activated_ = false;
  bool mainShown_ = false;
};

}  // namespace quavinto

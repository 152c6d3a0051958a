// The wait window: placement in twips, the whole-second wait across midnight,
// and the single hand-over to the main window.
#include "shell/Form5.h"

#include "platform/Clock.h"
#include "platform/MsgBox.h"
#include "platform/Numeric.h"
#include "platform/Screen.h"

#include <QCloseEvent>
#include <QMouseEvent>
#include <QPainter>

namespace quavinto {
namespace {

constexpr int kPictureWidth = 384;
constexpr int kPictureHeight = 256;
constexpr int kWaitSeconds = 3;  // the wait goes on while no more than this has passed
constexpr int kSecondsPerDay = 86400;
constexpr int kPollMs = 50;

double wholeSecondsNow() { return platform::roundHalfEven(platform::secondsSinceMidnight()); }

}  // namespace

Form5::Form5(std::function<void()> showMain, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), showMain_(std::move(showMain)) {
  setAttribute(Qt::WA_DeleteOnClose);
  platform::markPassingWindow(this);
  setAttribute(Qt::WA_OpaquePaintEvent);
  picture_ = QPixmap(QStringLiteral(":/startup.bmp"));
  timer_.setInterval(kPollMs);
  connect(&timer_, &QTimer::timeout, this, &Form5::pollWait);
  form_load();
}

Form5::~Form5() = default;

void Form5::form_load() {
  // Sizes and position are worked out in twips, as the window was designed.
  const int widthTwips = platform::PixelToTwipsX(kPictureWidth);
  const int heightTwips = platform::PixelToTwipsY(kPictureHeight);
  const QRect screen = platform::screenGeometry();
  const double leftTwips = screen.width() * platform::twipsPerPixelX() / 2 - widthTwips / 2.0;
  const double topTwips = screen.height() * platform::twipsPerPixelY() / 2 - heightTwips / 2.0;
  setFixedSize(platform::twipsToPixelsX(widthTwips), platform::twipsToPixelsY(heightTwips));
  move(screen.x() + platform::twipsToPixelsX(leftTwips), screen.y() + platform::twipsToPixelsY(topTwips));
}

void Form5::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (!activated_) Form_Activate();
}

void Form5::Form_Activate() {
  if (activated_ || mainShown_) return;
  activated_ = true;
  start_ = wholeSecondsNow();
  timer_.start();
}

void Form5::pollWait() {
  if (!timer_.isActive()) return;
  double passed = wholeSecondsNow() - start_;
  if (passed < 0) passed += kSecondsPerDay;  // midnight came during the wait
  if (passed <= kWaitSeconds) return;
  Form_Click();
}

void Form5::Form_Click() {
  openMainOnce();
  close();
}

void Form5::openMainOnce() {
  timer_.stop();
  if (mainShown_) return;
  mainShown_ = true;
  if (showMain_) showMain_();
}

void Form5::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.drawPixmap(rect(), picture_);
}

void Form5::mousePressEvent(QMouseEvent* event) {
  event->accept();
  Form_Click();
}

void Form5::closeEvent(QCloseEvent* event) {
  // Closed before the wait ended (by the window system, say): the program
  // still goes on to its main window rather than ending with no window.
  openMainOnce();
  QWidget::closeEvent(event);
}

}  // namespace quavinto

// Manual drag on an application-wide event filter and a rubber-band outline.
#include "platform/ManualDrag.h"

#include <QApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QRubberBand>
#include <QStyleHints>
#include <QTimer>
#include <map>
#include <utility>

namespace platform {
namespace {

std::map<const QWidget*, DropHandler>& handlers() {
  static std::map<const QWidget*, DropHandler> table;
  return table;
}

class DragFilter : public QObject {
public:
  void begin(QWidget* control, QPoint globalPos, Qt::MouseButton button, bool liftable) {
    finish();
    control_ = control;
    button_ = button;
    liftable_ = liftable;
    pressedAt_ = globalPos;
    lifted_ = false;
    movedFar_ = false;
    // A finger held still on a piece is a long press: the piece is put back
    // and the long-press handler runs (a touch screen has no right button).
    if (liftable && pressFromTouch && longPress) {
      if (!holdConnected_) {
        hold_.setSingleShot(true);
        QObject::connect(&hold_, &QTimer::timeout, this, [this] {
          if (!active() || lifted_ || movedFar_) return;
          const QPoint at = pressedAt_;
          finish();
          // The finger's release comes later and belongs to no drag.
          swallow_ = Qt::LeftButton;
          qApp->installEventFilter(&releaseEater_);
          longPress(at);
        });
        holdConnected_ = true;
      }
      hold_.start(QGuiApplication::styleHints()->mousePressAndHoldInterval());
    }
    grab_ = globalPos - control->mapToGlobal(QPoint(0, 0));
    QWidget* window = control->window();
    band_ = new QRubberBand(QRubberBand::Rectangle, window);
    band_->setAttribute(Qt::WA_TransparentForMouseEvents);
    band_->setGeometry(QRect(window->mapFromGlobal(globalPos - grab_), control->size()));
    band_->show();
    band_->raise();
    qApp->installEventFilter(this);
  }

  void finish() {
    // Hidden at once: a drop may open a modal box before the outline is deleted.
    if (band_) {
      band_->hide();
      band_->deleteLater();
    }
    band_ = nullptr;
    control_ = nullptr;
    if (std::exchange(lifted_, false) && onLift) onLift(false);
    follow_.stop();
    hold_.stop();
    qApp->removeEventFilter(this);
  }

  bool lifted() const { return lifted_; }
  bool clickToLift = false;
  bool pressFromTouch = false;  // the last press came from a touch screen
  std::function<void(QPoint)> longPress;
  std::function<void(bool)> onLift;

  QWidget* control() const { return control_; }
  bool active() const { return !control_.isNull(); }

protected:
  bool eventFilter(QObject* receiver, QEvent* event) override {
    // Mouse events reach the window first and then the widget; act once.
    if (!receiver->isWidgetType()) return false;
    if (event->type() == QEvent::MouseMove) {
      const auto* mouse = static_cast<QMouseEvent*>(event);
      if (band_ && control_) {
        QWidget* window = control_->window();
        band_->move(window->mapFromGlobal(mouse->globalPosition().toPoint() - grab_));
      }
      if ((mouse->globalPosition().toPoint() - pressedAt_).manhattanLength() >= QApplication::startDragDistance())
        movedFar_ = true;
      return false;
    }
    if (lifted_) return liftedEvent(event);
    if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick) {
      // The drag's own button pressed again, or no longer held, means its
      // release never arrived (it went to another program): that drag is
      // over, without a drop, and this press acts as usual. Any other button
      // pressed while the drag's button is held neither turns a piece nor
      // ends the drag.
      const auto* mouse = static_cast<QMouseEvent*>(event);
      if (mouse->button() != button_ && mouse->buttons().testFlag(button_)) return true;
      finish();
      return false;
    }
    if (event->type() == QEvent::MouseButtonRelease) {
      const auto* mouse = static_cast<QMouseEvent*>(event);
      if (mouse->button() == button_) {
        // A click that stayed within the drag distance lifts the piece
        // instead of dropping it where it was taken, for players who cannot
        // hold a button and for a tap on a touch screen.
        const QPoint at = mouse->globalPosition().toPoint();
        const bool tap = mouse->source() != Qt::MouseEventNotSynthesized;
        if (liftable_ && button_ == Qt::LeftButton && (clickToLift || tap) &&
            (at - pressedAt_).manhattanLength() < QApplication::startDragDistance()) {
          lift();
          return true;
        }
        deliver(at);
        return true;
      }
      if (mouse->buttons().testFlag(button_)) return true;
      finish();
      return false;
    }
    return false;
  }

private:
  // The outline follows the pointer with no button held, which sends no
  // move events to widgets that do not track the mouse: it is moved to the
  // pointer's place at each frame instead.
  void lift() {
    lifted_ = true;
    if (onLift) onLift(true);
    if (!follow_.isActive()) {
      QObject::connect(
          &follow_, &QTimer::timeout, this, [this] { moveBand(QCursor::pos()); }, Qt::UniqueConnection);
      follow_.start(16);
    }
  }

  void moveBand(QPoint globalPos) {
    if (band_ && control_) band_->move(control_->window()->mapFromGlobal(globalPos - grab_));
  }

  // While a piece is lifted: the next left press drops it there (its release
  // is swallowed with it); Escape or a right press puts it back, and that
  // press does nothing else.
  bool liftedEvent(QEvent* event) {
    switch (event->type()) {
      case QEvent::MouseMove:
        moveBand(static_cast<QMouseEvent*>(event)->globalPosition().toPoint());
        return false;
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonDblClick: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        swallow_ = mouse->button();
        if (mouse->button() == Qt::LeftButton)
          deliver(mouse->globalPosition().toPoint());
        else
          finish();
        qApp->installEventFilter(&releaseEater_);
        return true;
      }
      case QEvent::MouseButtonRelease:
        return true;
      case QEvent::KeyPress:
        if (static_cast<QKeyEvent*>(event)->key() != Qt::Key_Escape) return false;
        finish();
        return true;
      default:
        return false;
    }
  }

  // Swallows the release of the press that ended a lift, so it reaches no
  // widget as a release without its press.
  class ReleaseEater : public QObject {
  public:
    explicit ReleaseEater(DragFilter& owner) : owner_(owner) {}

  protected:
    bool eventFilter(QObject* receiver, QEvent* event) override {
      if (!receiver->isWidgetType() || event->type() != QEvent::MouseButtonRelease) return false;
      if (static_cast<QMouseEvent*>(event)->button() != owner_.swallow_) return false;
      qApp->removeEventFilter(this);
      return true;
    }

  private:
    DragFilter& owner_;
  };

  void deliver(QPoint globalPos) {
    QPointer<QWidget> dragged = control_;
    QWidget* window = dragged ? dragged->window() : nullptr;
    finish();
    if (!dragged || !window) return;
    const QPoint inWindow = window->mapFromGlobal(globalPos);
    if (!window->rect().contains(inWindow)) return;
    QWidget* target = window->childAt(inWindow);
    if (!target) target = window;
    if (!hasDropHandler(target)) return;
    const DropHandler handler = handlers()[target];  // a copy: the handler may replace itself
    handler(dragged, target->mapFromGlobal(globalPos));
  }

  QPointer<QWidget> control_;
  Qt::MouseButton button_ = Qt::LeftButton;
  QPoint grab_;
  QPoint pressedAt_;
  bool liftable_ = false;
  bool lifted_ = false;
  bool movedFar_ = false;
  QTimer hold_;
  bool holdConnected_ = false;
  QTimer follow_;
  Qt::MouseButton swallow_ = Qt::NoButton;
  ReleaseEater releaseEater_{*this};
  QRubberBand* band_ = nullptr;
};

DragFilter& filter() {
  static DragFilter* instance = new DragFilter;
  return *instance;
}

}  // namespace

void setDropHandler(QWidget* area, DropHandler handler) {
  if (!handler) {
    handlers().erase(area);
    return;
  }
  if (handlers().find(area) == handlers().end())
    QObject::connect(area, &QObject::destroyed, [area] { handlers().erase(area); });
  handlers()[area] = std::move(handler);
}

bool hasDropHandler(const QWidget* area) {
  const auto it = handlers().find(area);
  return it != handlers().end() && it->second;
}

void startDrag(QWidget* control, QPoint globalPos, Qt::MouseButton button, bool liftable) {
  filter().begin(control, globalPos, button, liftable);
}
bool dragInProgress() { return filter().active(); }
bool pieceLifted() { return filter().active() && filter().lifted(); }
void setClickToLift(bool on) { filter().clickToLift = on; }
bool clickToLift() { return filter().clickToLift; }
void notePress(const QMouseEvent& press) {
  filter().pressFromTouch = press.source() != Qt::MouseEventNotSynthesized ||
                            press.pointingDevice()->type() == QInputDevice::DeviceType::TouchScreen;
}
void setLongPressHandler(std::function<void(QPoint globalPos)> handler) { filter().longPress = std::move(handler); }
void setLiftHandler(std::function<void(bool lifted)> handler) { filter().onLift = std::move(handler); }
QWidget* draggedControl() { return filter().control(); }
void cancelDrag() { filter().finish(); }

}  // namespace platform

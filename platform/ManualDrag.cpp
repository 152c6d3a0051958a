// Manual drag on an application-wide event filter and a rubber-band outline.
#include "platform/ManualDrag.h"

#include <QApplication>
#include <QMouseEvent>
#include <QRubberBand>

#include <map>

namespace platform {
namespace {

std::map<const QWidget*, DropHandler>& handlers() {
  static std::map<const QWidget*, DropHandler> table;
  return table;
}

class DragFilter : public QObject {
public:
  void begin(QWidget* control, QPoint globalPos, Qt::MouseButton button) {
    finish();
    control_ = control;
    button_ = button;
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
    qApp->removeEventFilter(this);
  }

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
      return false;
    }
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
        deliver(mouse->globalPosition().toPoint());
        return true;
      }
      if (mouse->buttons().testFlag(button_)) return true;
      finish();
      return false;
    }
    return false;
  }

private:
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

void startDrag(QWidget* control, QPoint globalPos, Qt::MouseButton button) {
  filter().begin(control, globalPos, button);
}
bool dragInProgress() { return filter().active(); }
QWidget* draggedControl() { return filter().control(); }
void cancelDrag() { filter().finish(); }

}  // namespace platform

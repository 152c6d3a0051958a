// The diagnostics window: retained text drawing of the two grids.
#include "platform/MsgBox.h"
#include "shell/Form4.h"

#include "platform/Screen.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

namespace quavinto {
namespace {

namespace text {
const char kCaption[] = QT_TRANSLATE_NOOP("quavinto::Form4", "QUAVINTO(終了:左ClicK 再表示:右Click) ");
const char kPositionHeading[] = QT_TRANSLATE_NOOP("quavinto::Form4", "About Position");
const char kReverseHeading[] = QT_TRANSLATE_NOOP("quavinto::Form4", "About Reverse(0:Normal 1:Reverse)");
}  // namespace text

constexpr double kPointSize = 9.6;

// At least three digits, zero-filled, then one blank: 7 gives "007 ".
QString cellText(int value) {
  const QString digits = QString::number(std::abs(value)).rightJustified(3, QLatin1Char('0'));
  return (value < 0 ? QStringLiteral("-") : QString()) + digits + QLatin1Char(' ');
}

}  // namespace

Form4::Form4(const GameState& gs, QWidget* owner) : QWidget(owner, Qt::Window), gs_(gs) {
  setAttribute(Qt::WA_DeleteOnClose);
  platform::markPassingWindow(this);
  setAttribute(Qt::WA_OpaquePaintEvent);
  setWindowTitle(tr(text::kCaption));
  QPalette pal = palette();
  pal.setColor(QPalette::Window, Qt::black);
  pal.setColor(QPalette::WindowText, Qt::white);
  setPalette(pal);

  font_.setFamilies({QStringLiteral("Times New Roman"), QStringLiteral("Liberation Serif"),
                     QStringLiteral("DejaVu Serif"), QStringLiteral("IPAMincho")});
  font_.setStyleHint(QFont::Serif);
  font_.setBold(true);
  font_.setPointSizeF(kPointSize);
  setFont(font_);

  resize(platform::twipsToPixelsX(5304), platform::twipsToPixelsY(3216));
  // The kept drawing covers the whole screen, so enlarging the window shows
  // more of what was printed rather than an empty strip.
  fitCanvas(platform::screenGeometry().size().expandedTo(size()));
  form_load();
}

Form4::~Form4() = default;

void Form4::fitCanvas(const QSize& atLeast) {
  // The canvas holds one pixel per device pixel, so on a scaled screen the
  // text is drawn at the screen's own resolution instead of being enlarged.
  const qreal ratio = devicePixelRatioF();
  const QSize have = canvas_.isNull() ? QSize() : canvas_.deviceIndependentSize().toSize();
  if (!canvas_.isNull() && canvas_.devicePixelRatio() == ratio && have.width() >= atLeast.width() &&
      have.height() >= atLeast.height())
    return;
  const QSize logical = have.expandedTo(atLeast);
  QImage grown(logical * ratio, QImage::Format_RGB32);
  grown.setDevicePixelRatio(ratio);
  // Point sizes on the canvas must measure as they do on the screen.
  grown.setDotsPerMeterX(qRound(logicalDpiX() / 0.0254));
  grown.setDotsPerMeterY(qRound(logicalDpiY() / 0.0254));
  grown.fill(Qt::black);
  const bool sameRatio = canvas_.isNull() || canvas_.devicePixelRatio() == ratio;
  if (!canvas_.isNull() && sameRatio) {
    QPainter p(&grown);
    p.drawImage(0, 0, canvas_);
  }
  canvas_ = grown;
  // Moved to a screen of another density: what was printed is printed again
  // at the new resolution, the same lines in the same places.
  if (!sameRatio) {
    const QStringList kept = lines_;
    currentY_ = 0;
    lines_.clear();
    for (const QString& line : kept) print(line);
  }
}

void Form4::cls() {
  canvas_.fill(Qt::black);
  currentY_ = 0;
  lines_.clear();
  update();
}

void Form4::print(const QString& line) {
  lines_.append(line);
  QPainter p(&canvas_);
  p.setFont(font_);
  p.setPen(Qt::white);
  const QFontMetrics metrics = p.fontMetrics();
  p.drawText(0, currentY_ + metrics.ascent(), line);
  currentY_ += metrics.height();
  update();
}

void Form4::printGrid(const Grid& grid) {
  // The grids hold 30 by 30 cells; counts outside that print what fits.
  const int columns = std::clamp<int>(gs_.Xn, 0, kMaxCells);
  const int rows = std::clamp<int>(gs_.Yn, 0, kMaxCells);
  for (int row = 1; row <= rows; ++row) {
    QString line;
    for (int col = 1; col <= columns; ++col) line += cellText(grid[col][row]);
    print(line);
  }
}

void Form4::form_load() {
  cls();
  print(tr(text::kPositionHeading));
  printGrid(gs_.Map);
  print(QString());
  print(tr(text::kReverseHeading));
  printGrid(gs_.RMap);
}

void Form4::Form_MouseDown(int button) {
  if (button == 1)
    close();
  else if (button == 2)
    form_load();
}

void Form4::paintEvent(QPaintEvent* event) {
  fitCanvas(size());
  QPainter p(this);
  p.setClipRegion(event->region());
  p.drawImage(0, 0, canvas_);
}

void Form4::mousePressEvent(QMouseEvent* event) {
  switch (event->button()) {
    case Qt::LeftButton: Form_MouseDown(1); break;
    case Qt::RightButton: Form_MouseDown(2); break;
    case Qt::MiddleButton: Form_MouseDown(4); break;
    default: break;
  }
}

void Form4::resizeEvent(QResizeEvent* event) {
  fitCanvas(event->size());
  QWidget::resizeEvent(event);
}

}  // namespace quavinto

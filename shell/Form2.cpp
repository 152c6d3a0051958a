// The settings dialog: controls laid out from the design's twips, the key and
// paste filters of the two count boxes, and the OK and CANCEL rules.
#include "shell/Form2.h"

#include "pictures/BoardLayout.h"
#include "platform/MsgBox.h"
#include "platform/Numeric.h"
#include "platform/Screen.h"
#include "shell/Messages.h"
#include "shell/TextRoom.h"
#include "shell/ProgramIcon.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFrame>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QValidator>

#include <algorithm>

namespace quavinto {
namespace {

// Every text this window shows to the player.
namespace text {
const QString kCaption = QStringLiteral(u"QUAVINTO");
const char kDivisions[] = QT_TRANSLATE_NOOP("quavinto::Form2", "分割数");
const char* const kPresets[4] = {
    QT_TRANSLATE_NOOP("quavinto::Form2", "25PIECE"), QT_TRANSLATE_NOOP("quavinto::Form2", "64PIECE"),
    QT_TRANSLATE_NOOP("quavinto::Form2", "100PIECE"), QT_TRANSLATE_NOOP("quavinto::Form2", "FREE")};
const QString kX = QStringLiteral(u"X =");
const QString kY = QStringLiteral(u"Y =");
const char kShowFinished[] = QT_TRANSLATE_NOOP("quavinto::Form2", "完成図の表示");
const char kOk[] = QT_TRANSLATE_NOOP("quavinto::Form2", "OK");
const char kCancel[] = QT_TRANSLATE_NOOP("quavinto::Form2", "CANCEL");
const char kBackground[] = QT_TRANSLATE_NOOP("quavinto::Form2", "背景色");
const char* const kColours[6] = {
    QT_TRANSLATE_NOOP("quavinto::Form2", "SYSTEM"), QT_TRANSLATE_NOOP("quavinto::Form2", "白"),
    QT_TRANSLATE_NOOP("quavinto::Form2", "黒"),     QT_TRANSLATE_NOOP("quavinto::Form2", "水色"),
    QT_TRANSLATE_NOOP("quavinto::Form2", "緑"),     QT_TRANSLATE_NOOP("quavinto::Form2", "黄")};
const char kCountRange[] = QT_TRANSLATE_NOOP("quavinto::Form2", "分割数はX,Y共1以上30以内です。");
const QString kCountReset = QStringLiteral(u"10");
}  // namespace text

constexpr int kMaxCountDigits = 2;
constexpr int kPresetCells[3] = {5, 8, 10};
constexpr int kFree = 3;
constexpr int kKeyBackspace = 8;
constexpr int kKeyEnter = 13;

// A Japanese input method types full-width digits (U+FF10 to U+FF19); they are
// the same digits, so the count boxes take them as their ASCII forms.
QChar asciiDigit(QChar c) {
  if (c.unicode() >= 0xFF10 && c.unicode() <= 0xFF19) return QLatin1Char(char('0' + (c.unicode() - 0xFF10)));
  return c;
}

// Keeps a count box to at most two ASCII digits however text arrives (typing,
// pasting, dropping, an input method). Full-width digits become ASCII ones,
// other non-digits are dropped; when the digits
// would not fit, the newly inserted ones are cut at the limit, as a length
// limit cuts a paste, so pasting "a1b2" gives "12".
class CountValidator : public QValidator {
public:
  explicit CountValidator(QLineEdit* edit) : QValidator(edit) {
    connect(edit, &QLineEdit::textChanged, this, [this](const QString& t) { previous_ = t; });
  }

  State validate(QString& input, int& pos) const override {
    QString digits;
    int cursor = pos;
    for (int i = 0; i < input.size(); ++i) {
      const QChar c = asciiDigit(input.at(i));
      if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
        digits.append(c);
      else if (i < pos)
        --cursor;
    }
    if (digits.size() <= kMaxCountDigits) {
      input = digits;
      pos = std::clamp(cursor, 0, int(digits.size()));
      return Acceptable;
    }
    // Too long: keep what was there and as much of the insertion as fits.
    const QString& before = previous_;
    const int limit = std::min(before.size(), digits.size());
    int head = 0;
    while (head < limit && before.at(head) == digits.at(head)) ++head;
    int tail = 0;
    while (head + tail < limit && before.at(before.size() - 1 - tail) == digits.at(digits.size() - 1 - tail)) ++tail;
    const int room = std::max(0, kMaxCountDigits - head - tail);
    const QString inserted = digits.mid(head, digits.size() - head - tail).left(room);
    if (inserted.isEmpty()) return Invalid;
    input = digits.left(head) + inserted + digits.right(tail);
    pos = head + int(inserted.size());
    return Acceptable;
  }

private:
  QString previous_;
};

}  // namespace

Form2::Form2(GameState& gs, QWidget* parent) : QDialog(parent), gs_(gs) {
  setWindowTitle(text::kCaption);
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                 Qt::MSWindowsFixedSizeDialogHint);
  setFixedSize(platform::twipsToPixelsX(5184), platform::twipsToPixelsY(3072));
  buildControls();
  form_load();
}

Form2::~Form2() = default;

void Form2::buildControls() {
  // The two frames are drawn first so that every control lies over them.
  auto makeShape = [this](const QRect& r) {
    auto* shape = new QFrame(this);
    shape->setFrameStyle(QFrame::Box | QFrame::Plain);
    shape->setLineWidth(1);
    shape->setGeometry(r);
    shape->setAttribute(Qt::WA_TransparentForMouseEvents);
    return shape;
  };
  Shape1 = makeShape(platform::twipsRect(60, 360, 3024, 1632));
  Shape2 = makeShape(platform::twipsRect(1584, 576, 1380, 1332));

  Label1[0] = new QLabel(tr(text::kDivisions), this);
  Label1[0]->setAlignment(Qt::AlignCenter);
  // Opaque, so the caption interrupts the frame line it sits on.
  Label1[0]->setAutoFillBackground(true);
  Label1[0]->setGeometry(platform::twipsRect(180, 240, 1035, 315));

  divisionGroup_ = new QButtonGroup(this);
  const QRect presetRects[4] = {platform::twipsRect(144, 660, 1332, 312), platform::twipsRect(144, 1104, 1332, 312), platform::twipsRect(144, 1500, 1332, 312),
                                platform::twipsRect(1632, 624, 996, 312)};
  for (int i = 0; i < 4; ++i) {
    Option1[i] = new QRadioButton(tr(text::kPresets[i]), this);
    Option1[i]->setGeometry(presetRects[i]);
    divisionGroup_->addButton(Option1[i], i);
  }
  // Screen readers hear the controls by Japanese names that also say what
  // the short captions mean.
  Option1[0]->setAccessibleName(tr("25ピース (5 × 5)"));
  Option1[1]->setAccessibleName(tr("64ピース (8 × 8)"));
  Option1[2]->setAccessibleName(tr("100ピース (10 × 10)"));
  Option1[3]->setAccessibleName(tr("自由な分割数"));
  Option1[0]->setChecked(true);
  connect(divisionGroup_, &QButtonGroup::idClicked, this, &Form2::Option1_Click);

  QFont bold = font();
  bold.setBold(true);
  Label1[1] = new QLabel(text::kX, this);
  Label1[1]->setFont(bold);
  Label1[1]->setGeometry(platform::twipsRect(1632, 1020, 432, 312));
  Label1[2] = new QLabel(text::kY, this);
  Label1[2]->setFont(bold);
  Label1[2]->setGeometry(platform::twipsRect(1632, 1440, 432, 312));

  const QRect boxRects[2] = {platform::twipsRect(2064, 960, 792, 432), platform::twipsRect(2064, 1380, 792, 432)};
  for (int i = 0; i < 2; ++i) {
    Text1[i] = new QLineEdit(this);
    Text1[i]->setGeometry(boxRects[i]);
    Text1[i]->setValidator(new CountValidator(Text1[i]));
    Text1[i]->installEventFilter(this);
    connect(Text1[i], &QLineEdit::textChanged, this, [this, i] { Text1_Change(i); });
  }
  Text1[0]->setAccessibleName(tr("横の分割数 (X)"));
  Text1[1]->setAccessibleName(tr("縦の分割数 (Y)"));

  Check1 = new QCheckBox(tr(text::kShowFinished), this);
  Check1->setGeometry(platform::twipsRect(3216, 1248, 1764, 372));

  const QString buttonTexts[2] = {tr(text::kOk), tr(text::kCancel)};
  const QRect buttonRects[2] = {platform::twipsRect(3768, 96, 1224, 312), platform::twipsRect(3768, 624, 1224, 312)};
  for (int i = 0; i < 2; ++i) {
    Command1[i] = new QPushButton(buttonTexts[i], this);
    Command1[i]->setGeometry(buttonRects[i]);
    // Neither button is the dialog's default: Enter presses only the button
    // that has the focus (see keyPressEvent).
    Command1[i]->setAutoDefault(false);
    connect(Command1[i], &QPushButton::clicked, this, [this, i] { Command1_Click(i); });
  }
  Command1[1]->setAccessibleName(tr("キャンセル"));

  Frame1 = new QGroupBox(tr(text::kBackground), this);
  Frame1->setGeometry(platform::twipsRect(48, 2160, 4956, 828));
  colourGroup_ = new QButtonGroup(this);
  const int colourLefts[6] = {192, 1248, 1872, 2544, 3408, 4032};
  const int colourWidths[6] = {1020, 588, 588, 780, 588, 588};
  for (int i = 0; i < 6; ++i) {
    Option2[i] = new QRadioButton(tr(text::kColours[i]), Frame1);
    Option2[i]->setGeometry(platform::twipsRect(colourLefts[i], 336, colourWidths[i], 264));
    colourGroup_->addButton(Option2[i], i);
  }
  Option2[0]->setAccessibleName(tr("システムの色"));
  Option2[0]->setChecked(true);

  // The icon is shown at its own 32 x 32 size from the design's top-left
  // corner; squeezing it into the design's smaller square would blur it.
  Image1 = new QLabel(this);
  const QPixmap icon = programIcon(devicePixelRatioF());
  Image1->setPixmap(icon);
  Image1->setGeometry(QRect(platform::twipsRect(3192, 96, 384, 384).topLeft(), icon.deviceIndependentSize().toSize()));

  QWidget* order[] = {Option1[0], Option1[1], Option1[2], Option1[3], Text1[0],   Text1[1],   Check1,
                      Command1[0], Command1[1], Option2[0], Option2[1], Option2[2], Option2[3], Option2[4],
                      Option2[5]};
  for (size_t i = 1; i < std::size(order); ++i) setTabOrder(order[i - 1], order[i]);
  // The places are sized for the Japanese texts; a longer translation widens
  // its control and the dialog rather than being cut.
  quavinto::makeRoomForTexts(this);
}

void Form2::form_load() {
  Check1->setChecked(gs_.HyoujiFlag == 1);
  if (gs_.SepFlag >= 0 && gs_.SepFlag <= 3) {
    Option1[gs_.SepFlag]->setChecked(true);
    if (gs_.SepFlag == kFree) {
      Option1_Click(kFree);
      Text1[0]->setText(QString::number(gs_.Xn));
      Text1[1]->setText(QString::number(gs_.Yn));
    }
  }
  // The boxes follow whichever preset is selected, a design one included.
  Option1_Click(divisionGroup_->checkedId());
  if (gs_.ColorFlag >= 0 && gs_.ColorFlag <= 5) Option2[gs_.ColorFlag]->setChecked(true);
  if (QAbstractButton* selected = divisionGroup_->checkedButton()) selected->setFocus();
}

void Form2::Option1_Click(int index) {
  const bool free = index == kFree;
  Text1[0]->setEnabled(free);
  Text1[1]->setEnabled(free);
}

int Form2::Text1_KeyPress(int index, int keyCode) {
  if (keyCode == kKeyBackspace) return keyCode;
  if (keyCode == kKeyEnter && index == 0) {
    Text1[1]->setFocus();
    return 0;
  }
  if (keyCode < '0' || keyCode > '9') return 0;
  return keyCode;
}

int Form2::countOf(int index) const {
  const double value = platform::roundHalfEven(platform::val(Text1[index]->text()));
  return int(std::clamp(value, -1.0e6, 1.0e6));
}

void Form2::Text1_Change(int index) {
  const int number = countOf(index);
  if (number < 0 || number > kMaxCells) {
    platform::MsgBox(tr(text::kCountRange), 48);
    Text1[index]->setText(text::kCountReset);
  }
}

void Form2::Command1_Click(int index) {
  if (index == 1) {
    reject();
    return;
  }
  const int preset = divisionGroup_->checkedId();
  int16_t sepFlag = gs_.SepFlag;
  int xn = gs_.Xn;
  int yn = gs_.Yn;
  if (preset >= 0 && preset < kFree) {
    sepFlag = int16_t(preset);
    xn = yn = kPresetCells[preset];
  } else if (preset == kFree) {
    sepFlag = kFree;
    xn = countOf(0);
    yn = countOf(1);
  }
  // A refused count leaves every value as it was, so a CANCEL that follows
  // really changes nothing.
  if (xn < 1 || yn < 1 || xn > kMaxCells || yn > kMaxCells) {
    platform::MsgBox(tr(text::kCountRange), 48);
    return;
  }
  // A grid the current picture cannot be cut into is refused while the player
  // can still correct it, in the same way as an out-of-range count.
  if (!boardFits(gs_.PictureWidth, gs_.PictureHeight, xn, yn)) {
    platform::MsgBox(boardTooSmallText(gs_.PictureWidth, gs_.PictureHeight, xn, yn), 48);
    return;
  }
  gs_.SepFlag = sepFlag;
  gs_.Xn = int16_t(xn);
  gs_.Yn = int16_t(yn);
  gs_.HyoujiFlag = Check1->isChecked() ? 1 : 0;
  gs_.ColorFlag = int16_t(chosenColor());
  accept();
}

int Form2::chosenColor() const { return std::max(0, colourGroup_->checkedId()); }

void Form2::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    for (QPushButton* button : Command1)
      if (button->hasFocus()) button->click();
    return;
  }
  QDialog::keyPressEvent(event);
}

bool Form2::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    for (int i = 0; i < 2; ++i) {
      if (watched != Text1[i]) continue;
      auto* key = static_cast<QKeyEvent*>(event);
      // Shortcuts (Ctrl+V and the like) are no typed characters; what they
      // insert still passes the box's digit filter.
      if (key->modifiers() & (Qt::ControlModifier | Qt::MetaModifier | Qt::AltModifier)) return false;
      int code = 0;
      if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)
        code = kKeyEnter;
      else if (key->key() == Qt::Key_Backspace)
        code = kKeyBackspace;
      else if (key->text().size() == 1 && key->text().at(0).isPrint())
        code = asciiDigit(key->text().at(0)).unicode();
      else
        return false;  // editing and clipboard keys keep their usual meaning
      return Text1_KeyPress(i, code) == 0;
    }
  }
  return QDialog::eventFilter(watched, event);
}

}  // namespace quavinto

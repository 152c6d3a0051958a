// The main window: its elements at their design places, the menu bar, the
// start-up order, and the plumbing from widget events to the game's handlers.
#include "shell/Form1.h"

#include "core/GameFlow.h"
#include "core/Geometry.h"
#include "core/MenuStates.h"
#include "core/PieceDrawing.h"
#include "interaction/BoardMoves.h"
#include "interaction/KeyboardPlay.h"
#include "interaction/ViewMoves.h"
#include "persistence/GameFileIo.h"
#include "persistence/KeptGame.h"
#include "persistence/PictureKey.h"
#include "persistence/Settings.h"
#include "pictures/BoardLayout.h"
#include "pictures/RecentPictures.h"
#include "platform/EventYield.h"
#include "platform/FileDialog.h"
#include "platform/ManualDrag.h"
#include "platform/MsgBox.h"
#include "platform/Screen.h"
#include "shell/GameInPlay.h"
#include "shell/Messages.h"
#include "shell/RecentPicturesMenu.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QShortcut>
#include <QTimer>
#include <QWindow>
#ifndef QT_NO_SESSIONMANAGER
#include <QSessionManager>
#endif

namespace quavinto {
namespace {

const QColor kLightGreen(128, 255, 128);  // 0x0080FF80
// How long a shown window waits for the window system to report its frame
// before it is arranged without one.
constexpr int kFrameWaitMs = 1000;

}  // namespace

QString tagOf(const QWidget* control) {
  if (const auto* box = qobject_cast<const platform::PictureBox*>(control)) return box->tag();
  return QString();
}

Form1::Form1(QWidget* parent) : QMainWindow(parent) {
  setWindowTitle(QStringLiteral("QUAVINTO"));
  setWindowIcon(QIcon(QStringLiteral(":/icon.png")));
  setAcceptDrops(true);
  cmdlgall = new platform::CommonDialog;
  pictureKeys = new PictureKeys(this);
  keeper = new GameKeeper(
      *this, [this] { return pictureKeys->future(); }, this);
  inPlay_ = new GameInPlay(*this, *keeper, *pictureKeys,
                           {[this] { placeClock(); }, [this](bool paused) { showPause(paused); },
                            [](const QString& text, int style) { platform::MsgBox(text, style); }},
                           this);
  buildWidgets();
  buildMenus();
  form_load();
#ifndef QT_NO_SESSIONMANAGER
  // The session's end is one more way of closing the main window.
  connect(qApp, &QGuiApplication::commitDataRequest, this, [this](QSessionManager& manager) {
    bool asked = false;
    const bool ends = sessionEnding([&] { return asked = manager.allowsInteraction(); });
    if (!ends) manager.cancel();
    if (asked) manager.release();
  });
#endif
}

Form1::~Form1() {
  platform::cancelDrag();
  delete cmdlgall;
  if (gs_.MemDC) platform::DeleteDC(gs_.MemDC);
  gs_.MemDC = nullptr;
}

void Form1::buildWidgets() {
  Client = new QWidget(this);
  Client->setAutoFillBackground(true);
  setCentralWidget(Client);
  resize(platform::twipsToPixelsX(8664), platform::twipsToPixelsY(4608));

  Picture1 = new platform::PictureBox(Client);
  Picture1->setGeometry(platform::twipsRect(192, 288, 4632, 3096));
  Picture1->setBackground(Qt::black);
  Picture1->setAutoSize(true);
  Picture1->setPicture(QImage(QStringLiteral(":/default.bmp")));
  Picture1->onMouseDown = [this](int button, int x, int y) {
    lastPressGlobal_ = Picture1->mapToGlobal(QPoint(x, y));
    lastPressButton_ = platform::mouseButton(button);
    Picture1_MouseDown(*this, button, x, y);
  };
  // Moved to a screen of another scale, the board is drawn again for it.
  Picture1->onRatioMismatch = [this] {
    if (!commandsHeld() && !platform::dragInProgress()) fitBoardToScreen(*this);
  };

  Picture2 = new platform::PictureBox(Picture1);
  Picture2->setGeometry(platform::twipsRect(0, 0, 750, 750));
  Picture2->setBackground(kLightGreen);
  Picture2->setTag(floatingTag());
  Picture2->onMouseDown = [this](int button, int x, int y) {
    lastPressGlobal_ = Picture2->mapToGlobal(QPoint(x, y));
    lastPressButton_ = platform::mouseButton(button);
    Picture2_MouseDown(*this, button, x, y);
  };

  keys = new KeyboardPlay(*this, Picture1, Picture2);

  QFont bold = font();
  bold.setBold(true);
  const auto makeNotice = [&](const QString& text, const QRect& r) {
    auto* label = new QLabel(text, Picture1);
    label->setFont(bold);
    label->setAutoFillBackground(true);
    QPalette palette = label->palette();
    palette.setColor(QPalette::Window, kLightGreen);
    palette.setColor(QPalette::WindowText, Qt::black);
    label->setPalette(palette);
    label->setGeometry(r);
    // The design width is for its own font; never cut the Japanese text off.
    label->resize(std::max(r.width(), label->sizeHint().width()), std::max(r.height(), label->sizeHint().height()));
    label->hide();
    return label;
  };
  Label2_0 = makeNotice(tr("パズルを並べ替え中です。"), platform::twipsRect(900, 1440, 3795, 300));
  Label2_1 = makeNotice(tr("しばらくお待ち下さい。"), platform::twipsRect(1440, 2040, 3480, 300));

  Picture3 = new platform::PictureBox(Client);
  Picture3->setGeometry(platform::twipsRect(6060, 300, 1995, 1815));
  Picture3->setBackground(Qt::black);
  Picture3->setTag(viewTag());
  Image1 = new platform::ImageBox(Picture3);
  Image1->setGeometry(platform::twipsRect(0, 0, 1932, 2232));
  Image1->onMouseDown = [this](int button, int x, int y) {
    lastPressGlobal_ = Image1->mapToGlobal(QPoint(x, y));
    Image1_MouseDown(*this, button, x, y);
  };

  Label1_0 = new QLabel(tr("完成図"), Client);
  Label1_0->setAlignment(Qt::AlignCenter);
  Label1_0->setAutoFillBackground(true);
  Label1_0->setGeometry(platform::twipsRect(8688, 48, 1032, 252));
  // Sized for the Japanese caption; a longer translation widens it (it stays
  // centred over the view).
  Label1_0->resize(std::max(Label1_0->width(), Label1_0->sizeHint().width()), Label1_0->height());

  Picture4 = new platform::PictureBox(Client);
  Picture4->setGeometry(platform::twipsRect(5088, 2640, 1764, 1380));
  Picture4->hide();

  platform::setDropHandler(Picture1, [this](QWidget* dragged, QPoint p) { onBoardDrop(dragged, p); });
  platform::setDropHandler(Picture2, [this](QWidget* dragged, QPoint p) { onFloatingDrop(dragged, p); });
  platform::setDropHandler(Image1, [this](QWidget* dragged, QPoint p) {
    if (tagOf(dragged) == viewTag()) Image1_DragDrop(*this, p.x(), p.y());
  });
  platform::setDropHandler(Client, [this](QWidget* dragged, QPoint p) {
    if (tagOf(dragged) == viewTag()) Form_DragDrop(*this, p.x(), p.y());
  });
}

QAction* Form1::addCommand(QMenu* menu, const QString& caption, void (Form1::*handler)(), WhilePreparing hold) {
  QAction* action = menu ? menu->addAction(caption) : menuBar()->addAction(caption);
  // Every menu command passes here: the ones that would rebuild the board
  // wait while a game is being prepared.
  connect(action, &QAction::triggered, this, [this, handler, hold] {
    if (hold == WhilePreparing::HeldBack && commandsHeld()) return;
    (this->*handler)();
  });
  return action;
}

void Form1::buildMenus() {
  QMenuBar* bar = menuBar();
  constexpr WhilePreparing runs = WhilePreparing::Runs, held = WhilePreparing::HeldBack;
  TopFile = bar->addMenu(tr("ファイル"));
  LoadPictureEx = addCommand(TopFile, tr("画像読み込み"), &Form1::LoadPictureEx_Click, held);
  RecentPictures = new RecentPicturesMenu(this, [this](const QString& path) {
    if (commandsHeld()) return;
    tellPictureOutcome(openRecentPicture(*this, path));
    offerLoadedPictureGame();
  });
  RecentPictures->gamesInProgress = [this] {
    QHash<QString, int32_t> played;
    if (!keeper->keeping()) return played;
    for (const KeptGame& kept : keeper->games().list()) {
      SavedGame game;
      if (loadGameFile(kept.filePath(), &game, nullptr) && !played.contains(game.pictureFile))
        played.insert(game.pictureFile, game.seconds);
    }
    return played;
  };
  TopFile->addMenu(RecentPictures);
  // Open whenever the picture command is.
  connect(LoadPictureEx, &QAction::changed, this,
          [this] { RecentPictures->menuAction()->setEnabled(LoadPictureEx->isEnabled()); });
  TopFile->addSeparator();
  ReadData = addCommand(TopFile, tr("データの読み込み"), &Form1::ReadData_Click, held);
  SaveData = addCommand(TopFile, tr("データの保存"), &Form1::SaveData_Click, runs);
  TopFile->addSeparator();
  Fin = addCommand(TopFile, tr("終了"), &Form1::Fin_Click, held);

  Game = bar->addMenu(tr("ゲーム"));
  GStart = addCommand(Game, tr("ゲーム開始"), &Form1::GStart_Click, held);
  GStop = addCommand(Game, tr("ゲーム中止"), &Form1::GStop_Click, runs);

  SetData1 = addCommand(nullptr, tr("設定"), &Form1::SetData1_Click, held);

  ScaleAll = bar->addMenu(tr("完成図の倍率"));
  XX1 = addCommand(ScaleAll, QStringLiteral("X 1"), &Form1::XX1_Click, runs);
  XX2 = addCommand(ScaleAll, QStringLiteral("X 1/2"), &Form1::XX2_Click, runs);
  XX4 = addCommand(ScaleAll, QStringLiteral("X 1/4"), &Form1::XX4_Click, runs);
  for (QAction* scale : {XX1, XX2, XX4}) scale->setCheckable(true);

  HELP = bar->addMenu(tr("HELP"));
  Index = addCommand(HELP, tr("目次"), &Form1::Index_Click, runs);
  Key_Search = addCommand(HELP, tr("キーワードで検索"), &Form1::Key_Search_Click, runs);
  HELP->addSeparator();
  About_Help = addCommand(HELP, tr("ヘルプについて"), &Form1::About_Help_Click, runs);
  About_Proguram = addCommand(HELP, tr("情報"), &Form1::About_Proguram_Click, runs);
  // F10 opens the first menu at its first command, as in other desktop
  // programs; a piece being dragged keeps the keyboard.
  connect(new QShortcut(QKeySequence(Qt::Key_F10), this), &QShortcut::activated, this, [this] {
    if (platform::dragInProgress()) return;
    menuBar()->setActiveAction(TopFile->menuAction());
    TopFile->setActiveAction(TopFile->actions().value(0));
  });
  buildPlayCommands();
  applyMenuEvent(*this, MenuEvent::Design);
}

void Form1::form_load() {
  gs_.SepFlag = 0;
  LoadSettings(gs_);
  gs_.PictureType = 1;
  gs_.GameRunning = 0;
  Image2 = Picture1->picture();
  applyMenuEvent(*this, MenuEvent::WindowLoaded);
  Picture1->move(Picture1->x() + 1, Picture1->y() + 1);
  Picture1->setAutoSize(false);
  Picture1->setAutoSize(true);
  gs_.PictureWidth = int16_t(Picture1->width());
  gs_.PictureHeight = int16_t(Picture1->height());
  Picture4->resize(Picture1->size());
  Picture4->move(-Picture4->width() - 10, -Picture4->height() - 10);
  ResetView();
  if (gs_.ZoomFlag == 1) XX1_Click();
  else if (gs_.ZoomFlag == 2) XX2_Click();
  else if (gs_.ZoomFlag == 4) XX4_Click();
  inPlay_->preparePictureKey();
}

void Form1::ResetView() {
  Picture1->show();
  SizeBoard(*this);
  if (gs_.MemDC) platform::DeleteDC(gs_.MemDC);
  gs_.MemDC = platform::CreateCompatibleDC(Picture1->hdc());
  // The view already holds the whole picture (SizeBoard keeps it); the board's
  // own picture is cut into pieces.
  ArrangeWindow();
  InitMap(gs_);
  // The board shows every piece home and upright; the flags say the same.
  gs_.RMap = Grid{};
  buildReversedImage(*this);
}

void Form1::showWaitNotice(bool visible, bool sharedLeft) {
  if (visible) {
    const int w = Picture1->width(), h = Picture1->height();
    const int left0 = w / 2 - Label2_0->width() / 2;
    Label2_0->move(left0, h / 2 - Label2_0->height());
    Label2_1->move(sharedLeft ? left0 : w / 2 - Label2_1->width() / 2, h / 2);
  }
  for (QLabel* label : {Label2_0, Label2_1}) {
    label->setVisible(visible);
    if (visible) label->raise();
  }
  // Painted now, before the slow step that follows.
  if (visible) {
    Label2_0->repaint();
    Label2_1->repaint();
  } else {
    Picture1->repaint(Label2_0->geometry().united(Label2_1->geometry()));
  }
}

void Form1::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (shownOnce_) return;
  shownOnce_ = true;
  // The window system frames the window some time after it is shown; the
  // outer size can only be right once the frame is known. The window keeps
  // its first size until it is on screen, where the window system placed it.
  awaitingFrame_ = true;
  QTimer::singleShot(kFrameWaitMs, this, [this] {
    if (!awaitingFrame_) return;
    awaitingFrame_ = false;
    ArrangeWindow();
  });
}

bool Form1::event(QEvent* event) {
  const QEvent::Type type = event->type();
  // The deferred delete of a closed window frees it inside the base handler:
  // nothing of the window is touched after that.
  const QPointer<Form1> alive(this);
  const bool handled = QMainWindow::event(event);
  if (!alive) return handled;
  if (awaitingFrame_ && !frameCheckPosted_) {
    switch (type) {
      case QEvent::Move:
      case QEvent::Resize:
      case QEvent::Paint:
      case QEvent::WindowActivate:
      case QEvent::ActivationChange:
      case QEvent::WindowStateChange:
      case QEvent::UpdateRequest:
        // Looked at once the event is done with: never arranged while painting.
        frameCheckPosted_ = true;
        QMetaObject::invokeMethod(
            this,
            [this] {
              frameCheckPosted_ = false;
              frameReported();
            },
            Qt::QueuedConnection);
        break;
      default: break;
    }
  }
  return handled;
}

void Form1::changeEvent(QEvent* event) {
  QMainWindow::changeEvent(event);
  // A game left behind a minimised window pauses.
  if (event->type() == QEvent::WindowStateChange && isMinimized()) pauseGame(*this);
  if (event->type() != QEvent::WindowStateChange || !arrangeWhenNormal_) return;
  if (isMaximized() || isMinimized() || isFullScreen()) return;
  // The window system gives the window back its old size as it leaves the
  // other state; the size the board needs now is set once that is done.
  QMetaObject::invokeMethod(
      this,
      [this] {
        if (arrangeWhenNormal_) ArrangeWindow();
      },
      Qt::QueuedConnection);
}

void Form1::frameReported() {
  const QWindow* window = windowHandle();
  if (!awaitingFrame_ || !window || !window->isExposed() || window->frameMargins().isNull()) return;
  awaitingFrame_ = false;
  ArrangeWindow();
}

void Form1::pictureReachedBoard() {
  inPlay_->preparePictureKey();
  // A picture loaded (not a game read) may have a game of its own waiting:
  // the picture command offers it once it is done.
  pictureLoaded_ = gs_.ResumeFlag == 0;
}

void Form1::startFloatingDrag() { platform::startDrag(Picture2, lastPressGlobal_, lastPressButton_, true); }

QAction* menuAction(const Form1& f, Menu menu) {
  switch (menu) {
    case Menu::GStart: return f.GStart;
    case Menu::GStop: return f.GStop;
    case Menu::SaveData: return f.SaveData;
    case Menu::ReadData: return f.ReadData;
    case Menu::ScaleAll: return f.ScaleAll->menuAction();
    case Menu::Game: return f.Game->menuAction();
    case Menu::SetData1: return f.SetData1;
    case Menu::LoadPictureEx: return f.LoadPictureEx;
    case Menu::Fin: return f.Fin;
  }
  return nullptr;
}

void Form1::setMenuEnabled(Menu menu, bool enabled) {
  if (QAction* action = menuAction(*this, menu)) action->setEnabled(enabled);
}

bool Form1::menuEnabled(Menu menu) const {
  const QAction* action = menuAction(*this, menu);
  return action && action->isEnabled();
}

void Form1::processEvents() { platform::yieldToWindow(); }

void Form1::playStarted() { keys->playStarted(); }

void Form1::onBoardDrop(QWidget* dragged, QPoint p) {
  const QString tag = tagOf(dragged);
  if (tag == viewTag()) placeViewOnBoard(*this, p.x(), p.y());
  Picture1_DragDrop(*this, tag, p.x(), p.y());
}

void Form1::onFloatingDrop(QWidget* dragged, QPoint p) {
  // The floating piece released over its own cell does nothing at all.
  if (tagOf(dragged) == viewTag()) placeViewOnBoard(*this, p.x() + Picture2->x(), p.y() + Picture2->y());
}

void Form1::GStart_Click() {
  if (!prepareStart(*this)) return;
  if (platform::MsgBox(startQuestionText(), 4) == platform::vbYes)
    beginStartedGame(*this);
  else
    declineStart(*this);
}

void Form1::emptyCellReached(int32_t x, int32_t y) { stopOnEmptyCell(gs_, v_, x, y); }
void Form1::GStop_Click() { quavinto::GStop_Click(*this); }

}  // namespace quavinto

// The main window: menus, board, finished-picture view; owns the game.
#pragma once

#include "core/GameHost.h"
#include "platform/PictureBox.h"

#include <QMainWindow>

namespace quavinto {

class Form1 : public QMainWindow, public GameHost {
  Q_OBJECT
public:
  explicit Form1(QWidget* parent = nullptr);
  ~Form1() override;

  GameState& state() override { return gs_; }
  MainVars& vars() override { return v_; }
  QImage* boardPicture() override { return Picture1->pictureBitmap(); }
  platform::Hdc boardDc() override { return Picture1->hdc(); }
  platform::Hdc floatingDc() override { return Picture2->hdc(); }
  platform::Hdc reversedDc() override { return Picture4->hdc(); }
  QSize boardSize() override { return Picture1->size(); }
  void refreshBoard() override { Picture1->refresh(); }
  void repaintBoardNow() override { Picture1->repaintNow(); }
  void refreshFloating() override { Picture2->refresh(); }
  void refreshReversed() override { Picture4->refresh(); }
  QPoint floatingPos() override { return Picture2->pos(); }
  void moveFloating(int left, int top) override { Picture2->move(left, top); }
  void showWaitNotice(bool) override {}
  void setMenuEnabled(Menu, bool) override {}
  void processEvents() override;

  platform::PictureBox* Picture1 = nullptr;
  platform::PictureBox* Picture2 = nullptr;
  platform::PictureBox* Picture4 = nullptr;

private:
  GameState gs_;
  MainVars v_;
};

}  // namespace quavinto

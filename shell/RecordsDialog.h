// The records of the picture on the board: for each grid played, its best
// games, best first, with a button that clears them after asking.
#pragma once

#include <QDialog>

#include "persistence/Records.h"

class QTreeWidget;
class QPushButton;

namespace quavinto {

class RecordsDialog : public QDialog {
  Q_OBJECT
 public:
  RecordsDialog(const QString& folder, const QString& pictureKey, const QString& pictureFile, QWidget* parent);
  // What reading (or clearing) the records found.
  const RecordStore::Outcome& outcome() const { return outcome_; }
  QTreeWidget* list() const { return list_; }
  QPushButton* clearButton() const { return clear_; }
  // Asks, then forgets every record of the picture.
  void clearRecords();

 private:
  void fill();
  RecordStore store_;
  QString picture_;
  RecordStore::Outcome outcome_;
  QTreeWidget* list_ = nullptr;
  QPushButton* clear_ = nullptr;
};

// The time of a record or of the clock, H:MM:SS.
QString playTimeText(int32_t seconds);

}  // namespace quavinto

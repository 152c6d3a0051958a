// The records dialog.
#include "shell/RecordsDialog.h"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QScrollBar>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "platform/MsgBox.h"
#include "platform/TextFigures.h"
#include "platform/UiSetup.h"

namespace quavinto {

QString playTimeText(int32_t seconds) {
  return QStringLiteral("%1:%2:%3")
      .arg(seconds / 3600)
      .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
      .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

namespace {

QString dateText(const QDateTime& when) {
  // The Japanese list keeps the dates it always showed; English ones read as
  // the desktop writes them.
  if (platform::currentUiLanguage() == platform::UiLanguage::Japanese)
    return when.toString(QStringLiteral("yyyy-MM-dd HH:mm"));
  return QLocale().toString(when, QLocale::ShortFormat);
}

}  // namespace

RecordsDialog::RecordsDialog(const QString& folder, const QString& pictureKey, const QString& pictureFile,
                             QWidget* parent)
    : QDialog(parent), store_(folder), picture_(pictureKey) {
  // The list is read without the lock when another copy holds it longer.
  store_.setLockWait(200);
  setWindowTitle(tr("記録"));
  auto* layout = new QVBoxLayout(this);
  const QString name = pictureFile.isEmpty() ? tr("標準の画像") : QFileInfo(pictureFile).fileName();
  layout->addWidget(new QLabel(tr("画像: %1").arg(name), this));
  list_ = new QTreeWidget(this);
  list_->setRootIsDecorated(false);
  list_->setHeaderLabels(
      {tr("盤"), tr("順位"), tr("時間"), tr("手数"), tr("最少"), tr("ヒント"), tr("日付"), tr("備考")});
  list_->setAccessibleName(tr("記録の一覧"));
  layout->addWidget(list_);
  auto* buttons = new QDialogButtonBox(this);
  clear_ = buttons->addButton(tr("記録を消去"), QDialogButtonBox::ResetRole);
  QPushButton* close = buttons->addButton(tr("閉じる"), QDialogButtonBox::RejectRole);
  close->setDefault(true);
  connect(clear_, &QPushButton::clicked, this, &RecordsDialog::clearRecords);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);
  fill();
  resize(sizeHint().width(), 320);
}

void RecordsDialog::fill() {
  list_->clear();
  QList<Record> records;
  outcome_ = store_.read(picture_, &records);
  int place = 0;
  for (qsizetype i = 0; i < records.size(); ++i) {
    const Record& r = records[i];
    place = i > 0 && records[i - 1].xn == r.xn && records[i - 1].yn == r.yn ? place + 1 : 1;
    auto* item = new QTreeWidgetItem(list_);
    item->setText(0, QStringLiteral(u"%1×%2").arg(r.xn).arg(r.yn));
    item->setText(1, platform::ordinal(place));
    item->setText(2, playTimeText(r.seconds));
    item->setText(3, QString::number(r.moves));
    // Games kept before the fewest moves were known show a dash.
    item->setText(4, r.fewest >= 0 ? QString::number(r.fewest) : QStringLiteral("–"));
    item->setText(5, QString::number(r.hints));
    item->setText(6, dateText(r.when));
    item->setText(7, r.resumed ? tr("保存データから再開") : QString());
    for (int column : {1, 2, 3, 4, 5}) item->setTextAlignment(column, Qt::AlignRight | Qt::AlignVCenter);
  }
  if (records.isEmpty()) {
    auto* item = new QTreeWidgetItem(list_);
    item->setText(0, outcome_.unreadable ? tr("記録を読み込めません") : tr("まだ記録はありません"));
    item->setFirstColumnSpanned(true);
    item->setFlags(Qt::NoItemFlags);
  }
  clear_->setEnabled(!records.isEmpty());
  // Every column as wide as its title and its widest entry, and the list wide
  // enough for all of them beside its frame and scroll bar: no row needs
  // scrolling sideways.
  int columns = 0;
  for (int c = 0; c < list_->columnCount(); ++c) {
    list_->resizeColumnToContents(c);
    columns += std::max(list_->columnWidth(c), list_->header()->sectionSizeHint(c));
  }
  list_->setMinimumWidth(columns + 2 * list_->frameWidth() + list_->verticalScrollBar()->sizeHint().width());
}

void RecordsDialog::clearRecords() {
  if (platform::MsgBox(tr("この画像の記録をすべて消去しますか？"), 36) != platform::vbYes) return;
  const RecordStore::Outcome cleared = store_.clear(picture_);
  fill();
  if (!cleared.ok) outcome_ = cleared;
}

}  // namespace quavinto

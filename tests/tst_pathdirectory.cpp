// The initial folder worked out from a stored picture or game-file path.
#include <QCoreApplication>
#include <QtTest>

#include "pictures/PathDirectory.h"

class TestPathDirectory : public QObject {
  Q_OBJECT

 private slots:
  void directoryOfPath_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("directory");
    // "<app>" stands for the program's own folder.
    const auto row = [](const char* name, const char* path, const char* dir) {
      QTest::newRow(name) << QString::fromUtf8(path) << QString::fromUtf8(dir);
    };
    row("plain", "/pics/cat.bmp", "/pics");
    row("dot in a folder name", "/my.dir/cat.bmp", "/my.dir");
    row("dots in folder and name", "/home/a.b/c.d/e.f.QVD", "/home/a.b/c.d");
    row("root", "/cat.bmp", "/");
    row("no dot", "/games/save1", "/games");
    row("trailing separator", "/games/", "/games");
    row("doubled separator", "/games//save1.QVD", "/games");
    row("doubled at root", "//save1.QVD", "/");
    row("deep", "/a/b/c/d/e.QVD", "/a/b/c/d");
    row("relative", "pics/cat.bmp", "pics");
    row("old game file", "C:\\pics\\cat.bmp", "C:\\pics");
    row("old game file, dot in folder", "C:\\my.dir\\cat.bmp", "C:\\my.dir");
    row("old game file, drive root", "C:\\cat.bmp", "C:\\");
    row("mixed separators", "/mnt/old\\pics\\cat.bmp", "/mnt/old\\pics");
    row("Japanese", "/写真/旅行.2023/猫.jpg", "/写真/旅行.2023");
    row("name only", "cat.bmp", "<app>");
    row("no dot, no separator", "cat", "<app>");
    row("empty", "", "<app>");
  }
  void directoryOfPath() {
    QFETCH(QString, path);
    QFETCH(QString, directory);
    if (directory == QStringLiteral("<app>")) {
      directory = QCoreApplication::applicationDirPath();
      QVERIFY(!directory.isEmpty());
    }
    QCOMPARE(quavinto::PathDirectory(path), directory);
  }
};

QTEST_GUILESS_MAIN(TestPathDirectory)
#include "tst_pathdirectory.moc"

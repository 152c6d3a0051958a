// The per-user settings store and the six preferences kept in it: defaults for
// anything missing, how stored text is read back as numbers, which values are
// refused, the exact text written, and a store that cannot be written.
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLockFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include "persistence/Settings.h"
#include "platform/AtomicWrite.h"
#include "platform/SettingsStore.h"
#include "support/TestSupport.h"

using quavinto::GameState;

namespace {

const QString kApp = QStringLiteral("XAN");
const QString kSection = QStringLiteral("QUAVINTO");

int fieldOf(const GameState& g, const QString& key) {
  for (const quavinto::SettingKey& k : quavinto::kSettingKeys)
    if (key == QLatin1String(k.name)) return g.*(k.field);
  return INT_MIN;
}

int defaultOf(const QString& key) {
  for (const quavinto::SettingKey& k : quavinto::kSettingKeys)
    if (key == QLatin1String(k.name)) return QString::fromLatin1(k.defaultText).toInt();
  return INT_MIN;
}

// A game state whose six fields hold values no default has, so that a field
// LoadSettings forgot to fill shows up.
GameState scribbled() {
  GameState g;
  g.Xn = g.Yn = g.SepFlag = g.HyoujiFlag = g.ColorFlag = g.ZoomFlag = -777;
  return g;
}

bool writeFile(const QString& path, const QByteArray& contents) {
  if (!QDir().mkpath(QFileInfo(path).absolutePath())) return false;
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
  return file.write(contents) == contents.size();
}

QByteArray readFile(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

class TestSettings : public QObject {
  Q_OBJECT

private slots:
  void storeIsPrivateToTheTest();
  void missingGivesDefault();
  void saveCreatesAndReplaces();
  void textsRoundTrip_data();
  void textsRoundTrip();
  void applicationsAreSeparateFiles();
  void keyTable();
  void firstRunGivesDefaults();
  void readsStoredValues_data();
  void readsStoredValues();
  void readsHandWrittenFile();
  void writesPlainDecimal_data();
  void writesPlainDecimal();
  void savingKeepsOtherEntries();
  void unwritableStoreReportsFailure();
  void storeIsWrittenWholeAndNeverThroughALink();
  void leftoverLockDoesNotDelayTheExit_data();
  void leftoverLockDoesNotDelayTheExit();
  void liveLockIsWaitedForBriefly();
  void absurdStoreIsSetAsideUnread();
  void storeThatIsNotAFileNeverHangs_data();
  void storeThatIsNotAFileNeverHangs();
  void twoCopiesExitingTogetherNeverMix();
};

void TestSettings::storeIsPrivateToTheTest() {
  QString privatePath;
  {
    testsupport::PrivateSettings store;
    QVERIFY(store.dir.isValid());
    privatePath = platform::settingsFilePath(kApp);
    QCOMPARE(privatePath, store.dir.path() + QStringLiteral("/XAN/XAN.ini"));
    QCOMPARE(store.path(), privatePath);
  }
  // Afterwards the store is the user's own again, not the removed folder.
  const QString userPath = platform::settingsFilePath(kApp);
  QVERIFY(userPath != privatePath);
  QCOMPARE(userPath, QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                         QStringLiteral("/XAN/XAN.ini"));
}

void TestSettings::missingGivesDefault() {
  testsupport::PrivateSettings store;
  // No file at all.
  QCOMPARE(platform::GetSetting(kApp, kSection, QStringLiteral("Xn"), QStringLiteral("dflt")), QStringLiteral("dflt"));
  QVERIFY(!QFile::exists(store.path()));
  QVERIFY(platform::SaveSetting(kApp, kSection, QStringLiteral("Xn"), QStringLiteral("9")));
  // The file exists, the section does not.
  QCOMPARE(platform::GetSetting(kApp, QStringLiteral("Other"), QStringLiteral("Xn"), QStringLiteral("d1")),
           QStringLiteral("d1"));
  // The section exists, the key does not.
  QCOMPARE(platform::GetSetting(kApp, kSection, QStringLiteral("Yn"), QStringLiteral("d2")), QStringLiteral("d2"));
  QCOMPARE(platform::GetSetting(kApp, kSection, QStringLiteral("Xn"), QStringLiteral("d3")), QStringLiteral("9"));
}

void TestSettings::saveCreatesAndReplaces() {
  testsupport::PrivateSettings store;
  QVERIFY(platform::SaveSetting(kApp, kSection, QStringLiteral("ColorFlag"), QStringLiteral("3")));
  QVERIFY(QFile::exists(store.path()));
  QCOMPARE(platform::GetSetting(kApp, kSection, QStringLiteral("ColorFlag"), QString()), QStringLiteral("3"));
  QVERIFY(platform::SaveSetting(kApp, kSection, QStringLiteral("ColorFlag"), QStringLiteral("4")));
  QCOMPARE(platform::GetSetting(kApp, kSection, QStringLiteral("ColorFlag"), QString()), QStringLiteral("4"));
  // One entry, replaced, not two.
  QCOMPARE(readFile(store.path()).count("ColorFlag"), 1);
}

void TestSettings::textsRoundTrip_data() {
  QTest::addColumn<QString>("text");
  QTest::newRow("number") << "12";
  QTest::newRow("leading blank") << " 12";
  QTest::newRow("trailing blank") << "12 ";
  QTest::newRow("empty") << "";
  QTest::newRow("comma") << "1,5";
  QTest::newRow("semicolon") << "a;b";
  QTest::newRow("equals sign") << "x=y";
  QTest::newRow("quotes") << "\"q\"";
  QTest::newRow("at sign first") << "@Invalid()";
  QTest::newRow("backslash") << "C:\\pictures\\a.bmp";
  QTest::newRow("japanese") << QString::fromUtf8("絵合わせ");
}

void TestSettings::textsRoundTrip() {
  QFETCH(QString, text);
  testsupport::PrivateSettings store;
  QVERIFY(platform::SaveSetting(kApp, kSection, QStringLiteral("Key"), text));
  QCOMPARE(platform::GetSetting(kApp, kSection, QStringLiteral("Key"), QStringLiteral("missing")), text);
}

void TestSettings::applicationsAreSeparateFiles() {
  testsupport::PrivateSettings store;
  QVERIFY(platform::SaveSetting(QStringLiteral("APPA"), kSection, QStringLiteral("K"), QStringLiteral("a")));
  QVERIFY(platform::SaveSetting(QStringLiteral("APPB"), kSection, QStringLiteral("K"), QStringLiteral("b")));
  QVERIFY(platform::settingsFilePath(QStringLiteral("APPA")) != platform::settingsFilePath(QStringLiteral("APPB")));
  QVERIFY(QFile::exists(platform::settingsFilePath(QStringLiteral("APPA"))));
  QVERIFY(QFile::exists(platform::settingsFilePath(QStringLiteral("APPB"))));
  QCOMPARE(platform::GetSetting(QStringLiteral("APPA"), kSection, QStringLiteral("K"), QString()), QStringLiteral("a"));
  QCOMPARE(platform::GetSetting(QStringLiteral("APPB"), kSection, QStringLiteral("K"), QString()), QStringLiteral("b"));
  QCOMPARE(platform::GetSetting(QStringLiteral("APPC"), kSection, QStringLiteral("K"), QStringLiteral("none")),
           QStringLiteral("none"));
}

void TestSettings::keyTable() {
  QCOMPARE(quavinto::settingsApplication(), QStringLiteral("XAN"));
  QCOMPARE(quavinto::settingsSection(), QStringLiteral("QUAVINTO"));
  const char* names[] = {"Xn", "Yn", "SepFlag", "HyoujiFlag", "ColorFlag", "ZoomFlag"};
  const char* defaults[] = {"5", "5", "0", "0", "0", "1"};
  int16_t GameState::*fields[] = {&GameState::Xn,         &GameState::Yn,        &GameState::SepFlag,
                                  &GameState::HyoujiFlag, &GameState::ColorFlag, &GameState::ZoomFlag};
  for (int i = 0; i < 6; ++i) {
    QCOMPARE(quavinto::kSettingKeys[i].name, names[i]);
    QCOMPARE(quavinto::kSettingKeys[i].defaultText, defaults[i]);
    QVERIFY(quavinto::kSettingKeys[i].field == fields[i]);
  }
}

void TestSettings::firstRunGivesDefaults() {
  testsupport::PrivateSettings store;
  GameState g = scribbled();
  quavinto::LoadSettings(g);
  QCOMPARE(int(g.Xn), 5);
  QCOMPARE(int(g.Yn), 5);
  QCOMPARE(int(g.SepFlag), 0);
  QCOMPARE(int(g.HyoujiFlag), 0);
  QCOMPARE(int(g.ColorFlag), 0);
  QCOMPARE(int(g.ZoomFlag), 1);
  // Reading writes nothing.
  QVERIFY(!QFile::exists(store.path()));
}

void TestSettings::readsStoredValues_data() {
  QTest::addColumn<QString>("key");
  QTest::addColumn<QString>("text");
  QTest::addColumn<int>("expected");
  QTest::newRow("Xn leading blank") << "Xn" << " 12" << 12;
  QTest::newRow("Xn trailing letter") << "Xn" << "7x" << 7;
  QTest::newRow("Xn letters") << "Xn" << "abc" << 5;
  QTest::newRow("Xn empty") << "Xn" << "" << 5;
  QTest::newRow("Xn 2.5 to even") << "Xn" << "2.5" << 2;
  QTest::newRow("Xn 3.5 to even") << "Xn" << "3.5" << 4;
  QTest::newRow("Xn 1 lowest") << "Xn" << "1" << 1;
  QTest::newRow("Xn 30 highest") << "Xn" << "30" << 30;
  QTest::newRow("Xn 30.5 rounds to 30") << "Xn" << "30.5" << 30;
  QTest::newRow("Xn 0") << "Xn" << "0" << 5;
  QTest::newRow("Xn 0.5 rounds to 0") << "Xn" << "0.5" << 5;
  QTest::newRow("Xn 31") << "Xn" << "31" << 5;
  QTest::newRow("Xn negative") << "Xn" << "-3" << 5;
  QTest::newRow("Xn 40000") << "Xn" << "40000" << 5;
  QTest::newRow("Yn 1.5 to even") << "Yn" << "1.5" << 2;
  QTest::newRow("Yn 0") << "Yn" << "0" << 5;
  QTest::newRow("Yn 31") << "Yn" << "31" << 5;
  QTest::newRow("Yn 30") << "Yn" << "30" << 30;
  QTest::newRow("SepFlag -1 as read") << "SepFlag" << "-1" << -1;
  QTest::newRow("SepFlag 40000") << "SepFlag" << "40000" << 0;
  QTest::newRow("SepFlag -40000") << "SepFlag" << "-40000" << 0;
  QTest::newRow("SepFlag 32767") << "SepFlag" << "32767" << 32767;
  QTest::newRow("SepFlag -32768") << "SepFlag" << "-32768" << -32768;
  QTest::newRow("SepFlag 32767.5 rounds past") << "SepFlag" << "32767.5" << 0;
  QTest::newRow("HyoujiFlag 2.5 to even") << "HyoujiFlag" << "2.5" << 2;
  QTest::newRow("HyoujiFlag -40000") << "HyoujiFlag" << "-40000" << 0;
  QTest::newRow("ColorFlag 9 as read") << "ColorFlag" << "9" << 9;
  QTest::newRow("ColorFlag 40000") << "ColorFlag" << "40000" << 0;
  QTest::newRow("ZoomFlag 3 as read") << "ZoomFlag" << "3" << 3;
  QTest::newRow("ZoomFlag 40000 to its default") << "ZoomFlag" << "40000" << 1;
  QTest::newRow("ZoomFlag -40000 to its default") << "ZoomFlag" << "-40000" << 1;
  QTest::newRow("ZoomFlag letters read as 0") << "ZoomFlag" << "abc" << 0;
  QTest::newRow("ZoomFlag empty read as 0") << "ZoomFlag" << "" << 0;
}

void TestSettings::readsStoredValues() {
  QFETCH(QString, key);
  QFETCH(QString, text);
  QFETCH(int, expected);
  testsupport::PrivateSettings store;
  QVERIFY(platform::SaveSetting(kApp, kSection, key, text));
  GameState g = scribbled();
  quavinto::LoadSettings(g);
  QCOMPARE(fieldOf(g, key), expected);
  // The other five keys are missing and take their defaults.
  for (const quavinto::SettingKey& k : quavinto::kSettingKeys) {
    const QString other = QString::fromLatin1(k.name);
    if (other != key) QCOMPARE(fieldOf(g, other), defaultOf(other));
  }
}

void TestSettings::readsHandWrittenFile() {
  testsupport::PrivateSettings store;
  QVERIFY(writeFile(store.path(), "[QUAVINTO]\nXn=12\nYn=7x\nSepFlag=-1\nHyoujiFlag=1\nColorFlag=9\nZoomFlag=4\n"
                                  "[Other]\nXn=3\n"));
  GameState g = scribbled();
  quavinto::LoadSettings(g);
  QCOMPARE(int(g.Xn), 12);
  QCOMPARE(int(g.Yn), 7);
  QCOMPARE(int(g.SepFlag), -1);
  QCOMPARE(int(g.HyoujiFlag), 1);
  QCOMPARE(int(g.ColorFlag), 9);
  QCOMPARE(int(g.ZoomFlag), 4);
}

void TestSettings::writesPlainDecimal_data() {
  QTest::addColumn<int>("xn");
  QTest::addColumn<int>("yn");
  QTest::addColumn<int>("sep");
  QTest::addColumn<int>("hyouji");
  QTest::addColumn<int>("color");
  QTest::addColumn<int>("zoom");
  QTest::newRow("free 12 x 7") << 12 << 7 << 3 << 1 << 5 << 4;
  QTest::newRow("defaults") << 5 << 5 << 0 << 0 << 0 << 1;
  QTest::newRow("negative flag") << 30 << 1 << -1 << 0 << 2 << 2;
  QTest::newRow("16-bit edges") << 1 << 30 << 32767 << -32768 << 0 << 1;
}

void TestSettings::writesPlainDecimal() {
  QFETCH(int, xn);
  QFETCH(int, yn);
  QFETCH(int, sep);
  QFETCH(int, hyouji);
  QFETCH(int, color);
  QFETCH(int, zoom);
  testsupport::PrivateSettings store;
  GameState g;
  g.Xn = int16_t(xn);
  g.Yn = int16_t(yn);
  g.SepFlag = int16_t(sep);
  g.HyoujiFlag = int16_t(hyouji);
  g.ColorFlag = int16_t(color);
  g.ZoomFlag = int16_t(zoom);
  QVERIFY(quavinto::SaveSettings(g));

  const int values[] = {xn, yn, sep, hyouji, color, zoom};
  const QByteArray file = readFile(store.path());
  QVERIFY(file.contains("[QUAVINTO]"));
  for (int i = 0; i < 6; ++i) {
    const QString key = QString::fromLatin1(quavinto::kSettingKeys[i].name);
    const QString text = QString::number(values[i]);
    QCOMPARE(platform::GetSetting(kApp, kSection, key, QStringLiteral("missing")), text);
    // Written bare in the file, as a person editing it by hand would expect.
    const QByteArray line = key.toLatin1() + '=' + text.toLatin1();
    QVERIFY2(file.split('\n').contains(line), qPrintable(QStringLiteral("no line %1 in:\n%2")
                                                            .arg(QString::fromLatin1(line), QString::fromUtf8(file))));
  }

  GameState back = scribbled();
  quavinto::LoadSettings(back);
  QCOMPARE(int(back.Xn), xn);
  QCOMPARE(int(back.Yn), yn);
  QCOMPARE(int(back.SepFlag), sep);
  QCOMPARE(int(back.HyoujiFlag), hyouji);
  QCOMPARE(int(back.ColorFlag), color);
  QCOMPARE(int(back.ZoomFlag), zoom);
}

void TestSettings::savingKeepsOtherEntries() {
  testsupport::PrivateSettings store;
  QVERIFY(platform::SaveSetting(kApp, QStringLiteral("Other"), QStringLiteral("Xn"), QStringLiteral("keep")));
  QVERIFY(platform::SaveSetting(kApp, kSection, QStringLiteral("Extra"), QStringLiteral("also")));
  GameState g;
  g.Xn = 8;
  g.Yn = 9;
  g.ZoomFlag = 2;
  QVERIFY(quavinto::SaveSettings(g));
  QCOMPARE(platform::GetSetting(kApp, QStringLiteral("Other"), QStringLiteral("Xn"), QString()), QStringLiteral("keep"));
  QCOMPARE(platform::GetSetting(kApp, kSection, QStringLiteral("Extra"), QString()), QStringLiteral("also"));
  QCOMPARE(platform::GetSetting(kApp, kSection, QStringLiteral("Xn"), QString()), QStringLiteral("8"));
}

void TestSettings::unwritableStoreReportsFailure() {
  // The root lies under a plain file, so no folder can be made there, even by
  // root (a read-only folder would not stop root).
  QTemporaryDir dir;
  QVERIFY(dir.isValid());
  const QString blocker = dir.filePath(QStringLiteral("afile"));
  QVERIFY(writeFile(blocker, "not a folder"));
  platform::setSettingsRoot(blocker + QStringLiteral("/sub"));

  QElapsedTimer timer;
  timer.start();
  const bool one = platform::SaveSetting(kApp, kSection, QStringLiteral("Xn"), QStringLiteral("7"));
  GameState g;
  g.Xn = 7;
  g.Yn = 7;
  g.ZoomFlag = 1;
  const bool all = quavinto::SaveSettings(g);
  const QString read = platform::GetSetting(kApp, kSection, QStringLiteral("Xn"), QStringLiteral("dflt"));
  GameState loaded = scribbled();
  quavinto::LoadSettings(loaded);
  const qint64 elapsed = timer.elapsed();
  platform::setSettingsRoot(QString());

  QVERIFY2(!one, "SaveSetting reported success on a store that cannot be written");
  QVERIFY2(!all, "SaveSettings reported success on a store that cannot be written");
  QCOMPARE(read, QStringLiteral("dflt"));
  QCOMPARE(int(loaded.Xn), 5);
  QCOMPARE(int(loaded.ZoomFlag), 1);
  QVERIFY2(elapsed < 5000, qPrintable(QStringLiteral("took %1 ms").arg(elapsed)));
  QCOMPARE(readFile(blocker), QByteArray("not a folder"));
}

// The store is replaced whole or not at all: a full disk leaves the old file
// as it was, and a link planted where the store lies is replaced by the
// store, its target (another file of the player's, no INI text, so kept
// aside rather than refusing every write) left untouched.
void TestSettings::storeIsWrittenWholeAndNeverThroughALink() {
  testsupport::PrivateSettings store;
  const QByteArray before = "[QUAVINTO]\nXn=9\nYn=4\n";
  QVERIFY(writeFile(store.path(), before));
  platform::setWriteFailureForTests(4);
  const bool savedOnFullDisk = platform::SaveSetting(kApp, kSection, QStringLiteral("Xn"), QStringLiteral("12"));
  platform::setWriteFailureForTests(-1);
  QVERIFY2(!savedOnFullDisk, "a write cut by a full disk was reported as saved");
  QCOMPARE(readFile(store.path()), before);

  QTemporaryDir elsewhere;
  const QString target = elsewhere.filePath(QStringLiteral("notes.txt"));
  QVERIFY(writeFile(target, "the player's own notes\n"));
  QVERIFY(QFile::remove(store.path()));
  QVERIFY(QFile::link(target, store.path()));
  QVERIFY(platform::SaveSetting(kApp, kSection, QStringLiteral("Xn"), QStringLiteral("12")));
  QCOMPARE(readFile(target), QByteArray("the player's own notes\n"));
  QVERIFY(!QFileInfo(store.path()).isSymLink());
  QVERIFY(QFileInfo(store.path() + QStringLiteral(".bad")).isSymLink());
  QCOMPARE(platform::GetSetting(kApp, kSection, QStringLiteral("Xn"), QString()), QStringLiteral("12"));
  QCOMPARE(QFile::permissions(store.path()) & (QFile::ReadOther | QFile::ReadGroup), QFile::Permissions());
}

namespace {

GameState chosen() {
  GameState g;
  g.Xn = 12;
  g.Yn = 7;
  g.SepFlag = 3;
  g.HyoujiFlag = 1;
  g.ColorFlag = 4;
  g.ZoomFlag = 2;
  return g;
}

void compareSix(const GameState& a, const GameState& b) {
  for (const quavinto::SettingKey& k : quavinto::kSettingKeys) QCOMPARE(a.*(k.field), b.*(k.field));
}

}  // namespace

// A lock file left by a killed process: nameless (killed while taking it, just
// now or long ago) or naming a process that is gone. The exit writes at once.
void TestSettings::leftoverLockDoesNotDelayTheExit_data() {
  QTest::addColumn<QString>("kind");
  QTest::newRow("nameless, just left") << QStringLiteral("fresh");
  QTest::newRow("nameless, an hour old") << QStringLiteral("old");
  QTest::newRow("owner gone") << QStringLiteral("dead");
}

void TestSettings::leftoverLockDoesNotDelayTheExit() {
  QFETCH(QString, kind);
  testsupport::PrivateSettings store;
  const QString lockPath = store.path() + QStringLiteral(".lock");
  QVERIFY(writeFile(store.path(), "[QUAVINTO]\nXn=5\n"));
  if (kind == QLatin1String("dead")) {
    const pid_t child = fork();
    QVERIFY(child >= 0);
    if (child == 0) {
      auto* lock = new QLockFile(lockPath);  // never unlocked: the process dies holding it
      _exit(lock->tryLock(0) ? 0 : 1);
    }
    int status = 0;
    QCOMPARE(waitpid(child, &status, 0), child);
    QCOMPARE(WEXITSTATUS(status), 0);
  } else {
    QVERIFY(writeFile(lockPath, QByteArray()));
    if (kind == QLatin1String("old")) {
      QFile lock(lockPath);
      QVERIFY(lock.open(QIODevice::ReadWrite));
      QVERIFY(lock.setFileTime(QDateTime::currentDateTime().addSecs(-3600), QFileDevice::FileModificationTime));
    }
  }
  QVERIFY(QFile::exists(lockPath));
  QElapsedTimer timer;
  timer.start();
  QVERIFY(quavinto::SaveSettings(chosen()));
  const qint64 elapsed = timer.elapsed();
  QVERIFY2(elapsed < 1000, qPrintable(QStringLiteral("the exit waited %1 ms").arg(elapsed)));
  GameState back = scribbled();
  quavinto::LoadSettings(back);
  compareSix(back, chosen());
  QVERIFY(!QFile::exists(lockPath));
}

// Another copy writing right now holds the lock: the exit waits a moment,
// then goes on without writing rather than keep the player waiting.
void TestSettings::liveLockIsWaitedForBriefly() {
  testsupport::PrivateSettings store;
  QVERIFY(writeFile(store.path(), "[QUAVINTO]\nXn=5\n"));
  QLockFile other(store.path() + QStringLiteral(".lock"));
  QVERIFY(other.tryLock(0));
  QElapsedTimer timer;
  timer.start();
  QVERIFY(!quavinto::SaveSettings(chosen()));
  const qint64 elapsed = timer.elapsed();
  QVERIFY2(elapsed < 1500, qPrintable(QStringLiteral("the exit waited %1 ms").arg(elapsed)));
  QCOMPARE(readFile(store.path()), QByteArray("[QUAVINTO]\nXn=5\n"));
  // Once the other copy is done, writing works again.
  other.unlock();
  QVERIFY(quavinto::SaveSettings(chosen()));
}

// A store file far larger than any the program writes (30 MB) is neither
// parsed at start-up nor at the exit: it is kept aside as "<file>.bad" and the
// six values go into a fresh file, quickly.
void TestSettings::absurdStoreIsSetAsideUnread() {
  testsupport::PrivateSettings store;
  QByteArray absurd = "[QUAVINTO]\nXn=9\n";
  absurd.reserve(31 * 1024 * 1024);
  for (int i = 0; absurd.size() < 30 * 1024 * 1024; ++i)
    absurd += "key" + QByteArray::number(i) + "=some value of no use\n";
  QVERIFY(writeFile(store.path(), absurd));

  QElapsedTimer timer;
  timer.start();
  GameState loaded = scribbled();
  quavinto::LoadSettings(loaded);
  const qint64 loadMs = timer.restart();
  QVERIFY(quavinto::SaveSettings(chosen()));
  const qint64 saveMs = timer.elapsed();
  QVERIFY2(loadMs < 1000 && saveMs < 1000, qPrintable(QStringLiteral("load %1 ms, save %2 ms").arg(loadMs).arg(saveMs)));
  QCOMPARE(int(loaded.Xn), 5);  // the defaults: the file was not read
  QVERIFY(QFileInfo(store.path()).size() < 1000);
  QCOMPARE(QFileInfo(store.path() + QStringLiteral(".bad")).size(), qint64(absurd.size()));
  GameState back = scribbled();
  quavinto::LoadSettings(back);
  compareSix(back, chosen());
}

// A named pipe where the store should be would block any read for good: the
// start-up uses the defaults and the exit replaces it; so for a device, a
// folder and a file far too big. A NUL in a value is no number: the default.
// Run in a child with an alarm, so a hang fails the test instead of stalling it.
void TestSettings::storeThatIsNotAFileNeverHangs_data() { testsupport::addHostileFileRows(); }
void TestSettings::storeThatIsNotAFileNeverHangs() {
  QFETCH(QString, kind);
  testsupport::PrivateSettings store;
  QVERIFY(QDir().mkpath(QFileInfo(store.path()).absolutePath()));
  QByteArray withNul = "[QUAVINTO]\nXn=1@2\n";
  QVERIFY(
      testsupport::makeHostileFile(store.path(), kind, platform::kMaxSettingsFileBytes, withNul.replace('@', '\0')));
  alarm(0);
  const pid_t child = fork();
  QVERIFY(child >= 0);
  if (child == 0) {
    alarm(5);
    GameState loaded = scribbled();
    quavinto::LoadSettings(loaded);
    const bool saved = quavinto::SaveSettings(chosen());
    GameState back = scribbled();
    quavinto::LoadSettings(back);
    _exit(loaded.Xn == 5 && saved && back.Xn == 12 ? 0 : 1);
  }
  int status = 0;
  QCOMPARE(waitpid(child, &status, 0), child);
  QVERIFY2(WIFEXITED(status), "the store hung");
  QCOMPARE(WEXITSTATUS(status), 0);
  QVERIFY(QFileInfo(store.path()).isFile());
}

// Two copies of the program leave at the same moment, each with its own six
// values: the store ends with all six of one of them, never a mixture. Both
// wait on the lock this test holds, so their writes meet head on.
void TestSettings::twoCopiesExitingTogetherNeverMix() {
  testsupport::PrivateSettings store;
  QVERIFY(writeFile(store.path(), "[QUAVINTO]\n"));
  GameState first = chosen();
  GameState second;
  second.Xn = 30;
  second.Yn = 1;
  second.SepFlag = 0;
  second.HyoujiFlag = 0;
  second.ColorFlag = 5;
  second.ZoomFlag = 4;
  for (int round = 0; round < 3; ++round) {
    QLockFile held(store.path() + QStringLiteral(".lock"));
    QVERIFY(held.tryLock(0));
    pid_t children[2];
    for (int i = 0; i < 2; ++i) {
      children[i] = fork();
      QVERIFY(children[i] >= 0);
      if (children[i] == 0) _exit(quavinto::SaveSettings(i == 0 ? first : second) ? 0 : 1);
    }
    QTest::qSleep(150);
    held.unlock();
    for (const pid_t child : children) {
      int status = 0;
      QCOMPARE(waitpid(child, &status, 0), child);
      QVERIFY(WIFEXITED(status));
    }
    GameState back = scribbled();
    quavinto::LoadSettings(back);
    const GameState& winner = back.Xn == first.Xn ? first : second;
    compareSix(back, winner);
  }
}

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"

// Every Japanese text in the program's sources goes through Qt's translation
// system: each Japanese string literal is the source text of tr(),
// QCoreApplication::translate(), QT_TR_NOOP() or QT_TRANSLATE_NOOP(3), written
// as a plain UTF-8 literal, and no comment is in Japanese. A text left outside
// would stay Japanese in every language.
#include <QDirIterator>
#include <QFile>
#include <QLocale>
#include <QTest>
#include <QTranslator>
#include <algorithm>

#include "platform/TextFigures.h"
#include "platform/UiSetup.h"

namespace {

bool isJapanese(QChar c) {
  const ushort u = c.unicode();
  return (u >= 0x3000 && u <= 0x30FF) || (u >= 0x4E00 && u <= 0x9FFF) || (u >= 0xFF00 && u <= 0xFFEF);
}

bool hasJapanese(const QString& s) { return std::any_of(s.begin(), s.end(), isJapanese); }

bool isWordChar(QChar c) { return c.isLetterOrNumber() || c == QLatin1Char('_'); }

struct Token {
  enum Kind { Word, Punct, Literal } kind;
  QString text;       // the word, the punctuation character, or the literal's body
  bool plain = true;  // a literal without an encoding prefix (u, U, L)
  int line = 0;
};

// Splits C++ source into words, punctuation and string literals, skipping
// character literals and comments; Japanese comments are reported as found.
QList<Token> tokenize(const QString& src, QStringList* problems) {
  QList<Token> tokens;
  int line = 1;
  const int n = int(src.size());
  for (int i = 0; i < n;) {
    const QChar c = src[i];
    if (c == QLatin1Char('\n')) ++line;
    if (src.mid(i, 2) == QLatin1String("//") || src.mid(i, 2) == QLatin1String("/*")) {
      const bool block = src[i + 1] == QLatin1Char('*');
      int end = block ? int(src.indexOf(QLatin1String("*/"), i + 2)) : int(src.indexOf(QLatin1Char('\n'), i));
      end = end < 0 ? n : end + (block ? 2 : 0);
      if (hasJapanese(src.mid(i, end - i)))
        problems->append(QStringLiteral("line %1: Japanese in a comment").arg(line));
      line += int(src.mid(i, end - i).count(QLatin1Char('\n')));
      i = end;
    } else if (isWordChar(c)) {
      int end = i;
      while (end < n && isWordChar(src[end])) ++end;
      const QString word = src.mid(i, end - i);
      const bool prefix = end < n && src[end] == QLatin1Char('"') &&
                          QStringList{"u", "U", "L", "u8", "R", "uR", "UR", "LR", "u8R"}.contains(word);
      if (!prefix) {
        tokens.append({Token::Word, word, true, line});
        i = end;
        continue;
      }
      // A prefixed literal: raw literals end at )delimiter".
      int close;
      if (word.endsWith(QLatin1Char('R'))) {
        const int open = int(src.indexOf(QLatin1Char('('), end));
        const QString delimiter = QLatin1Char(')') + src.mid(end + 1, open - end - 1) + QLatin1Char('"');
        close = int(src.indexOf(delimiter, open)) + int(delimiter.size()) - 1;
      } else {
        close = end + 1;
        while (close < n && src[close] != QLatin1Char('"')) close += src[close] == QLatin1Char('\\') ? 2 : 1;
      }
      const QString body = src.mid(end + 1, close - end - 1);
      tokens.append({Token::Literal, body, word == QLatin1String("u8") || word == QLatin1String("R"), line});
      line += int(body.count(QLatin1Char('\n')));
      i = close + 1;
    } else if (c == QLatin1Char('"')) {
      int close = i + 1;
      while (close < n && src[close] != QLatin1Char('"')) close += src[close] == QLatin1Char('\\') ? 2 : 1;
      tokens.append({Token::Literal, src.mid(i + 1, close - i - 1), true, line});
      i = close + 1;
    } else if (c == QLatin1Char('\'') && !(i > 0 && isWordChar(src[i - 1]))) {
      int close = i + 1;  // a character literal (a quote after a digit separates digits)
      while (close < n && src[close] != QLatin1Char('\'')) close += src[close] == QLatin1Char('\\') ? 2 : 1;
      i = close + 1;
    } else {
      if (!c.isSpace()) tokens.append({Token::Punct, QString(c), true, line});
      ++i;
    }
  }
  return tokens;
}

bool isPunct(const QList<Token>& t, int i, char c) {
  return i >= 0 && i < t.size() && t[i].kind == Token::Punct && t[i].text == QLatin1Char(c);
}
bool isWord(const QList<Token>& t, int i, const QStringList& words) {
  return i >= 0 && t[i].kind == Token::Word && words.contains(t[i].text);
}

// The Japanese string literals of `src` that are not a translation's source
// text, and the Japanese comments, one line each.
QStringList untranslated(const QString& src) {
  QStringList problems;
  const QList<Token> t = tokenize(src, &problems);
  for (int i = 0; i < t.size(); ++i) {
    if (t[i].kind != Token::Literal || !hasJapanese(t[i].text)) continue;
    // The run of adjacent literals this one belongs to, which the compiler joins.
    int first = i, last = i;
    while (first > 0 && t[first - 1].kind == Token::Literal) --first;
    while (last + 1 < t.size() && t[last + 1].kind == Token::Literal) ++last;
    bool plain = true;
    for (int k = first; k <= last; ++k) plain = plain && t[k].plain;
    const bool closed = isPunct(t, last + 1, ')') || isPunct(t, last + 1, ',');
    // tr("…") / QT_TR_NOOP("…"), or translate("Context", "…") / QT_TRANSLATE_NOOP("Context", "…").
    const bool own = isPunct(t, first - 1, '(') && isWord(t, first - 2, {"tr", "QT_TR_NOOP"});
    const bool withContext = isPunct(t, first - 1, ',') && first >= 2 && t[first - 2].kind == Token::Literal &&
                             isPunct(t, first - 3, '(') &&
                             isWord(t, first - 4, {"translate", "QT_TRANSLATE_NOOP", "QT_TRANSLATE_NOOP3"});
    if (!(plain && closed && (own || withContext)))
      problems.append(QStringLiteral("line %1: \"%2\" is not translated").arg(t[i].line).arg(t[i].text));
    i = last;
  }
  return problems;
}

}  // namespace

class TstTranslatable : public QObject {
  Q_OBJECT
 private slots:
  // The check itself: what it accepts and what it reports.
  void check_data() {
    QTest::addColumn<QString>("source");
    QTest::addColumn<int>("problems");
    QTest::newRow("tr") << QStringLiteral(u"x = tr(\"ゲーム開始\");") << 0;
    QTest::newRow("tr with comment") << QStringLiteral(u"tr(\"記録\", \"menu\")") << 0;
    QTest::newRow("translate") << QStringLiteral(u"QCoreApplication::translate(\"GameFlow\", \"完成\" \"です\")") << 0;
    QTest::newRow("table") << QStringLiteral(u"const char k[] = QT_TRANSLATE_NOOP(\"Form2\", \"白\");") << 0;
    QTest::newRow("table with comments")
        << QStringLiteral(u"Text k[] = {QT_TRANSLATE_NOOP3(\"GameFlow\", \"完成\", \"under an hour\")};") << 0;
    QTest::newRow("ascii literal") << QStringLiteral(u"QStringLiteral(u\"HELP\")") << 0;
    QTest::newRow("digit separators") << QStringLiteral(u"n = 100'000; s = tr(\"万\");") << 0;
    QTest::newRow("QStringLiteral") << QStringLiteral(u"QStringLiteral(u\"ゲーム開始\")") << 1;
    QTest::newRow("prefixed in tr") << QStringLiteral(u"tr(u\"ゲーム開始\")") << 1;
    QTest::newRow("other call") << QStringLiteral(u"MsgBox(\"終了\", 0)") << 1;
    QTest::newRow("context only") << QStringLiteral(u"translate(\"完成\")") << 1;
    QTest::newRow("joined outside") << QStringLiteral(u"tr(\"完成\") + \"です\"") << 1;
    QTest::newRow("table of char16_t") << QStringLiteral(u"const char16_t k[] = u\"白\";") << 1;
    QTest::newRow("raw literal") << QStringLiteral(u"QString(R\"(黒)\")") << 1;
    QTest::newRow("comment") << QStringLiteral(u"int x;  // 完成図\n/* 盤 */") << 2;
  }
  void check() {
    QFETCH(QString, source);
    QFETCH(int, problems);
    QCOMPARE(untranslated(source).size(), problems);
  }

  // Every source file of the program, one row each.
  void sources_data() {
    QTest::addColumn<QString>("path");
    const QString root = QStringLiteral(QUAVINTO_SOURCE_DIR);
    int files = 0;
    for (const char* folder : {"core", "interaction", "pictures", "persistence", "platform", "shell"}) {
      QDirIterator it(root + QLatin1Char('/') + QLatin1String(folder), {QStringLiteral("*.cpp"), QStringLiteral("*.h")},
                      QDir::Files, QDirIterator::Subdirectories);
      while (it.hasNext()) {
        const QString path = it.next();
        QTest::newRow(qPrintable(path.mid(root.size() + 1))) << path;
        ++files;
      }
    }
    QTest::newRow("main.cpp") << root + QStringLiteral("/main.cpp");
    QVERIFY(files > 50);
  }
  void sources() {
    QFETCH(QString, path);
    QFile file(path);
    QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(path));
    const QStringList problems = untranslated(QString::fromUtf8(file.readAll()));
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QLatin1Char('\n'))));
  }

  // The English translation is compiled into the program and read by context
  // and Japanese source text.
  void englishEmbedded() {
    QTranslator english;
    QVERIFY(english.load(QStringLiteral(":/i18n/quavinto_en.qm")));
    QCOMPARE(english.translate("quavinto::Form1", "ゲーム開始"), QStringLiteral("Start game"));
    QCOMPARE(english.translate("GameFile", "背景色"), QStringLiteral("Background colour"));
  }

  // Places and large counts as each language writes them.
  void figures_data() {
    QTest::addColumn<bool>("place");
    QTest::addColumn<qint64>("value");
    QTest::addColumn<QString>("japanese");
    QTest::addColumn<QString>("english");
    const auto place = [](qint64 n, const char* english) {
      QTest::addRow("place %lld", n) << true << n << QString::number(n) << QString::fromLatin1(english);
    };
    place(1, "1st");
    place(2, "2nd");
    place(3, "3rd");
    place(4, "4th");
    place(10, "10th");
    place(11, "11th");
    place(12, "12th");
    place(13, "13th");
    place(21, "21st");
    place(22, "22nd");
    place(103, "103rd");
    place(111, "111th");
    QTest::newRow("under a hundred million")
        << false << qint64(26843545) << QStringLiteral(u"2684 万") << QStringLiteral("26,843,545");
    QTest::newRow("a hundred million") << false << qint64(100000000) << QStringLiteral(u"1 億")
                                       << QStringLiteral("100,000,000");
    QTest::newRow("108 million") << false << qint64(108000000) << QStringLiteral(u"1 億 800 万")
                                 << QStringLiteral("108,000,000");
    QTest::newRow("gigapixels") << false << qint64(1365165000) << QStringLiteral(u"13 億 6516 万")
                                << QStringLiteral("1,365,165,000");
  }
  void figures() {
    QFETCH(bool, place);
    QFETCH(qint64, value);
    QFETCH(QString, japanese);
    QFETCH(QString, english);
    const auto text = [&] { return place ? platform::ordinal(value) : platform::largeCount(value); };
    QCOMPARE(text(), japanese);
    QTranslator translation;
    QVERIFY(translation.load(QStringLiteral(":/i18n/quavinto_en.qm")));
    QCoreApplication::installTranslator(&translation);
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    const QString written = text();
    QLocale::setDefault(before);
    QCoreApplication::removeTranslator(&translation);
    QCOMPARE(written, english);
  }

  // Each %N takes the N-th figure wherever it stands, once.
  void figuresByNumber() {
    const QStringList figures{QStringLiteral("a"), QStringLiteral("%2"), QStringLiteral("c")};
    QCOMPARE(platform::withFigures(QStringLiteral("%3-%1"), figures), QStringLiteral("c-a"));
    QCOMPARE(platform::withFigures(QStringLiteral("%2 %2"), figures), QStringLiteral("%2 %2"));
    QCOMPARE(platform::withFigures(QStringLiteral("%4 %10 50%"), figures), QStringLiteral("%4 %10 50%"));
    QStringList twelve;
    for (int i = 1; i <= 12; ++i) twelve << QString::number(i * 100);
    QCOMPARE(platform::withFigures(QStringLiteral("%12/%1"), twelve), QStringLiteral("1200/100"));
  }

  // Which language the environment asks for: LANGUAGE, LC_ALL, LC_MESSAGES,
  // LANG, as gettext reads them.
  void languageChoice_data() {
    using platform::UiLanguage;
    QTest::addColumn<QByteArray>("language");
    QTest::addColumn<QByteArray>("lcAll");
    QTest::addColumn<QByteArray>("lcMessages");
    QTest::addColumn<QByteArray>("lang");
    QTest::addColumn<bool>("japanese");
    QTest::newRow("nothing set") << QByteArray() << QByteArray() << QByteArray() << QByteArray() << true;
    QTest::newRow("LANG=C") << QByteArray() << QByteArray() << QByteArray() << QByteArray("C") << true;
    QTest::newRow("LANG=C.UTF-8") << QByteArray() << QByteArray() << QByteArray() << QByteArray("C.UTF-8") << true;
    QTest::newRow("LC_ALL=POSIX over English")
        << QByteArray("en") << QByteArray("POSIX") << QByteArray() << QByteArray("en_US.UTF-8") << true;
    QTest::newRow("Japanese desktop") << QByteArray() << QByteArray() << QByteArray() << QByteArray("ja_JP.UTF-8")
                                      << true;
    QTest::newRow("English desktop") << QByteArray() << QByteArray() << QByteArray() << QByteArray("en_GB.UTF-8")
                                     << false;
    QTest::newRow("German desktop") << QByteArray() << QByteArray() << QByteArray() << QByteArray("de_DE.UTF-8")
                                    << false;
    QTest::newRow("LC_MESSAGES over LANG")
        << QByteArray() << QByteArray() << QByteArray("ja_JP.UTF-8") << QByteArray("en_US.UTF-8") << true;
    QTest::newRow("LC_ALL over LC_MESSAGES")
        << QByteArray() << QByteArray("de_DE.UTF-8") << QByteArray("ja_JP.UTF-8") << QByteArray() << false;
    QTest::newRow("LANGUAGE over the locale")
        << QByteArray("ja") << QByteArray() << QByteArray() << QByteArray("en_US.UTF-8") << true;
    QTest::newRow("LANGUAGE's first known entry")
        << QByteArray("fr:ja_JP:en") << QByteArray() << QByteArray() << QByteArray("de_DE.UTF-8") << true;
    QTest::newRow("LANGUAGE without a known entry")
        << QByteArray("fr:de") << QByteArray() << QByteArray() << QByteArray("ja_JP.UTF-8") << true;
  }
  void languageChoice() {
    QFETCH(QByteArray, language);
    QFETCH(QByteArray, lcAll);
    QFETCH(QByteArray, lcMessages);
    QFETCH(QByteArray, lang);
    QFETCH(bool, japanese);
    QCOMPARE(platform::uiLanguageFor(language, lcAll, lcMessages, lang) == platform::UiLanguage::Japanese, japanese);
  }
};

QTEST_GUILESS_MAIN(TstTranslatable)
#include "tst_translatable.moc"

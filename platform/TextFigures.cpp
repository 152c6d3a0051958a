// Numbers in the player's texts: figures placed by number, ordinals, large counts.
#include "platform/TextFigures.h"

#include <QCoreApplication>
#include <QLocale>

namespace platform {

QString withFigures(const QString& text, const QStringList& figures) {
  QString out;
  out.reserve(text.size());
  for (qsizetype i = 0; i < text.size(); ++i) {
    const auto digit = [&](qsizetype at) { return at < text.size() ? text[at].digitValue() : -1; };
    int n = text[i] == QLatin1Char('%') ? digit(i + 1) : -1;
    qsizetype length = 2;
    // Two digits are one placeholder, as QString::arg reads them.
    if (n > 0 && digit(i + 2) >= 0) n = n * 10 + digit(i + 2), length = 3;
    if (n > 0 && n <= figures.size()) {
      out += figures[n - 1];
      i += length - 1;
    } else {
      out += text[i];
    }
  }
  return out;
}

QString ordinal(qint64 n) {
  static constexpr MarkedText kEndings[] = {QT_TRANSLATE_NOOP3("TextFigures", "%1", "ordinal like 1st, 21st"),
                                            QT_TRANSLATE_NOOP3("TextFigures", "%1", "ordinal like 2nd, 22nd"),
                                            QT_TRANSLATE_NOOP3("TextFigures", "%1", "ordinal like 3rd, 23rd"),
                                            QT_TRANSLATE_NOOP3("TextFigures", "%1", "ordinal like 4th, 11th, 12th")};
  // English endings: 1st, 2nd, 3rd, but 11th, 12th, 13th and 4th to 10th.
  const qint64 last = qAbs(n) % 10, tens = qAbs(n) % 100 / 10;
  const MarkedText& e = kEndings[tens == 1 || last == 0 || last > 3 ? 3 : last - 1];
  return QCoreApplication::translate("TextFigures", e.source, e.comment).arg(n);
}

QString largeCount(qint64 n) {
  const qint64 oku = n / 100'000'000, man = n % 100'000'000 / 10'000;
  const QStringList figures{QString::number(oku), QString::number(man), QLocale().toString(n)};
  //: %1: hundreds of millions, %2: tens of thousands, %3: the whole count grouped.
  if (oku == 0) return withFigures(QCoreApplication::translate("TextFigures", "%2 万"), figures);
  //: %1: hundreds of millions, %2: tens of thousands, %3: the whole count grouped.
  if (man == 0) return withFigures(QCoreApplication::translate("TextFigures", "%1 億"), figures);
  //: %1: hundreds of millions, %2: tens of thousands, %3: the whole count grouped.
  return withFigures(QCoreApplication::translate("TextFigures", "%1 億 %2 万"), figures);
}

}  // namespace platform

// Numbers in the player's texts, written as each language writes them.
//
// Qt's QString::arg() fills the lowest-numbered placeholder left in a text, so
// a translation that leaves out %1 would get the wrong figures. withFigures()
// fills each %N with the N-th figure wherever it stands, so a text may offer
// a figure in more than one form (two-digit and plain, a count and its
// ordinal) and each language picks the ones it writes.
#pragma once

#include <QString>
#include <QStringList>

namespace platform {

// A text marked by QT_TRANSLATE_NOOP3: its source and the comment that tells
// it from others with the same source.
struct MarkedText {
  const char* source;
  const char* comment;
};

// `text` with every %1…%99 replaced by that figure; a placeholder without a
// figure is left as it stands. Figures are not searched for placeholders.
QString withFigures(const QString& text, const QStringList& figures);

// A place in a ranking: "1", "2"… in Japanese, "1st", "2nd", "3rd", "11th"…
// in English.
QString ordinal(qint64 n);

// A large count: in Japanese in units of ten thousand and of a hundred
// million, as Japanese counts large numbers; in English the whole figure
// grouped by the locale ("26,843,545").
QString largeCount(qint64 n);

}  // namespace platform

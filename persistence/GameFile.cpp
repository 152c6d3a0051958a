// Writer and checking reader of the saved-game file.
#include "persistence/GameFile.h"

#include <QCoreApplication>
#include <QStringDecoder>
#include <algorithm>
#include <array>

#include "platform/Numeric.h"

namespace quavinto {
namespace {

// The texts below are marked for translation where they are defined and
// translated here, when they are shown.
QString translated(const char* text) { return QCoreApplication::translate("GameFile", text); }

const QByteArray kLineEnd("\r\n");

// " 5 " / "-5 ": the game's form of one number.
QByteArray numberField(long long value) { return platform::signedText(value).toLatin1() + ' '; }

// " 004": one grid cell, at least three digits after the blank.
QByteArray cellField(int value) {
  QByteArray digits = QByteArray::number(value < 0 ? -static_cast<long long>(value) : value);
  while (digits.size() < 3) digits.prepend('0');
  return (value < 0 ? QByteArray(" -") : QByteArray(" ")) + digits;
}

int clampCount(int16_t n) { return std::clamp<int>(n, 0, kMaxCells); }

// Texts of the checker's descriptions; every one names the line concerned.
namespace text {
QString lineNo(int line) { return QCoreApplication::translate("GameFile", "%1行目: ").arg(line); }
const char kTooLarge[] = QT_TRANSLATE_NOOP("GameFile", "ファイルが大きすぎます（%1 バイト。1 MB までです）");
const char kEmpty[] = QT_TRANSLATE_NOOP("GameFile", "ファイルが空です");
const char kControl[] = QT_TRANSLATE_NOOP("GameFile", "画像のパスに制御文字が含まれています");
const char kEncoding[] = QT_TRANSLATE_NOOP("GameFile", "画像のパスの文字コードを判別できません");
const char kEnded[] = QT_TRANSLATE_NOOP("GameFile", "ファイルが途中で終わっています（%1がありません）");
const char kEmptyField[] = QT_TRANSLATE_NOOP("GameFile", "値が空です（%1）");
const char kNotNumber[] = QT_TRANSLATE_NOOP("GameFile", "数値ではありません（%1）");
const char kRange[] = QT_TRANSLATE_NOOP("GameFile", "%1の値 %2 は範囲外です（%3～%4）");
const char kDuplicate[] = QT_TRANSLATE_NOOP("GameFile", "駒番号 %1 が重複しています");
}  // namespace text

// Field names used in the descriptions.
namespace label {
const char kSep[] = QT_TRANSLATE_NOOP("GameFile", "分割の設定");
const char kHyouji[] = QT_TRANSLATE_NOOP("GameFile", "完成図の表示");
const char kColor[] = QT_TRANSLATE_NOOP("GameFile", "背景色");
const char kPieceW[] = QT_TRANSLATE_NOOP("GameFile", "駒の幅");
const char kPieceH[] = QT_TRANSLATE_NOOP("GameFile", "駒の高さ");
const char kXn[] = QT_TRANSLATE_NOOP("GameFile", "横の分割数");
const char kYn[] = QT_TRANSLATE_NOOP("GameFile", "縦の分割数");
const char kMap[] = QT_TRANSLATE_NOOP("GameFile", "駒番号");
const char kRMap[] = QT_TRANSLATE_NOOP("GameFile", "反転の印");
const char kTime[] = QT_TRANSLATE_NOOP("GameFile", "経過時間");
}  // namespace label

// Walks the bytes after line 1, one number field at a time, counting lines.
// A line end is CR LF, a lone LF or a lone CR.
class FieldReader {
 public:
  FieldReader(const QByteArray& bytes, int pos, int line) : b_(bytes), pos_(pos), line_(line) {}

  // Reads the next field into *out when it is an integer in [lo, hi].
  // `expectedLine` is where a well-formed file has the field, named when the
  // file ends before it.
  bool number(const char* label, long long lo, long long hi, int expectedLine, long long* out, QString* error) {
    const QString name = translated(label);
    skipBlanks();
    if (pos_ >= b_.size()) return fail(expectedLine, translated(text::kEnded).arg(name), error);
    const int startLine = line_;
    if (b_[pos_] == ',') return fail(startLine, translated(text::kEmptyField).arg(name), error);
    const int start = pos_;
    while (pos_ < b_.size() && !isBlank(b_[pos_]) && b_[pos_] != ',') ++pos_;
    const QByteArray token = b_.mid(start, pos_ - start);
    skipSpaces();
    if (pos_ < b_.size() && b_[pos_] == ',') ++pos_;

    bool tooBig = false;
    long long value = 0;
    if (!parseInteger(token, &value, &tooBig)) return fail(startLine, translated(text::kNotNumber).arg(name), error);
    if (tooBig || value < lo || value > hi) {
      const QString shown =
          token.size() > 24 ? QString::fromLatin1(token.left(20)) + QStringLiteral("...") : QString::fromLatin1(token);
      return fail(startLine, translated(text::kRange).arg(name, shown).arg(lo).arg(hi), error);
    }
    *out = value;
    return true;
  }

  int line() const { return line_; }

  static bool fail(int line, const QString& what, QString* error) {
    if (error) *error = text::lineNo(line) + what;
    return false;
  }

 private:
  static bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

  void skipSpaces() {
    while (pos_ < b_.size() && (b_[pos_] == ' ' || b_[pos_] == '\t')) ++pos_;
  }
  void skipBlanks() {
    while (pos_ < b_.size() && isBlank(b_[pos_])) {
      if (b_[pos_] == '\r') {
        ++line_;
        if (pos_ + 1 < b_.size() && b_[pos_ + 1] == '\n') ++pos_;
      } else if (b_[pos_] == '\n') {
        ++line_;
      }
      ++pos_;
    }
  }

  // An optional sign and decimal digits, nothing else. Digits beyond any
  // field's range only set *tooBig, so no arithmetic can overflow.
  static bool parseInteger(const QByteArray& token, long long* value, bool* tooBig) {
    int i = 0;
    bool negative = false;
    if (i < token.size() && (token[i] == '+' || token[i] == '-')) negative = token[i++] == '-';
    if (i >= token.size()) return false;
    long long v = 0;
    for (; i < token.size(); ++i) {
      const char c = token[i];
      if (c < '0' || c > '9') return false;
      if (v > 100000000000LL)
        *tooBig = true;
      else
        v = v * 10 + (c - '0');
    }
    *value = negative ? -v : v;
    return true;
  }

  const QByteArray& b_;
  int pos_;
  int line_;
};

// Line 1 as text: UTF-8 when the bytes are valid UTF-8, else Shift-JIS/CP932
// as written by the game on Japanese systems.
bool decodePath(const QByteArray& raw, QString* path, QString* error) {
  QStringDecoder utf8(QStringDecoder::Utf8, QStringConverter::Flag::Stateless);
  QString decoded = utf8(raw);
  if (utf8.hasError()) {
    QStringDecoder sjis("CP932", QStringConverter::Flag::Stateless);
    if (!sjis.isValid()) sjis = QStringDecoder("Shift_JIS", QStringConverter::Flag::Stateless);
    if (!sjis.isValid()) return FieldReader::fail(1, translated(text::kEncoding), error);
    decoded = sjis(raw);
    if (sjis.hasError() || decoded.contains(QChar::ReplacementCharacter))
      return FieldReader::fail(1, translated(text::kEncoding), error);
  }
  for (const QChar c : decoded) {
    if (c.unicode() < 0x20 || (c.unicode() >= 0x7F && c.unicode() <= 0x9F))
      return FieldReader::fail(1, translated(text::kControl), error);
  }
  *path = decoded;
  return true;
}

}  // namespace

bool SavedGame::operator==(const SavedGame& o) const {
  return pictureFile == o.pictureFile && SepFlag == o.SepFlag && HyoujiFlag == o.HyoujiFlag &&
         ColorFlag == o.ColorFlag && PieceWidth == o.PieceWidth && PieceHeight == o.PieceHeight && Xn == o.Xn &&
         Yn == o.Yn && Map == o.Map && RMap == o.RMap && seconds == o.seconds;
}

QByteArray formatGameFile(const SavedGame& game) {
  const int xn = clampCount(game.Xn);
  const int yn = clampCount(game.Yn);
  QByteArray out;
  out.reserve(64 + 2 * yn * (4 * xn + 2));
  out += game.pictureFile.toUtf8() + kLineEnd;
  out += numberField(game.SepFlag) + kLineEnd;
  out += numberField(game.HyoujiFlag) + kLineEnd;
  out += numberField(game.ColorFlag) + kLineEnd;
  out += numberField(game.PieceWidth) + numberField(game.PieceHeight) + kLineEnd;
  out += numberField(game.Xn) + numberField(game.Yn) + kLineEnd;
  for (const Grid* grid : {&game.Map, &game.RMap}) {
    for (int row = 1; row <= yn; ++row) {
      for (int col = 1; col <= xn; ++col) out += cellField((*grid)[col][row]);
      out += kLineEnd;
    }
  }
  out += numberField(game.seconds) + kLineEnd;
  return out;
}

QString gameFileTooLargeText(qint64 bytes) { return translated(text::kTooLarge).arg(bytes); }

bool parseGameFile(const QByteArray& whole, SavedGame* game, QString* error) {
  if (whole.size() > kMaxGameFileBytes) {
    if (error) *error = gameFileTooLargeText(whole.size());
    return false;
  }
  // An end-of-file mark (Ctrl-Z) left by old editors ends the text: what
  // follows it is not part of the game.
  const int eof = whole.indexOf('\x1A');
  const QByteArray bytes = eof < 0 ? whole : whole.left(eof);
  if (bytes.isEmpty()) {
    if (error) *error = translated(text::kEmpty);
    return false;
  }

  // Line 1: the whole line is the path, leading spaces skipped; a UTF-8 byte
  // order mark left by an editor is dropped with them.
  int pos = 0;
  while (pos < bytes.size()) {
    if (bytes[pos] == ' ')
      ++pos;
    else if (bytes.mid(pos, 3) == "\xEF\xBB\xBF")
      pos += 3;
    else
      break;
  }
  int end = pos;
  while (end < bytes.size() && bytes[end] != '\r' && bytes[end] != '\n') ++end;
  SavedGame staged;
  if (!decodePath(bytes.mid(pos, end - pos), &staged.pictureFile, error)) return false;
  if (end < bytes.size()) end += (bytes[end] == '\r' && end + 1 < bytes.size() && bytes[end + 1] == '\n') ? 2 : 1;

  FieldReader reader(bytes, end, 2);
  constexpr long long kMin16 = INT16_MIN, kMax16 = INT16_MAX, kMin32 = INT32_MIN, kMax32 = INT32_MAX;
  long long sep, hyouji, color, pieceW, pieceH, xn, yn;
  if (!reader.number(label::kSep, kMin16, kMax16, 2, &sep, error) ||
      !reader.number(label::kHyouji, kMin16, kMax16, 3, &hyouji, error) ||
      !reader.number(label::kColor, kMin16, kMax16, 4, &color, error) ||
      !reader.number(label::kPieceW, kMin32, kMax32, 5, &pieceW, error) ||
      !reader.number(label::kPieceH, kMin32, kMax32, 5, &pieceH, error) ||
      !reader.number(label::kXn, 1, kMaxCells, 6, &xn, error) ||
      !reader.number(label::kYn, 1, kMaxCells, 6, &yn, error))
    return false;
  staged.SepFlag = static_cast<int16_t>(sep);
  staged.HyoujiFlag = static_cast<int16_t>(hyouji);
  staged.ColorFlag = static_cast<int16_t>(color);
  staged.PieceWidth = static_cast<int32_t>(pieceW);
  staged.PieceHeight = static_cast<int32_t>(pieceH);
  staged.Xn = static_cast<int16_t>(xn);
  staged.Yn = static_cast<int16_t>(yn);

  const long long pieces = xn * yn;
  std::array<bool, kMaxCells * kMaxCells + 1> seen{};
  for (int row = 1; row <= yn; ++row) {
    for (int col = 1; col <= xn; ++col) {
      long long k;
      if (!reader.number(label::kMap, 1, pieces, 6 + row, &k, error)) return false;
      if (seen[k]) return FieldReader::fail(reader.line(), translated(text::kDuplicate).arg(k), error);
      seen[k] = true;
      staged.Map[col][row] = static_cast<int16_t>(k);
    }
  }
  for (int row = 1; row <= yn; ++row) {
    for (int col = 1; col <= xn; ++col) {
      long long r;
      if (!reader.number(label::kRMap, 0, 1, 6 + yn + row, &r, error)) return false;
      staged.RMap[col][row] = static_cast<int16_t>(r);
    }
  }
  long long seconds;
  if (!reader.number(label::kTime, 0, kMax32, 7 + 2 * yn, &seconds, error)) return false;
  staged.seconds = static_cast<int32_t>(seconds);
  // Whatever follows the play time (a blank line, a note added by hand) is
  // not read, as the game has always read its files field by field.

  if (game) *game = staged;
  return true;
}

SavedGame captureSavedGame(const GameState& g, const MainVars& v) {
  SavedGame s;
  s.pictureFile = v.PictureFile;
  s.SepFlag = g.SepFlag;
  s.HyoujiFlag = g.HyoujiFlag;
  s.ColorFlag = g.ColorFlag;
  s.PieceWidth = v.PieceWidth;
  s.PieceHeight = v.PieceHeight;
  s.Xn = g.Xn;
  s.Yn = g.Yn;
  // Only the board's cells: whatever an earlier, larger board left outside
  // them is not part of this game.
  for (int col = 1; col <= clampCount(g.Xn); ++col) {
    for (int row = 1; row <= clampCount(g.Yn); ++row) {
      s.Map[col][row] = g.Map[col][row];
      s.RMap[col][row] = g.RMap[col][row];
    }
  }
  s.seconds = v.ElapsedSeconds;
  return s;
}

void applySavedGame(const SavedGame& game, GameState& g, MainVars& v) {
  v.PictureFile = game.pictureFile;
  g.SepFlag = game.SepFlag;
  g.HyoujiFlag = game.HyoujiFlag;
  g.ColorFlag = game.ColorFlag;
  v.PieceWidth = game.PieceWidth;
  v.PieceHeight = game.PieceHeight;
  g.Xn = game.Xn;
  g.Yn = game.Yn;
  g.Map = game.Map;
  g.RMap = game.RMap;
  v.SavedSeconds = game.seconds;
}

}  // namespace quavinto

// File names kept byte for byte.
#include "platform/FileNames.h"

#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <dirent.h>
#include <sys/stat.h>
#endif

namespace platform {
namespace {

constexpr char16_t kEscapeBase = 0xDC00;  // byte b is kept as U+DC00 + b (b >= 0x80)

bool isEscape(char16_t c) { return c >= 0xDC80 && c <= 0xDCFF; }

// The length of the valid UTF-8 sequence at `s[i]`, 0 when there is none:
// no overlong forms, no encoded surrogates, nothing past U+10FFFF.
int validSequence(const unsigned char* s, qsizetype i, qsizetype n, char32_t* code) {
  const unsigned char b = s[i];
  if (b < 0x80) {
    *code = b;
    return 1;
  }
  int length = 0;
  char32_t c = 0;
  char32_t least = 0;
  if (b >= 0xC2 && b <= 0xDF) {
    length = 2, c = b & 0x1F, least = 0x80;
  } else if (b >= 0xE0 && b <= 0xEF) {
    length = 3, c = b & 0x0F, least = 0x800;
  } else if (b >= 0xF0 && b <= 0xF4) {
    length = 4, c = b & 0x07, least = 0x10000;
  } else {
    return 0;
  }
  if (i + length > n) return 0;
  for (int k = 1; k < length; ++k) {
    if ((s[i + k] & 0xC0) != 0x80) return 0;
    c = (c << 6) | (s[i + k] & 0x3F);
  }
  if (c < least || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return 0;
  *code = c;
  return length;
}

}  // namespace

QString fileNameFromBytes(const QByteArray& bytes) {
  if (QUtf8StringView(bytes).isValidUtf8()) return QString::fromUtf8(bytes);
  const auto* s = reinterpret_cast<const unsigned char*>(bytes.constData());
  const qsizetype n = bytes.size();
  QString name;
  name.reserve(n);
  for (qsizetype i = 0; i < n;) {
    char32_t code = 0;
    const int length = validSequence(s, i, n, &code);
    if (length == 0) {
      name += QChar(char16_t(kEscapeBase + s[i]));
      ++i;
      continue;
    }
    if (code >= 0x10000) {
      name += QChar(QChar::highSurrogate(code));
      name += QChar(QChar::lowSurrogate(code));
    } else {
      name += QChar(char16_t(code));
    }
    i += length;
  }
  return name;
}

QByteArray fileNameBytes(const QString& name) {
  QByteArray bytes;
  bytes.reserve(name.size());
  qsizetype from = 0;  // the start of the run of text not yet converted
  for (qsizetype i = 0; i < name.size(); ++i) {
    const char16_t c = name.at(i).unicode();
    // A kept byte stands alone; the low half of a surrogate pair never does.
    if (!isEscape(c) || (i > 0 && name.at(i - 1).isHighSurrogate())) continue;
    bytes += QStringView(name).mid(from, i - from).toUtf8();
    bytes += char(c - kEscapeBase);
    from = i + 1;
  }
  if (from == 0) return name.toUtf8();
  bytes += QStringView(name).mid(from).toUtf8();
  return bytes;
}

QString shownFileName(const QString& name) {
  QString shown = name;
  for (qsizetype i = 0; i < shown.size(); ++i)
    if (isEscape(shown.at(i).unicode()) && !(i > 0 && shown.at(i - 1).isHighSurrogate()))
      shown[i] = QChar::ReplacementCharacter;
  return shown;
}

QString entryShownAs(const QString& folder, const QString& shown) {
  const QString path = folder + QLatin1Char('/') + shown;
  if (!shown.contains(QChar::ReplacementCharacter) || pathKind(path) != PathKind::Missing) return path;
  QString found;
#ifdef Q_OS_UNIX
  DIR* entries = ::opendir(fileNameBytes(folder).constData());
  if (!entries) return path;
  while (const dirent* entry = ::readdir(entries)) {
    const QString name = fileNameFromBytes(QByteArray(entry->d_name));
    if (shownFileName(name) != shown) continue;
    if (!found.isEmpty()) {  // two names look alike: neither is guessed
      found.clear();
      break;
    }
    found = name;
  }
  ::closedir(entries);
#endif
  return found.isEmpty() ? path : folder + QLatin1Char('/') + found;
}

PathKind pathKind(const QString& name) {
#ifdef Q_OS_UNIX
  struct stat info {};
  if (name.isEmpty() || ::stat(fileNameBytes(name).constData(), &info) != 0) return PathKind::Missing;
  if (S_ISREG(info.st_mode)) return PathKind::File;
  if (S_ISDIR(info.st_mode)) return PathKind::Folder;
  return PathKind::Other;
#else
  const QFileInfo info(name);
  if (!info.exists()) return PathKind::Missing;
  return info.isFile() ? PathKind::File : info.isDir() ? PathKind::Folder : PathKind::Other;
#endif
}

}  // namespace platform

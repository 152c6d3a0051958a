// Reading the command line, and the texts --help, --version and a refusal print.
#include "shell/CommandLine.h"

#include <QCoreApplication>
#include <cstdio>

namespace quavinto {
namespace {

const char kUsage[] =
    QT_TRANSLATE_NOOP("CommandLine", "使い方: quavinto [画像またはゲームのファイル] | --help | --version\n");

void print(std::FILE* stream, const QString& text) { std::fputs(text.toUtf8().constData(), stream); }

}  // namespace

CommandLine parseCommandLine(const QStringList& arguments) {
  CommandLine line;
  bool options = true;
  QStringList files;
  for (const QString& argument : arguments) {
    if (options && argument == QLatin1String("--")) {
      options = false;
    } else if (options && (argument == QLatin1String("--help") || argument == QLatin1String("-h"))) {
      return {CommandLine::Action::Help, {}, {}};
    } else if (options && argument == QLatin1String("--version")) {
      return {CommandLine::Action::Version, {}, {}};
    } else if (options && argument.startsWith(QLatin1Char('-'))) {
      return {CommandLine::Action::Refuse,
              {},
              QCoreApplication::translate("CommandLine", "不明なオプション: %1").arg(argument)};
    } else if (argument.isEmpty()) {
      return {CommandLine::Action::Refuse, {}, QCoreApplication::translate("CommandLine", "ファイル名が空です")};
    } else {
      files += argument;
    }
  }
  if (files.size() > 1)
    return {
        CommandLine::Action::Refuse, {}, QCoreApplication::translate("CommandLine", "開けるファイルは一つだけです")};
  if (!files.isEmpty()) line.file = files.first();
  return line;
}

int answerCommandLine(const CommandLine& line) {
  switch (line.action) {
    case CommandLine::Action::Run:
      return -1;
    case CommandLine::Action::Help:
      print(stdout, QCoreApplication::translate("CommandLine", kUsage) +
                        QCoreApplication::translate("CommandLine",
                                                    "絵をピースに切り分けてばらばらにし、元の絵に並べ直すパズルです。\n"
                                                    "  ファイル    起動後に開く画像（BMP・GIF・JPEG・PNG・WebP）"
                                                    "または保存したゲーム（.QVD）\n"
                                                    "  --help      この説明を表示して終了します\n"
                                                    "  --version   版を表示して終了します\n"));
      return 0;
    case CommandLine::Action::Version:
      print(stdout, QStringLiteral("QUAVINTO " QUAVINTO_VERSION "\n"));
      return 0;
    case CommandLine::Action::Refuse:
      print(stderr, QStringLiteral("quavinto: ") + QCoreApplication::translate("CommandLine", "%1。").arg(line.fault) +
                        QCoreApplication::translate("CommandLine", kUsage));
      return 2;
  }
  return 2;
}

bool isGameFilePath(const QString& path) { return path.endsWith(QLatin1String(".qvd"), Qt::CaseInsensitive); }

}  // namespace quavinto

// Reading the command line, and the texts --help, --version and a refusal print.
#include "shell/CommandLine.h"

#include <QCoreApplication>
#include <cstdio>

namespace quavinto {
namespace {

const char kUsage[] =
    QT_TRANSLATE_NOOP("CommandLine", "使い方: quavinto [画像またはゲームのファイル] | --help | --version\n");

void print(std::FILE* stream, const QString& text) { std::fputs(text.toUtf8().constData(), stream); }

// The toolkit's own options, which it takes off the command line once the
// window system is reached: with one dash or two, those of the first list
// followed by their value (or joined to it by "=").
const char kToolkitOptionsWithValue[] =
    " platform platformpluginpath platformtheme plugin qmljsdebugger style stylesheet session display geometry"
    " font fn background bg foreground fg button btn name title visual ncols cmap im inputstyle qwindowgeometry"
    " qwindowicon qwindowtitle dialogs ";
const char kToolkitFlags[] = " reverse widgetcount nograb dograb sync testability ";

// How many arguments a toolkit option at `argument` takes: 0 when it is none.
int toolkitOptionLength(const QString& argument) {
  QString name = argument;
  if (name.startsWith(QLatin1String("--"))) name.remove(0, 1);
  if (!name.startsWith(QLatin1Char('-'))) return 0;
  name.remove(0, 1);
  const qsizetype equals = name.indexOf(QLatin1Char('='));
  const auto listed = [](const char* list, const QString& option) {
    return !option.isEmpty() && !option.contains(QLatin1Char(' ')) &&
           QLatin1String(list).contains(QLatin1Char(' ') + option + QLatin1Char(' '));
  };
  if (equals > 0) return listed(kToolkitOptionsWithValue, name.left(equals)) ? 1 : 0;
  if (listed(kToolkitOptionsWithValue, name)) return 2;
  if (listed(kToolkitFlags, name)) return 1;
  return 0;
}

}  // namespace

CommandLine parseCommandLine(const QStringList& arguments) {
  CommandLine line;
  bool options = true;
  QStringList files;
  for (qsizetype i = 0; i < arguments.size(); ++i) {
    const QString& argument = arguments[i];
    if (const int length = options ? toolkitOptionLength(argument) : 0) {
      // Left to the toolkit, with its value.
      i += length - 1;
    } else if (options && argument == QLatin1String("--")) {
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

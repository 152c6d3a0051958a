// The program's command line: one file to open (a picture or a saved game, as
// the desktop's file manager passes it), --help or --version. Anything else is
// refused with a one-line usage.
#pragma once

#include <QString>
#include <QStringList>

namespace quavinto {

struct CommandLine {
  enum class Action { Run, Help, Version, Refuse };
  Action action = Action::Run;
  QString file;   // Run: the file to open, empty for none
  QString fault;  // Refuse: what was wrong, in one line
};

// Reads `arguments` without the program's name. "--" ends the options, so a
// file whose name starts with "-" can be given after it. The toolkit's own
// options (-platform NAME, -style=NAME, -reverse…) are passed over: the
// toolkit takes them.
CommandLine parseCommandLine(const QStringList& arguments);

// Prints what Help, Version and Refuse ask for (Refuse on standard error) and
// returns the exit status: 0 for Help and Version, 2 for Refuse, -1 for Run.
int answerCommandLine(const CommandLine& line);

// Whether `path` names a saved game (.QVD in any letter case) rather than a picture.
bool isGameFilePath(const QString& path);

}  // namespace quavinto

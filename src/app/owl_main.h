// The program's entry: the command line, the desktop set-up, the application's run.
#pragma once

#include <QString>
#include <QStringList>

namespace kel {

// What the command line asks for: run (with a file to open, or none), print the usage, or a
// usage error with its message.
struct CommandLine {
  enum Kind { Run, Help, Error } kind = Run;
  QString file;     // Run: the object file to open at start, or empty
  QString message;  // Error: what is wrong
};

// args: the arguments after the program's name.
CommandLine ParseCommandLine(const QStringList& args);
QString UsageText();

// Makes the application and runs it until the main window closes; returns the exit code
// (2 for a usage error).
int OwlMain(int argc, char* argv[]);

}  // namespace kel

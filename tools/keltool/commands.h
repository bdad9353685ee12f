// The commands of keltool. Each takes its arguments (after the command word), prints its
// result to out and its complaints to err, and returns the process exit status.
#pragma once

#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

#include "model/sprite.h"

namespace keltool {

enum ExitStatus {
  kExitOk = 0,
  kExitInvalidFile = 1,  // the file was read but is not a valid object file
  kExitUsage = 2,        // bad arguments, or a file that cannot be read or written
};

using Args = std::vector<std::string>;

// Why an input file could not be read to its end while a command ran.
inline constexpr char kInputCutShort[] =
    "it was shortened while the command ran, or the disk failed";

int RunInfo(const Args& args, std::ostream& out, std::ostream& err);
int RunCheck(const Args& args, std::ostream& out, std::ostream& err);
int RunRewrite(const Args& args, std::ostream& out, std::ostream& err);
int RunExtract(const Args& args, std::ostream& out, std::ostream& err);
int RunExport(const Args& args, std::ostream& out, std::ostream& err);

// Reads the object file at path into list. Returns kExitOk, or kExitUsage after saying why the
// file cannot be read (missing, a folder, unreadable), or kExitInvalidFile after giving the
// reader's message (what is wrong and where).
int LoadObjectFile(const std::string& path, kel::SpriteList& list, std::ostream& err);

// Splits a command's arguments into options (words starting with '-', until "--") and operands.
// Returns false after printing a complaint for an option not in allowed; sets help for
// "--help" or "-h".
bool SplitArgs(const Args& args, const std::vector<std::string>& allowed, const char* command,
               std::vector<std::string>& options, std::vector<std::string>& operands, bool& help,
               std::ostream& err);

// n formatted by a printf format with one %zu ("object%03zu": "object007").
std::string Numbered(const char* format, size_t n);

// Writes one file of a command's output through write, whole or not at all: a full disk leaves
// no part of it, an existing file is replaced rather than written into, and a symbolic link at
// path is replaced itself instead of leading the bytes elsewhere. false after a message naming
// the file and the reason.
bool WriteOut(const std::string& path, const std::function<bool(std::ostream&)>& write,
              std::ostream& err);

// Prints "keltool: " + message and a pointer to the command's help; returns kExitUsage.
int UsageError(const char* command, const std::string& message, std::ostream& err);

}  // namespace keltool

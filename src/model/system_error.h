// The system's reasons for a failed file operation, in the user's language, and the one check
// made before a file chosen by the user is opened for reading.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace kel {

// A Japanese text for the error number errnum (an errno value), for every reason a user can meet
// when opening, reading or writing files; any other number gives "システムエラー" with its number
// and the C library's own text.
std::string SystemErrorText(int errnum);

// Why the file at path cannot be read as a document's part, before it is opened: it cannot be
// reached (the system's reason), it is a folder, or it is no regular file (a device or a named
// pipe, whose reading might never end). nullopt for a regular file, whose size goes to *size.
std::optional<std::string> RegularFileProblem(const std::string& path, uint64_t* size = nullptr);

// The kind of the file system that holds folder when it is one the kernel makes up (proc, sysfs,
// devpts, cgroup, debugfs and the like): its files are views of the system, not documents, and
// writing one may change the system or never end. nullopt for any other file system, and for a
// folder that cannot be reached (the save itself then says why).
std::optional<std::string> PseudoFileSystemOf(const std::string& folder);

}  // namespace kel

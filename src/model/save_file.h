// Writing a file without ever destroying the one it replaces: the bytes go to a new file beside
// the target, which is flushed to disk and then renamed into place.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <functional>
#include <iosfwd>
#include <memory>
#include <string>

namespace kel {

// Why a save failed.
enum class SaveProblem {
  kNone,
  kSystem,      // the system refused a step; SaveResult::error holds its errno (EISDIR: a folder)
  kNotRegular,  // the target is a pipe, a device or a socket: renaming would replace it
  kGaveUp,      // the writer answered false or its stream went bad without a system error
};

struct SaveResult {
  bool ok = false;
  SaveProblem problem = SaveProblem::kNone;
  int error = 0;        // errno, for kSystem
  std::string message;  // "cannot write PATH: " and the reason, when !ok
};

struct SaveOptions {
  // true: a symbolic link at the path stays a link and the file it names is replaced (as an
  // editor saves). false: the link itself is replaced by the new file, so nothing is written
  // outside the folder the path names (as a tool writing into a folder of its own does).
  bool followLinks = true;
};

// Calls write with a stream on a new file in the target's folder and renames it over path. The
// new file has no name while it is written where the file system allows that (O_TMPFILE): a save
// killed part way then leaves nothing behind. Elsewhere it is a hidden file of a unique name
// beside the target, removed on every way out but a kill.
//
// When path names an existing file, the new one is flushed to disk before the rename (and the
// folder after it), so a crash leaves the old file or the new one, never a part of either; a file
// that replaces nothing is left to the system's write-back, as a copy is. An existing target's
// permissions are kept; a new file gets the usual ones (0666 less the umask). write returns false
// to give up. On failure (or when write throws) the target is untouched and no temporary is left.
SaveResult SaveFile(const std::string& path, const std::function<bool(std::ostream&)>& write,
                    const SaveOptions& options = {});

// The same, with the message alone ("cannot write PATH: " and the system's reason) in error.
bool SaveFileAtomically(const std::string& path, const std::function<bool(std::ostream&)>& write,
                        std::string& error);

// Writes the n bytes at p to out. On the stream of a save they are not copied but written from
// where they stand, at the latest when the save ends, owner keeping them alive till then: they
// must not change before. Any other stream gets them at once. Bytes that cannot be read where
// they stand (a mapped file cut short) fail the save with EFAULT.
void WriteShared(std::ostream& out, std::shared_ptr<const void> owner, const void* p, size_t n);

// Removes the named temporary file of every save under way (saves nested in a writer included),
// if there is one; for a handler of a fatal signal (it does nothing a signal handler may not do).
// An unnamed temporary needs no removing: it goes with the process.
void RemoveUnfinishedSave() noexcept;

// The system calls of a save whose order or failure matters, replaceable by tests to watch them or
// to make them fail (SaveCalls::Defaults() are the system's own).
struct SaveCalls {
  // An unnamed file in folder (open with O_TMPFILE); -1 with errno where there is none.
  int (*openUnnamed)(const char* folder, mode_t mode);
  int (*fsync)(int fd);
  int (*rename)(const char* from, const char* to);
  static SaveCalls Defaults();
};
SaveCalls& CurrentSaveCalls();

}  // namespace kel

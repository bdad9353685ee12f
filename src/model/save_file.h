// Writing a file without ever destroying the one it replaces: the bytes go to a new file beside
// the target, which is flushed to disk and then renamed into place.
#pragma once

#include <cstddef>
#include <functional>
#include <iosfwd>
#include <memory>
#include <string>

namespace kel {

// Calls write with a stream on a new file of a unique name in the target's folder and renames it
// over path. When path names an existing file, the new one is flushed to disk before the rename
// (and the folder after it), so a crash leaves the old file or the new one, never a part of
// either; a file that replaces nothing is left to the system's write-back, as a copy is. A symbolic
// link at path stays a link: the file it names is replaced. An existing target's permissions are
// kept; a new file gets the usual ones (0666 less the umask). write returns false to give up. On
// failure (or when write throws) the target is untouched, the temporary file is gone and error says
// "cannot write PATH: " and the system's reason.
bool SaveFileAtomically(const std::string& path, const std::function<bool(std::ostream&)>& write,
                        std::string& error);

// Writes the n bytes at p to out. On the stream of a SaveFileAtomically they are not copied but
// written from where they stand, at the latest when the save ends, owner keeping them alive till
// then: they must not change before. Any other stream gets them at once.
void WriteShared(std::ostream& out, std::shared_ptr<const void> owner, const void* p, size_t n);

// Removes the temporary file of every SaveFileAtomically under way (saves nested in a writer
// included), if there is one; for a handler of a fatal signal (it does nothing a signal handler
// may not do).
void RemoveUnfinishedSave() noexcept;

}  // namespace kel

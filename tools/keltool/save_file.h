// Writing a file without ever destroying the one it replaces: the bytes go to a new file beside
// the target, which is flushed to disk and then renamed into place.
#pragma once

#include <functional>
#include <iosfwd>
#include <string>

namespace keltool {

// Calls write with a stream on a temporary file in the target's folder, then renames it over
// path. A symbolic link at path stays a link: the file it names is replaced. An existing
// target's permissions are kept. On failure the target is untouched, the temporary file is
// gone and error says what went wrong (with the system's reason).
bool SaveFileAtomically(const std::string& path, const std::function<bool(std::ostream&)>& write,
                        std::string& error);

}  // namespace keltool
